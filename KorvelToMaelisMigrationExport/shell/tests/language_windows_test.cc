// The windows in the languages the kit ships: the About window's language
// menu over libraries in a temporary program folder, the change of language
// in every open window, the help page of the language, and the Help menu.
#include <cstdlib>
#include <map>
#include <memory>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/localisation/mod_localize.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/shell/frm_about.h"
#include "KorvelToMaelisMigrationExport/shell/frm_help.h"
#include "KorvelToMaelisMigrationExport/shell/frm_main.h"
#include "KorvelToMaelisMigrationExport/shell/help_menu.h"
#include "KorvelToMaelisMigrationExport/shell/main_window_layout.h"
#include "KorvelToMaelisMigrationExport/shell/tests/modal_answerer.h"

namespace shell {
namespace {

using export_test::TempFolder;
using export_test::TestDirectory;
using export_test::WriteBytes;
using shell_test::Find;

constexpr char kProgramName[] = "KorvelToMaelisMigrationExport";
const QString kJapaneseFont = QString::fromUtf16(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");

QList<QAction*> LanguageEntries(const frmAbout& about) {
  return Find<QMenu>(about, "mnuSelectLanguage")->actions();
}

QAction* EntryNamed(const frmAbout& about, const QString& caption) {
  for (QAction* entry : LanguageEntries(about)) {
    if (entry->text() == caption) return entry;
  }
  ADD_FAILURE() << "no language entry " << caption.toStdString();
  return nullptr;
}

// The captions of a window that its controls cannot show in full.
QStringList CutOffTexts(const QWidget& window) {
  QStringList cut_off;
  // A button's frame and a check box's box take about a line's height.
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    const QString text = QString(button->text()).remove('&');  // the mnemonic's mark does not show
    const int text_width = button->fontMetrics().horizontalAdvance(text) + button->fontMetrics().height();
    if (button->isVisible() && !text.isEmpty() && text_width > button->width()) cut_off << text;
  }
  for (const QGroupBox* frame : window.findChildren<QGroupBox*>()) {
    if (frame->fontMetrics().horizontalAdvance(frame->title()) + 16 > frame->width()) cut_off << frame->title();
  }
  for (const QListWidget* list : window.findChildren<QListWidget*>()) {
    for (int row = 0; row < list->count(); ++row) {
      if (list->visualItemRect(list->item(row)).width() > list->viewport()->width()) {
        cut_off << list->item(row)->text();
      }
    }
  }
  return cut_off;
}

void SavePicture(QWidget& window, const QString& name, const TempFolder& fallback_folder) {
  QCoreApplication::processEvents();
  const QPixmap picture = window.grab();
  const QString folder = qEnvironmentVariable("KORVEL_SCREENSHOT_DIR", fallback_folder.path());
  EXPECT_TRUE(picture.save(folder + QLatin1Char('/') + name)) << name.toStdString();
}

class LanguageWindowsTest : public ::testing::Test {
 protected:
  LanguageWindowsTest() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(variable);
    QDir().mkpath(work_.File("runtime"));
    setenv("KORVEL_REGISTRY", work_.File("registry.reg").toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", work_.File("runtime").toLocal8Bit().constData(), 1);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work_.File("config"));
    export_test::WriteServerRegistry(work_.File("registry.reg"), {.server_state = 32});
    for (int i = 1; i <= 3; ++i) {
      directory_.AddCompleteSubscriber({.id = QStringLiteral("S%1").arg(i), .alias = QStringLiteral("user%1").arg(i),
                                        .dtmf_access_id = QStringLiteral("100%1").arg(i)});
    }
    localisation::SetProgramLocation(program_.path(), QLatin1StringView(kProgramName));
    localisation::SetCurrentLanguageId(0);
  }
  ~LanguageWindowsTest() override {
    localisation::SetLanguageLibrary(nullptr);
    localisation::SetCurrentLanguageId(0);
    unsetenv("KORVEL_REGISTRY");
    unsetenv("XDG_RUNTIME_DIR");
  }

