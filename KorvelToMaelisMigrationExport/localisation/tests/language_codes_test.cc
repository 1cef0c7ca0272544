#include "KorvelToMaelisMigrationExport/localisation/language_codes.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace localisation {
namespace {

// Every code the libraries are named with.
constexpr const char16_t* kLibraryCodes[] = {
    u"ENX", u"ENU", u"ENG", u"ENA", u"ENC", u"ENZ", u"ENI", u"DEU", u"DES", u"DEA", u"DEL",
    u"DEC", u"ESP", u"ESM", u"ESN", u"ESG", u"ESC", u"ESA", u"ESD", u"ESV", u"ESO", u"ESR",
    u"ESS", u"ESH", u"ESI", u"ESU", u"FRA", u"FRB", u"FRC", u"FRS", u"FRL", u"ITA", u"ITS",
    u"JPN", u"NLD", u"NLB", u"NOR", u"NON", u"PTB", u"PTG", u"CHT", u"ZHT", u"CHS", u"ZHI"};

// Choosing a language in the menu loads the library of the code its id gives
// back, so every listed library must be the one its id names.
TEST(LanguageCodesTest, EveryLibraryCodeIsTheCodeOfItsId) {
  for (const char16_t* code : kLibraryCodes) {
    const QString text = QString::fromUtf16(code);
    const int id = LanguageIdFromCode(text);
    EXPECT_EQ(LanguageCodeFromId(id), text) << id;
    EXPECT_FALSE(LanguageNameFromId(id).startsWith(u'(')) << id;
  }
  EXPECT_EQ(LanguageIdFromCode(u"DEU"), 1031);
  EXPECT_EQ(LanguageIdFromCode(u"JPN"), 1041);
  EXPECT_EQ(LanguageIdFromCode(u"FRA"), 1036);
  EXPECT_EQ(LanguageNameFromCode(u"DEU"), QStringLiteral("German (Germany)"));
}

TEST(LanguageCodesTest, OwnAndUnknownLanguages) {
  EXPECT_EQ(LanguageIdFromCode(u"ENX"), 33801);
  EXPECT_EQ(LanguageCodeFromId(33801), QStringLiteral("ENX"));
  EXPECT_EQ(LanguageNameFromId(33801), QStringLiteral("English (TDD/TTY)"));
  EXPECT_EQ(LanguageCodeFromId(1042), QStringLiteral("KOR"));
  EXPECT_EQ(LanguageNameFromId(1042), QStringLiteral("Korean (Korea)"));

  for (QStringView unknown : {u"XYZ", u"deu", u"DEU ", u"", u"KOR"}) {
    EXPECT_EQ(LanguageIdFromCode(unknown), 1033) << unknown.toString().toStdString();
    EXPECT_EQ(LanguageNameFromCode(unknown), QStringLiteral("English (United States)"));
  }
  EXPECT_EQ(LanguageCodeFromId(0), QStringLiteral("ERR"));
  EXPECT_EQ(LanguageCodeFromId(1053), QStringLiteral("ERR"));
  EXPECT_EQ(LanguageNameFromId(1053), QStringLiteral("(error)"));
}

TEST(LanguageCodesTest, LocaleNamesGiveTheirLanguage) {
  const struct {
    const char16_t* locale;
    int id;
  } cases[] = {
      {u"de_DE.UTF-8", 1031}, {u"de_AT@euro", 3079},      {u"fr_CA.ISO-8859-1", 3084}, {u"ja_JP.eucJP", 1041},
      {u"fr", 1036},          {u"fr_BF.UTF-8", 1036},     {u"zh_HK", 3076},            {u"zh", 2052},
      {u"no_NO", 1044},       {u"nn_NO", 2068},           {u"es", 3082},               {u"ko_KR", 1042},
      {u"en_GB", 2057},       {u"C", 1033},               {u"POSIX", 1033},            {u"C.UTF-8", 1033},
      {u"", 1033},            {u"sv_SE.UTF-8", 1033},     {u"_DE", 1033},              {u"DE_de", 1031},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LanguageIdFromLocaleName(QStringView(c.locale)), c.id) << QString::fromUtf16(c.locale).toStdString();
  }
}

class LocaleEnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* variable : kVariables) unsetenv(variable);
  }
  void TearDown() override {
    for (const char* variable : kVariables) unsetenv(variable);
  }
  static constexpr const char* kVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
};

TEST_F(LocaleEnvironmentTest, FirstSetVariableDecides) {
  EXPECT_EQ(GetUserDefaultLangID(), 1033);
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(GetUserDefaultLangID(), 1031);
  setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
  EXPECT_EQ(GetUserDefaultLangID(), 1041);
  setenv("LC_ALL", "", 1);
  EXPECT_EQ(GetUserDefaultLangID(), 1041);
  setenv("LC_ALL", "fr_FR", 1);
  EXPECT_EQ(GetUserDefaultLangID(), 1036);
}

}  // namespace
}  // namespace localisation
