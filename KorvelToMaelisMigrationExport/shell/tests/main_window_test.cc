// The main window as an administrator meets it, on the offscreen platform:
// start-up's messages, where the captions come from, the resize rules,
// Browse, and exports answered through message boxes.
#include "KorvelToMaelisMigrationExport/shell/frm_main.h"

#include <functional>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/shell/directory_select.h"
#include "KorvelToMaelisMigrationExport/shell/main_window_layout.h"
#include "KorvelToMaelisMigrationExport/shell/settings.h"
#include "KorvelToMaelisMigrationExport/shell/tests/modal_answerer.h"
#include "KorvelToMaelisMigrationExport/startup.h"

namespace shell {
namespace {

namespace run = export_engine;
namespace startup = export_program;
using export_test::ReadBytes;
using export_test::WriteBytes;
using shell_test::Find;
using Ids = std::vector<int>;

// Every text of the string table, marked, to tell captions that come from
// the table from captions written into the window.
class MarkedLanguage : public localisation::LanguageLibrary {
 public:
  QString Text(int id) const override { return QStringLiteral("~") + localisation::BuiltInString(id); }
};

class MainWindowTest : public shell_test::WindowTest {
 protected:
  MainWindowTest() { QDir().mkpath(output_); }

  std::unique_ptr<frmMain> ShownWindow(const QString& command_line = QString()) {
    std::unique_ptr<frmMain> window = LoadWindow(command_line);
    window->show();
    return window;
  }
  // Starts an export; the ids of the messages it showed.
  Ids Start(frmMain& window) {
    answerer_.shown.clear();
    Find<QPushButton>(window, "cmdStart")->click();
    return answerer_.ShownIds();
  }
  static void Tick(frmMain& window, int first_row, int rows, bool ticked) {
    for (int row = first_row; row < first_row + rows; ++row) {
      Find<QListWidget>(window, "lstDataItems")->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
  }
  bool Ready(frmMain& window) {
    return Find<QPushButton>(window, "cmdStart")->isEnabled() && Find<QListWidget>(window, "lstDataItems")->isEnabled();
  }

  QString CsvPath() const { return output_ + "/KorvelMigrationOutput.csv"; }
  QString LogPath() const { return output_ + "/KorvelToMaelisMigrationErrors.log"; }
  bool LogHas(const std::string& text) const { return ReadBytes(LogPath()).find(text) != std::string::npos; }

  QString output_ = work_.File("out folder");
};

// The checks the headless mode shares are tested there; these are the
// window's own: notices a command line keeps back, in message boxes.
TEST_F(MainWindowTest, StartUpMessagesAndTheirConsequences) {
  const struct {
    const char* name;
    std::function<void()> prepare;
    QString command_line;
    Ids shown;
    bool opens;
  } cases[] = {
      {"server not running", [&] { WriteRegistry({.server_state = 0}); }, "", {startup::kServerMustBeRunning}, true},
      {"not running, with a command line", [] {}, "anything", {}, true},
      {"a new machine", [&] { QFile::remove(work_.File("registry.reg")); }, "",
       {startup::kServerMustBeRunning, startup::kServerTooOld}, false},
      // The count of subscribers reads the table the views hide.
      {"unexpected failure", [&] {
         WriteRegistry({});
         directory_.Exec("ALTER TABLE Subscriber RENAME TO SubscriberRows");
       }, "", {startup::kStartupFailed, startup::kExitingApplication}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.prepare();
    answerer_.shown.clear();
    bool loaded = false;
    const std::unique_ptr<frmMain> window = LoadWindow(c.command_line, &loaded);
    EXPECT_EQ(loaded, c.opens);
    EXPECT_EQ(answerer_.ShownIds(), c.shown);
    EXPECT_EQ(window->exit_code(), c.opens ? startup::kExitReachedEnd : startup::kExitStartupEnded);
    for (const shell_test::ShownMessage& message : answerer_.shown) {
      EXPECT_EQ(message.title, "Korvel to Maelis Migration Export");
      EXPECT_EQ(message.buttons, QMessageBox::Ok);
    }
  }
}

TEST_F(MainWindowTest, EveryCaptionComesFromTheStringTableAndTicksOutliveALanguage) {
  localisation::SetLanguageLibrary(std::make_shared<MarkedLanguage>());
  SaveOutputFolderSetting(CsvPath());
  const std::unique_ptr<frmMain> window = LoadWindow();
  auto* list = Find<QListWidget>(*window, "lstDataItems");
  QStringList captions{window->windowTitle()};
  for (const QGroupBox* frame : window->findChildren<QGroupBox*>()) captions << frame->title();
  for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) captions << button->text();
  for (const QAction* action : window->findChildren<QAction*>()) captions << action->text();
  for (int row = 0; row < list->count(); ++row) captions << list->item(row)->text();
  captions.removeAll(QString());  // the menu's separator
  EXPECT_EQ(captions.size(), 1 + 3 + 4 + 6 + 16);
  for (QString caption : captions) EXPECT_TRUE(caption.remove('&').startsWith('~')) << caption.toStdString();

  Tick(*window, 4, 1, false);
  localisation::SetLanguageLibrary(nullptr);
  window->frmMain_Auto_Init();
  EXPECT_EQ(list->item(15)->text(), "Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)");
  for (int row = 0; row < list->count(); ++row) EXPECT_EQ(list->item(row)->checkState() == Qt::Checked, row != 4);
  EXPECT_EQ(Find<QLineEdit>(*window, "txtOutputPath")->text(), CsvPath());
}

TEST_F(MainWindowTest, TheResizeRulesKeepTheWidthAndGiveExtraHeightToTheList) {
  const std::unique_ptr<frmMain> window = ShownWindow();
  const auto px_y = [&](int twips) { return TwipsToPixels(twips, window->logicalDpiY()); };
  const auto* list_frame = Find<QGroupBox>(*window, "frameListBox");
  const auto* progress_frame = Find<QGroupBox>(*window, "frameProgress");
  const auto* start = Find<QPushButton>(*window, "cmdStart");
  // In twips, the caption, menu bar and borders taking 690 of the height.
  const auto expect_layout = [&](int height) {
    EXPECT_NEAR(window->centralWidget()->height(), px_y(height - 690), 1);
    EXPECT_NEAR(list_frame->height(), px_y(height - 3500), 1);
    EXPECT_NEAR(progress_frame->y(), list_frame->y() + list_frame->height() + px_y(105), 1);
    EXPECT_NEAR(start->y(), px_y(height - 1190), 1);
  };
  window->resize(1000, 50);  // too small and too wide: back to the least size
  QCoreApplication::processEvents();
  EXPECT_EQ(window->centralWidget()->width(), TwipsToPixels(kMainWindowWidth - 120, window->logicalDpiX()));
  expect_layout(kMainWindowMinimumHeight);
  window->resize(window->width(), window->height() + px_y(1500));
  QCoreApplication::processEvents();
  expect_layout(kMainWindowMinimumHeight + 1500);

  // Maximised: the screen's height at its top-left corner, the same width.
  const int width = window->width();
  window->showMaximized();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  const QRect screen = window->screen()->availableGeometry();
  EXPECT_FALSE(window->isMaximized());
  EXPECT_EQ(window->frameGeometry(), QRect(screen.topLeft(), QSize(window->frameGeometry().width(), screen.height())));
  EXPECT_EQ(window->width(), width);
}

// A folder typed into the box is read as the headless --output reads it: the
// CSV file goes into it, and the box shows and saves the file's path.
TEST_F(MainWindowTest, ARunAnswersEveryQuestionInAMessageBoxAndLeavesStartDisabled) {
  shell_test::OpenedFiles opened;
  WriteBytes(CsvPath(), "an earlier export");
  const std::unique_ptr<frmMain> window = ShownWindow();
  Find<QLineEdit>(*window, "txtOutputPath")->setText(output_);
  EXPECT_EQ(Start(*window), Ids({run::kOverwriteEarlierExportQuestion, run::kOutputComplete, run::kViewCsvFile}));
  std::vector<QMessageBox::StandardButtons> buttons;
  for (const shell_test::ShownMessage& message : answerer_.shown) buttons.push_back(message.buttons);
  EXPECT_EQ(buttons, (std::vector<QMessageBox::StandardButtons>{QMessageBox::Yes | QMessageBox::No,
                                                                QMessageBox::Ok | QMessageBox::Cancel,
                                                                QMessageBox::Yes | QMessageBox::No}));
  EXPECT_EQ(answerer_.shown.at(1).text,
            "Output complete.   0 error(s) encountered in process.  Press OK to view the error log now");
  EXPECT_EQ(opened.paths, QStringList({LogPath(), CsvPath()})) << "paths with blanks reach the desktop whole";
  EXPECT_EQ(export_test::ReadUtf16LeText(CsvPath()).count("\r\n"), 4) << "the header and three subscribers";
  EXPECT_EQ(Find<QLineEdit>(*window, "txtOutputPath")->text(), CsvPath());
  EXPECT_EQ(LoadOutputFolderSetting(), CsvPath());

  EXPECT_FALSE(Find<QPushButton>(*window, "cmdStart")->isEnabled());
  EXPECT_FALSE(Find<QListWidget>(*window, "lstDataItems")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>(*window, "cmdExit")->isEnabled());
  EXPECT_EQ(Find<QProgressBar>(*window, "ProgressBar")->value(), 3);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(window->ending());
}

TEST_F(MainWindowTest, EveryRefusalLeavesTheWindowReadyForAnotherTry) {
  shell_test::OpenedFiles opened;
  WriteRegistry({.service_account = "CORP\\somebody-else"});
  WriteBytes(CsvPath(), "an earlier export");
  const std::unique_ptr<frmMain> window = ShownWindow();
  Tick(*window, 0, 16, false);
  EXPECT_EQ(Start(*window), Ids({run::kNoItemsSelected}));
  EXPECT_TRUE(Ready(*window));
  Tick(*window, 0, 16, true);
  Find<QLineEdit>(*window, "txtOutputPath")->setText(CsvPath());
  answerer_.answers[run::kOverwriteEarlierExportQuestion] = false;
  EXPECT_EQ(Start(*window), Ids({run::kOverwriteEarlierExportQuestion}));
  EXPECT_EQ(ReadBytes(CsvPath()), "an earlier export");
  EXPECT_TRUE(Ready(*window));
  answerer_.answers = {{run::kAccountMayNotReadMailboxesQuestion, false}};
  Find<QCheckBox>(*window, "chkIncludeMessages")->setChecked(true);
  EXPECT_EQ(Start(*window), Ids({run::kOverwriteEarlierExportQuestion, run::kAccountMayNotReadMailboxesQuestion}));
  EXPECT_TRUE(Ready(*window));

  // Yes to the account question, then nothing opened. The extraction was
  // followed in the modal progress window until its close box ended that.
  answerer_.answers = {{run::kOutputComplete, false}, {run::kViewExtractionLog, false}, {run::kViewCsvFile, false}};
  EXPECT_EQ(Start(*window), Ids({run::kOverwriteEarlierExportQuestion, run::kAccountMayNotReadMailboxesQuestion,
                                 run::kOutputComplete, run::kViewExtractionLog, run::kViewCsvFile}));
  EXPECT_TRUE(opened.paths.isEmpty());
  EXPECT_FALSE(Ready(*window));
  EXPECT_EQ(answerer_.followed_extraction_logs, QStringList({output_ + "/MsgExtraction.log"}));
  EXPECT_TRUE(LogHas("\r\n(warning) The message extraction progress window was closed"));
}

TEST_F(MainWindowTest, ARunWithACommandLineEndsTheProgramWithoutOffers) {
  SaveOutputFolderSetting(CsvPath());
  const std::unique_ptr<frmMain> window = ShownWindow("SkipVersionCheck");
  EXPECT_EQ(Start(*window), Ids());
  EXPECT_TRUE(window->ending());
  EXPECT_EQ(window->exit_code(), startup::kExitReachedEnd);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(LogHas("Export complete: "));
}

TEST_F(MainWindowTest, ExitDuringARunStopsItAtOnceWithItsFilesClosed) {
  SaveOutputFolderSetting(CsvPath());
  const std::unique_ptr<frmMain> window = ShownWindow();
  QTimer::singleShot(0, Find<QAction>(*window, "mnuExit"), &QAction::trigger);
  EXPECT_EQ(Start(*window), Ids()) << "no summary, no offers";
  EXPECT_TRUE(window->ending());
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(LogHas("Export complete: "));
  // A CSV file cut short would pass for the whole export: there is none.
  EXPECT_EQ(QDir(output_).entryList({"*.csv*"}, QDir::Files | QDir::Hidden), QStringList());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, BrowseAcceptsOnlyAFolderThatPassesTheWriteTest) {
  SaveOutputFolderSetting(work_.File("gone/KorvelMigrationOutput.csv"));
  const std::unique_ptr<frmMain> window = ShownWindow();
  EXPECT_EQ(Find<QLineEdit>(*window, "txtOutputPath")->text(), "") << "a saved path whose folder is gone";
  const auto browse = [&](const QString& folder) {
    answerer_.folder_to_choose = folder;
    Find<QPushButton>(*window, "cmdBrowse")->click();
    return Find<QLineEdit>(*window, "txtOutputPath")->text();
  };
  EXPECT_EQ(browse(output_), CsvPath());
  // A folder whose scratch file would be written through a link fails, for
  // root as for anybody, and the file the link names keeps its content.
  QDir().mkpath(work_.File("trap"));
  WriteBytes(work_.File("precious.txt"), "keep");
  QFile::link(work_.File("precious.txt"), work_.File("trap/test.txt.out"));
  EXPECT_EQ(browse(work_.File("trap")), CsvPath());
  EXPECT_EQ(answerer_.ShownIds(), Ids({kInvalidFolderNotice}));
  EXPECT_EQ(ReadBytes(work_.File("precious.txt")), "keep");
  EXPECT_EQ(browse(QString()), CsvPath()) << "cancelled";
  EXPECT_EQ(answerer_.shown.size(), 1u);
}

}  // namespace
}  // namespace shell
