// The windows in the languages the kit ships, from a temporary program
// folder: the About window's language menu, the change of language in every
// open window, the help page of the language, and the Help menu.
#include <map>

#include <QTcpServer>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/localisation/mod_localize.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/shell/frm_about.h"
#include "KorvelToMaelisMigrationExport/shell/frm_help.h"
#include "KorvelToMaelisMigrationExport/shell/help_menu.h"
#include "KorvelToMaelisMigrationExport/shell/tests/modal_answerer.h"
#include "KorvelToMaelisMigrationExport/startup.h"

namespace shell {
namespace {

using export_program::kProgramName;
using export_test::WriteBytes;
using shell_test::Find;

QAction* EntryNamed(const frmAbout& about, const QString& caption) {
  for (QAction* entry : Find<QMenu>(about, "mnuSelectLanguage")->actions()) {
    if (entry->text() == caption) return entry;
  }
  ADD_FAILURE() << "no language entry " << caption.toStdString();
  return nullptr;
}

// The captions of a window that its controls cannot show in full.
QStringList CutOffTexts(const QWidget& window) {
  QStringList cut_off;
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    // A button's frame and a check box's box take about a line's height.
    const QString text = QString(button->text()).remove('&');
    const int text_width = button->fontMetrics().horizontalAdvance(text) + button->fontMetrics().height();
    if (button->isVisible() && text_width > button->width()) cut_off << text;
  }
  for (const QGroupBox* frame : window.findChildren<QGroupBox*>()) {
    if (frame->fontMetrics().horizontalAdvance(frame->title()) + 16 > frame->width()) cut_off << frame->title();
  }
  for (const QListWidget* list : window.findChildren<QListWidget*>()) {
    for (int row = 0; row < list->count(); ++row) {
      if (list->visualItemRect(list->item(row)).width() > list->viewport()->width()) cut_off << list->item(row)->text();
    }
  }
  return cut_off;
}

class LanguageWindowsTest : public shell_test::WindowTest {
 protected:
  LanguageWindowsTest() { localisation::SetProgramLocation(program_.path(), QLatin1StringView(kProgramName)); }

  // Copies a file the kit ships from the build's program folder.
  void Ship(const QString& name) {
    const QString shipped = qEnvironmentVariable("KORVEL_BIN_DIR") + '/' + name;
    QDir().mkpath(QFileInfo(program_.File(name)).absolutePath());
    ASSERT_TRUE(QFile::copy(shipped, program_.File(name))) << shipped.toStdString();
  }
  void ShipLanguages(std::initializer_list<const char*> codes) {
    for (const char* code : codes) Ship(QStringLiteral("%1_%2.dll").arg(kProgramName, code));
  }

