// The current language over language libraries in a temporary program folder,
// and its fonts on open windows.
#include "KorvelToMaelisMigrationExport/localisation/mod_localize.h"

#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/localisation/language_codes.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

namespace localisation {
namespace {

constexpr char kProgramName[] = "KorvelToMaelisMigrationExport";
const QString kJapaneseFont = QString::fromUtf16(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");

class ModLocalizeTest : public ::testing::Test {
 protected:
  ModLocalizeTest() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(variable);
    SetProgramLocation(folder_.path(), QLatin1StringView(kProgramName));
    SetCurrentLanguageId(0);
  }
  ~ModLocalizeTest() override {
    SetLanguageLibrary(nullptr);
    SetCurrentLanguageId(0);
  }

  void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(folder_.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  void WriteLibrary(const QString& suffix, const QByteArray& table) {
    WriteFile(QLatin1StringView(kProgramName) + suffix, table);
  }

  QTemporaryDir folder_;
};

TEST_F(ModLocalizeTest, ListsThisProgramsLibrariesAndLoadsTheChosenOne) {
  WriteLibrary("_DEU.dll", "3\tAliasname\n");
  WriteLibrary("_JPN.DLL", QString::fromUtf16(u"3\t\u30A8\u30A4\u30EA\u30A2\u30B9\n").toUtf8());
  WriteLibrary("_XYZ.dll", "3\tunknown\n");
  WriteLibrary("_FRA.txt", "3\tAlias\n");
  WriteLibrary("_ITALIAN.dll", "3\tAlias\n");
  WriteFile("OtherProgram_FRA.dll", "3\tAlias\n");
  WriteFile("KorvelToMaelisMigrationExportX_ITA.dll", "3\tAlias\n");
  QDir(folder_.path()).mkdir(QLatin1StringView(kProgramName) + "_ESP.dll");

  InitalizeLanguages();
  EXPECT_EQ(LanguageCodes(), QStringList({"DEU", "JPN", "XYZ"}));
  EXPECT_EQ(CurrentLanguageId(), kEnglishUnitedStates) << "no locale in the environment";
  EXPECT_EQ(myLoadResString(3), QStringLiteral("Alias"));

  ChangeLanguage(LanguageIdFromCode(u"JPN"));
  EXPECT_EQ(myLoadResString(3), QString::fromUtf16(u"\u30A8\u30A4\u30EA\u30A2\u30B9"));
  EXPECT_EQ(myLoadResString(40), QStringLiteral("Primary Extension")) << "missing from the library";

  ChangeLanguage(LanguageIdFromCode(u"XYZ"));
  EXPECT_EQ(CurrentLanguageId(), kEnglishUnitedStates);
  EXPECT_EQ(myLoadResString(3), QStringLiteral("Alias"));
}

TEST_F(ModLocalizeTest, FirstLanguageIsTheUsersAndTextTelephoneEnglishHasItsLibrary) {
  WriteLibrary("_DEU.dll", "3\tAliasname\n# comment\nbroken line\n28\tNachname\n");
  WriteLibrary("_ENX.dll", "51\tSTART\n");
  setenv("LANG", "de_AT.UTF-8", 1);
  InitalizeLanguages();
  unsetenv("LANG");
  EXPECT_EQ(CurrentLanguageId(), 3079);
  EXPECT_EQ(myLoadResString(3), QStringLiteral("Alias")) << "Austrian German has a library of its own (DEA)";

  ChangeLanguage(1031);
  EXPECT_EQ(myLoadResString(28), QStringLiteral("Nachname"));
  ChangeLanguage(kEnglishTextTelephone);
  EXPECT_EQ(myLoadResString(51), QStringLiteral("START"));
  EXPECT_EQ(myLoadResString(28), QStringLiteral("Last Name"));
}

TEST_F(ModLocalizeTest, NoLibraryLeavesTheBuiltInTable) {
  SetCurrentLanguageId(1031);
  InitalizeLanguages();
  EXPECT_TRUE(LanguageCodes().isEmpty());
  EXPECT_EQ(myLoadResString(28), QStringLiteral("Last Name"));
}

// Every control of every open window, the windows themselves included.
std::vector<QWidget*> AllControls(const std::vector<QWidget*>& windows) {
  std::vector<QWidget*> controls;
  for (QWidget* window : windows) {
    controls.push_back(window);
    for (QWidget* control : window->findChildren<QWidget*>()) controls.push_back(control);
  }
  return controls;
}

TEST_F(ModLocalizeTest, AsianLanguagesSetTheirFontOnEveryOpenWindowAndOthersGiveTheDesignFontBack) {
  QWidget main_window;
  new QLabel(QStringLiteral("label"), &main_window);
  new QPushButton(QStringLiteral("button"), &main_window);
  QDialog dialog;
  new QLineEdit(&dialog);
  auto* designed = new QLabel(QStringLiteral("logo"), &dialog);
  QFont serif = designed->font();
  serif.setFamilies({QStringLiteral("DejaVu Serif")});
  designed->setFont(serif);
  main_window.show();
  dialog.show();
  const QString design_family = main_window.font().family();
  const std::vector<QWidget*> controls = AllControls({&main_window, &dialog});

  ChangeLanguage(1041);
  for (QWidget* control : controls) {
    SCOPED_TRACE(control->metaObject()->className());
    EXPECT_EQ(control->property(kFontCharsetProperty).toInt(), 128);
    EXPECT_EQ(control->property(kFontNameProperty).toString(), kJapaneseFont);
    EXPECT_EQ(control->font().family(), kJapaneseFont);
  }

  ChangeLanguage(1031);
  for (QWidget* control : controls) {
    SCOPED_TRACE(control->metaObject()->className());
    EXPECT_EQ(control->property(kFontCharsetProperty).toInt(), 1);
    EXPECT_EQ(control->property(kFontNameProperty).toString(), QString());
    EXPECT_EQ(control->font().family(), control == designed ? QStringLiteral("DejaVu Serif") : design_family);
  }

  ChangeLanguage(2052);
  EXPECT_EQ(designed->property(kFontCharsetProperty).toInt(), 134);
  EXPECT_EQ(designed->font().family(), QString::fromUtf16(u"\u5B8B\u4F53"));
}

TEST_F(ModLocalizeTest, CaptionRoutinesRunForTheWindowsThatStillExist) {
  int main_calls = 0;
  int closed_calls = 0;
  QWidget main_window;
  RegisterAutoInit(&main_window, [&] { ++main_calls; });
  {
    QWidget closed_window;
    RegisterAutoInit(&closed_window, [&] { ++closed_calls; });
    ChangeLanguage(1036);
  }
  ChangeLanguage(1031);
  EXPECT_EQ(main_calls, 2);
  EXPECT_EQ(closed_calls, 1);
}

}  // namespace
}  // namespace localisation

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