  // Copies a file the kit ships from the build's program folder.
  void Ship(const QString& name) {
    const QString shipped = qEnvironmentVariable("KORVEL_BIN_DIR") + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(program_.File(name)).absolutePath());
    ASSERT_TRUE(QFile::copy(shipped, program_.File(name))) << shipped.toStdString();
  }
  void ShipLanguage(const char* code) { Ship(QStringLiteral("%1_%2.dll").arg(kProgramName, code)); }

  std::unique_ptr<frmMain> LoadWindow(MainWindowMenuActions menu_actions = {}) {
    auto window = std::make_unique<frmMain>(std::move(menu_actions));
    EXPECT_TRUE(window->Load(directory_.connect_string(), QString()));
    return window;
  }

  TempFolder work_;
  TempFolder program_;
  TestDirectory directory_{work_.File("KorvelDb.sqlite")};
  shell_test::ModalAnswerer answerer_;
};

TEST_F(LanguageWindowsTest, AboutListsThisProgramsLibrariesAndAnUnknownCodeAsEnglish) {
  ShipLanguage("DEU");
  ShipLanguage("JPN");
  WriteBytes(program_.File("KorvelToMaelisMigrationExport_FRA.DLL"), "3\tAlias\n");
  WriteBytes(program_.File("KorvelToMaelisMigrationExport_XYZ.dll"), "3\tunknown\n");
  WriteBytes(program_.File("KorvelToMaelisMigrationExport_ENX.dll"), "51\tSTART\n");
  WriteBytes(program_.File("KorvelToMaelisMigrationExport_ITALIAN.dll"), "3\tAlias\n");
  WriteBytes(program_.File("KorvelToMaelisMigrationExportX_ITA.dll"), "3\tAlias\n");
  WriteBytes(program_.File("OtherProgram_ITA.dll"), "3\tAlias\n");
  QDir(program_.path()).mkdir("KorvelToMaelisMigrationExport_NLD.dll");

  frmAbout about;
  QStringList captions;
  QStringList tags;
  for (const QAction* entry : LanguageEntries(about)) {
    captions << entry->text();
    tags << entry->data().toString();
  }
  EXPECT_EQ(captions, QStringList({"German (Germany)", "English (TDD/TTY)", "French (France)", "Japanese (Japan)",
                                   "English (United States)"}));
  EXPECT_EQ(tags, QStringList({"1031", "33801", "1036", "1041", "1033"}));
  EXPECT_EQ(Find<QLabel>(about, "lblVersion")->text(), QStringLiteral("1.0 Build23"));

  about.mnuLanguageList_Click(EntryNamed(about, "Japanese (Japan)"));
  EXPECT_EQ(localisation::CurrentLanguageId(), 1041);
  EXPECT_EQ(Find<QLabel>(about, "lblVersion")->text(), QString::fromUtf16(u"1.0 \u30D3\u30EB\u30C923"));
  about.mnuLanguageList_Click(EntryNamed(about, "English (TDD/TTY)"));
  EXPECT_EQ(localisation::myLoadResString(51), QStringLiteral("START"));
  EXPECT_EQ(localisation::myLoadResString(28), QStringLiteral("Last Name")) << "missing from the library";
  about.mnuLanguageList_Click(LanguageEntries(about).back());
  EXPECT_EQ(localisation::CurrentLanguageId(), 1033);
  EXPECT_EQ(Find<QLabel>(about, "lblChangeLanguage")->text(), QStringLiteral("Change Language"));
}

TEST_F(LanguageWindowsTest, WithoutLibrariesTheMenuSaysSo) {
  frmAbout about;
  const QList<QAction*> entries = LanguageEntries(about);
  ASSERT_EQ(entries.size(), 1);
  EXPECT_EQ(entries[0]->text(), QStringLiteral("No languages loaded"));
  EXPECT_EQ(entries[0]->data().toString(), QStringLiteral("1033"));
  about.mnuLanguageList_Click(entries[0]);
  EXPECT_EQ(localisation::CurrentLanguageId(), 1033);
}

// Every control of the main and the About window follows the language, and
// the main window still shows all of every caption.
TEST_F(LanguageWindowsTest, JapaneseThenGermanInEveryOpenWindow) {
  ShipLanguage("DEU");
  ShipLanguage("FRA");
  ShipLanguage("JPN");
  const std::unique_ptr<frmMain> window = LoadWindow();
  window->show();
  frmAbout about(window.get());
  about.show();
  const auto every_control = [&] {
    QList<QWidget*> controls{window.get(), &about};
    controls += window->findChildren<QWidget*>();
    return controls;
  };
  std::map<const QWidget*, QString> design_families;
  for (const QWidget* control : every_control()) design_families[control] = control->font().family();

  about.mnuLanguageList_Click(EntryNamed(about, "Japanese (Japan)"));
  EXPECT_EQ(window->windowTitle(), QString::fromUtf16(u"Korvel \u304B\u3089 Maelis \u3078\u306E\u79FB\u884C\u30A8\u30AF\u30B9\u30DD\u30FC\u30C8"));
  EXPECT_EQ(Find<QListWidget>(*window, "lstDataItems")->item(0)->text(), QString::fromUtf16(u"\u30A8\u30A4\u30EA\u30A2\u30B9"));
  for (const QWidget* control : every_control()) {
    EXPECT_EQ(control->property(localisation::kFontCharsetProperty).toInt(), 128) << control->metaObject()->className();
    EXPECT_EQ(control->font().family(), kJapaneseFont) << control->metaObject()->className();
  }
  EXPECT_EQ(CutOffTexts(*window), QStringList());
  SavePicture(*window, QStringLiteral("frmMain_JPN.png"), work_);
  SavePicture(about, QStringLiteral("frmAbout_JPN.png"), work_);

  about.mnuLanguageList_Click(EntryNamed(about, "German (Germany)"));
  EXPECT_EQ(Find<QPushButton>(*window, "cmdStart")->text(), QStringLiteral("&Starten"));
  for (const QWidget* control : every_control()) {
    EXPECT_EQ(control->property(localisation::kFontCharsetProperty).toInt(), 1) << control->metaObject()->className();
    EXPECT_EQ(control->property(localisation::kFontNameProperty).toString(), QString());
    if (design_families.contains(control)) {
      EXPECT_EQ(control->font().family(), design_families[control]) << control->metaObject()->className();
    }
  }
  EXPECT_EQ(CutOffTexts(*window), QStringList());
  SavePicture(*window, QStringLiteral("frmMain_DEU.png"), work_);

  about.mnuLanguageList_Click(EntryNamed(about, "French (France)"));
  EXPECT_EQ(Find<QPushButton>(*window, "cmdStart")->text(), QString::fromUtf16(u"&D\u00E9marrer"));
  EXPECT_EQ(CutOffTexts(*window), QStringList());
}

// Opening the About window settles the language on the desktop's; the main
// window follows at once, so its entries keep matching the data items.
TEST_F(LanguageWindowsTest, StartChecksTheRequiredEntriesByTheirGermanLabels) {
  ShipLanguage("DEU");
  const std::unique_ptr<frmMain> window = LoadWindow();
  setenv("LANG", "de_DE.UTF-8", 1);
  frmAbout about(window.get());
  unsetenv("LANG");
  EXPECT_EQ(localisation::CurrentLanguageId(), 1031);
  auto* list = Find<QListWidget>(*window, "lstDataItems");
  ASSERT_EQ(list->item(2)->text(), QStringLiteral("Nachname"));
  list->item(2)->setCheckState(Qt::Unchecked);
  Find<QLineEdit>(*window, "txtOutputPath")->setText(work_.File("KorvelMigrationOutput.csv"));

  Find<QPushButton>(*window, "cmdStart")->click();
  EXPECT_EQ(answerer_.ShownIds(), std::vector<int>{128});
  ASSERT_FALSE(answerer_.shown.empty());
  EXPECT_TRUE(answerer_.shown[0].text.startsWith(QStringLiteral("Aliasname, Vorname, Nachname")));
  EXPECT_FALSE(QFile::exists(work_.File("KorvelMigrationOutput.csv")));
}

TEST_F(LanguageWindowsTest, HelpShowsThePageOfTheLanguageOrTheEnglishOne) {
  Ship(QStringLiteral("KorvelToMaelisMigrationExport.htm"));
  Ship(QStringLiteral("KorvelToMaelisMigrationExport.help/_DEU.htm"));
  ShipLanguage("DEU");
  const QUrl english = QUrl::fromLocalFile(program_.File("KorvelToMaelisMigrationExport.htm"));
  const QUrl german = QUrl::fromLocalFile(program_.File("KorvelToMaelisMigrationExport.help/_DEU.htm"));

  EXPECT_EQ(HelpFileOfLanguage(), program_.File("KorvelToMaelisMigrationExport.help/_ERR.htm"))
      << "no language determined yet";
  EXPECT_EQ(HelpPageToShow(), english);

  localisation::ChangeLanguage(1031);
  {
    frmHelp help;
    EXPECT_EQ(Find<QTextBrowser>(help, "browserHelp")->source(), german);
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Migrationsexport von Korvel nach Maelis"));
    EXPECT_TRUE(Find<QTextBrowser>(help, "browserHelp")->toPlainText().contains(QStringLiteral("Nachname")));

    help.show();
    const int small = TwipsToPixels(1000, help.logicalDpiX());
    help.resize(small, small);
    EXPECT_EQ(help.size(), help.minimumSize());
    EXPECT_GT(help.minimumWidth(), small);
  }
  localisation::ChangeLanguage(1036);
  EXPECT_EQ(HelpPageToShow(), english);
  localisation::ChangeLanguage(1031);
  QFile::remove(german.toLocalFile());
  frmHelp help;
  EXPECT_EQ(Find<QTextBrowser>(help, "browserHelp")->source(), english);
  EXPECT_TRUE(Find<QTextBrowser>(help, "browserHelp")->toPlainText().contains(QStringLiteral("Last Name")));
}

TEST_F(LanguageWindowsTest, HelpMenuOpensItsWindowsAndChecksForUpdates) {
  Ship(QStringLiteral("KorvelToMaelisMigrationExport.htm"));
  const std::unique_ptr<frmMain> window = LoadWindow(HelpMenuActions());
  window->show();
  window->activateWindow();
  QApplication::setActiveWindow(window.get());

  QStringList opened;
  const auto open_and_close = [&](const char* action) {
    QTimer::singleShot(50, [&] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        opened << dialog->objectName();
        dialog->accept();
      }
    });
    Find<QAction>(*window, action)->trigger();
  };
  open_and_close("Help");
  open_and_close("About");
  EXPECT_EQ(opened, QStringList({"frmHelp", "frmAbout"}));

  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
  const QString site = QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort());  // the program adds the '/'
  closed.close();
  setenv("KORVEL_TOOLS_SITE", site.toUtf8().constData(), 1);
  Find<QAction>(*window, "mnuCheckForUpdatedVersion")->trigger();
  unsetenv("KORVEL_TOOLS_SITE");
  ASSERT_EQ(answerer_.shown.size(), 1u);
  EXPECT_TRUE(answerer_.shown[0].text.startsWith(QStringLiteral("Unable to contact application home page")));
  EXPECT_TRUE(answerer_.shown[0].text.endsWith("by going to " + site + "/")) << answerer_.shown[0].text.toStdString();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace shell
