#include "KorvelToMaelisMigrationExport/localisation/language_codes.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace localisation {
namespace {

// Choosing a language in the menu loads the library of the code its id gives
// back; an unknown code stands for English, an unknown id for no library.
TEST(LanguageCodesTest, CodesIdsAndNames) {
  for (const auto& [code, id] : {std::pair{u"DEU", 1031}, {u"FRA", 1036}, {u"JPN", 1041}, {u"ENX", 33801}}) {
    EXPECT_EQ(LanguageIdFromCode(code), id);
    EXPECT_EQ(LanguageCodeFromId(id), QStringView(code));
  }
  EXPECT_EQ(LanguageNameFromCode(u"ENX"), "English (TDD/TTY)");
  for (QStringView unknown : {u"XYZ", u"deu", u"DEU ", u"", u"KOR"}) {
    EXPECT_EQ(LanguageNameFromCode(unknown), "English (United States)") << unknown.toString().toStdString();
  }
  EXPECT_EQ(LanguageCodeFromId(1053), "ERR");
  EXPECT_EQ(LanguageNameFromId(1053), "(error)");
}

TEST(LanguageCodesTest, TheFirstLocaleVariableSetGivesTheLanguage) {
  for (const auto& [locale, id] :
       {std::pair{u"de_AT@euro", 3079}, {u"fr_CA.ISO-8859-1", 3084}, {u"fr_BF.UTF-8", 1036}, {u"zh", 2052},
        {u"C.UTF-8", 1033}, {u"sv_SE", 1033}, {u"_DE", 1033}, {u"DE_de", 1031}}) {
    EXPECT_EQ(LanguageIdFromLocaleName(locale), id) << QString::fromUtf16(locale).toStdString();
  }
  {
    const korvel::test::ScopedEnvironmentVariable lc_all("LC_ALL", std::nullopt), lc_messages("LC_MESSAGES", std::nullopt), lang("LANG", std::nullopt);
    EXPECT_EQ(GetUserDefaultLangID(), 1033);
  }
  const korvel::test::ScopedEnvironmentVariable lc_all("LC_ALL", ""), lc_messages("LC_MESSAGES", "ja_JP.UTF-8"), lang("LANG", "de_DE.UTF-8");
  EXPECT_EQ(GetUserDefaultLangID(), 1041) << "an empty variable counts as unset";
  const korvel::test::ScopedEnvironmentVariable french("LC_ALL", "fr_FR");
  EXPECT_EQ(GetUserDefaultLangID(), 1036);
}

}  // namespace
}  // namespace localisation