  export_test::TempFolder program_;
};

// The About window lists the libraries of this program next to it, and every
// control of every open window follows the one chosen; the main window still
// shows all of every caption.
TEST_F(LanguageWindowsTest, AboutSwitchesEveryOpenWindowToTheLanguageChosen) {
  ShipLanguages({"DEU", "FRA", "JPN"});
  WriteBytes(program_.File("KorvelToMaelisMigrationExport_ENX.dll"), "51\tSTART\n");
  for (const char* other : {"KorvelToMaelisMigrationExport_XYZ.dll", "KorvelToMaelisMigrationExport_ITALIAN.dll",
                            "KorvelToMaelisMigrationExportX_ITA.dll", "OtherProgram_ITA.dll"}) {
    WriteBytes(program_.File(other), "3\tAlias\n");
  }
  QDir(program_.path()).mkdir("KorvelToMaelisMigrationExport_NLD.dll");
  const std::unique_ptr<frmMain> window = LoadWindow();
  window->show();
  frmAbout about(window.get());
  about.show();
  QStringList captions;
  for (const QAction* entry : Find<QMenu>(about, "mnuSelectLanguage")->actions()) captions << entry->text();
  EXPECT_EQ(captions, QStringList({"German (Germany)", "English (TDD/TTY)", "French (France)", "Japanese (Japan)",
                                   "English (United States)"})) << "an unknown code stands for English";
  EXPECT_EQ(Find<QLabel>(about, "lblVersion")->text(), "1.0 Build23");
  QList<QWidget*> controls = window->findChildren<QWidget*>() + QList<QWidget*>{window.get(), &about};
  std::map<const QWidget*, QString> design_families;
  for (const QWidget* control : controls) design_families[control] = control->font().family();

  about.mnuLanguageList_Click(EntryNamed(about, "Japanese (Japan)"));
  EXPECT_EQ(localisation::CurrentLanguageId(), 1041);
  EXPECT_EQ(Find<QLabel>(about, "lblVersion")->text(), QString::fromUtf16(u"1.0 \u30D3\u30EB\u30C923"));
  EXPECT_EQ(Find<QListWidget>(*window, "lstDataItems")->item(0)->text(),
            QString::fromUtf16(u"\u30A8\u30A4\u30EA\u30A2\u30B9"));
  for (const QWidget* control : controls) {
    EXPECT_EQ(control->property(localisation::kFontCharsetProperty).toInt(), 128);
    EXPECT_EQ(control->font().family(), QString::fromUtf16(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"));
  }
  EXPECT_EQ(CutOffTexts(*window), QStringList());

  about.mnuLanguageList_Click(EntryNamed(about, "German (Germany)"));
  EXPECT_EQ(Find<QPushButton>(*window, "cmdStart")->text(), "&Starten");
  for (const QWidget* control : controls) {
    EXPECT_EQ(control->property(localisation::kFontCharsetProperty).toInt(), 1);
    EXPECT_EQ(control->font().family(), design_families[control]);
  }
  EXPECT_EQ(CutOffTexts(*window), QStringList());
}

// Opening the About window settles the language on the desktop's; the main
// window follows at once, so its entries keep matching the data items.
TEST_F(LanguageWindowsTest, StartChecksTheRequiredEntriesByTheirGermanLabels) {
  ShipLanguages({"DEU"});
  const std::unique_ptr<frmMain> window = LoadWindow();
  const korvel::test::ScopedEnvironmentVariable lang("LANG", "de_DE.UTF-8");
  frmAbout about(window.get());
  auto* list = Find<QListWidget>(*window, "lstDataItems");
  ASSERT_EQ(list->item(2)->text(), "Nachname");
  list->item(2)->setCheckState(Qt::Unchecked);
  Find<QLineEdit>(*window, "txtOutputPath")->setText(work_.File("KorvelMigrationOutput.csv"));
  Find<QPushButton>(*window, "cmdStart")->click();
  EXPECT_EQ(answerer_.ShownIds(), std::vector<int>{export_engine::kRequiredItemMissing});
  EXPECT_TRUE(answerer_.shown.at(0).text.startsWith("Aliasname, Vorname, Nachname"));
  EXPECT_FALSE(QFile::exists(work_.File("KorvelMigrationOutput.csv")));
}

TEST_F(LanguageWindowsTest, HelpShowsThePageOfTheLanguageOrTheEnglishOne) {
  Ship("KorvelToMaelisMigrationExport.htm");
  Ship("KorvelToMaelisMigrationExport.help/_DEU.htm");
  ShipLanguages({"DEU"});
  const QUrl english = QUrl::fromLocalFile(program_.File("KorvelToMaelisMigrationExport.htm"));
  EXPECT_EQ(HelpPageToShow(), english) << "no language determined yet";
  localisation::ChangeLanguage(1036);
  EXPECT_EQ(HelpPageToShow(), english) << "no French page";
  localisation::ChangeLanguage(1031);
  frmHelp help;
  EXPECT_EQ(Find<QTextBrowser>(help, "browserHelp")->source().fileName(), "_DEU.htm");
  EXPECT_TRUE(Find<QTextBrowser>(help, "browserHelp")->toPlainText().contains("Nachname"));
  EXPECT_EQ(help.windowTitle(), "Migrationsexport von Korvel nach Maelis");
}

// The menu opens its windows modally, and the update check answers in a
// message box.
TEST_F(LanguageWindowsTest, HelpMenuOpensItsWindowsAndChecksForUpdates) {
  Ship("KorvelToMaelisMigrationExport.htm");
  const std::unique_ptr<frmMain> window = LoadWindow(QString(), nullptr, HelpMenuActions());
  window->show();
  QApplication::setActiveWindow(window.get());
  QStringList opened;
  for (const char* action : {"Help", "About"}) {
    QTimer::singleShot(50, [&] {
      opened << QApplication::activeModalWidget()->objectName();
      qobject_cast<QDialog*>(QApplication::activeModalWidget())->accept();
    });
    Find<QAction>(*window, action)->trigger();
  }
  EXPECT_EQ(opened, QStringList({"frmHelp", "frmAbout"}));

  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
  const QString site = QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort());  // the program adds the '/'
  closed.close();
  {
    const korvel::test::ScopedEnvironmentVariable tools_site("KORVEL_TOOLS_SITE", site.toStdString());
    Find<QAction>(*window, "mnuCheckForUpdatedVersion")->trigger();
  }
  ASSERT_EQ(answerer_.shown.size(), 1u);
  EXPECT_TRUE(answerer_.shown[0].text.startsWith("Unable to contact application home page"));
  EXPECT_TRUE(answerer_.shown[0].text.endsWith("by going to " + site + "/")) << answerer_.shown[0].text.toStdString();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace shell
