// The main window as an administrator meets it: start-up and its messages,
// the captions, the list, the resize rules, Browse, and one export answered
// through message boxes, all on the offscreen platform.
#include "KorvelToMaelisMigrationExport/shell/frm_main.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/monitor/cls_wks.h"
#include "KorvelToMaelisMigrationExport/shell/main_window_layout.h"
#include "KorvelToMaelisMigrationExport/shell/settings.h"
#include "KorvelToMaelisMigrationExport/shell/single_copy_lock.h"
#include "KorvelToMaelisMigrationExport/shell/tests/modal_answerer.h"

namespace shell {
namespace {

using export_test::ReadBytes;
using export_test::ReadUtf16LeText;
using export_test::ServerRegistry;
using export_test::TempFolder;
using export_test::TestDirectory;
using export_test::WriteBytes;
using export_test::WriteServerRegistry;
using shell_test::Find;
using shell_test::ModalAnswerer;
using shell_test::OpenedFiles;

constexpr int kOverride = -1;  // the version check's override notice has no id

// Every text of the string table, marked, to tell captions that come from
// the table from captions written into the window.
class MarkedLanguage : public localisation::LanguageLibrary {
 public:
  QString Text(int id) const override {
    const QString text = localisation::BuiltInString(id);
    return text.isNull() ? QString() : QStringLiteral("~") + text;
  }
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    QDir().mkpath(output_);
    QDir().mkpath(work_.File("runtime"));
    setenv("KORVEL_REGISTRY", work_.File("registry.reg").toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", work_.File("runtime").toLocal8Bit().constData(), 1);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work_.File("config"));
    WriteRegistry({});
    for (int i = 1; i <= 3; ++i) {
      directory_.AddCompleteSubscriber({.id = QStringLiteral("S%1").arg(i), .alias = QStringLiteral("user%1").arg(i),
                                        .dtmf_access_id = QStringLiteral("100%1").arg(i)});
    }
  }
  ~MainWindowTest() override {
    localisation::SetLanguageLibrary(nullptr);
    unsetenv("KORVEL_REGISTRY");
    unsetenv("XDG_RUNTIME_DIR");
  }

  // A current, running server whose message store service runs under this
  // user's account, unless `registry` says otherwise.
  void WriteRegistry(ServerRegistry registry) {
    if (!registry.server_state) registry.server_state = 32;
    if (registry.root_path.isEmpty()) registry.root_path = work_.path() + "/";
    if (registry.service_account.isEmpty()) registry.service_account = "CORP\\" + monitor::clsWKS().UserName();
    WriteServerRegistry(work_.File("registry.reg"), registry);
  }

  // A window after start-up; `loaded` says whether start-up let it open.
  std::unique_ptr<frmMain> LoadWindow(const QString& command_line = QString(), bool* loaded = nullptr) {
    auto window = std::make_unique<frmMain>();
    const bool ready = window->Load(connect_string_, command_line);
    if (loaded != nullptr) *loaded = ready;
    return window;
  }

  static QStringList ListEntries(const frmMain& window, bool* all_ticked) {
    const auto* list = Find<QListWidget>(window, "lstDataItems");
    QStringList entries;
    *all_ticked = true;
    for (int row = 0; row < list->count(); ++row) {
      entries << list->item(row)->text();
      *all_ticked = *all_ticked && list->item(row)->checkState() == Qt::Checked;
    }
    return entries;
  }

  static void Tick(frmMain& window, int row, bool ticked) {
    Find<QListWidget>(window, "lstDataItems")->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  }

  QString CsvPath() const { return output_ + "/KorvelMigrationOutput.csv"; }
  QString LogPath() const { return output_ + "/KorvelToMaelisMigrationErrors.log"; }

  TempFolder work_;
  TestDirectory directory_{work_.File("KorvelDb.sqlite")};
  QString connect_string_ = directory_.connect_string();
  QString output_ = work_.File("out folder");
  ModalAnswerer answerer_;
};

TEST_F(MainWindowTest, StartUpCaptionsTheWindowAndListsTheSixteenItemsTicked) {
  localisation::SetLanguageLibrary(std::make_shared<MarkedLanguage>());
  SaveOutputFolderSetting(CsvPath());
  const std::unique_ptr<frmMain> window = LoadWindow();
  const std::pair<const char*, int> captions[] = {
      {"frmMain", 53},   {"frameWriteDataTo", 70}, {"cmdBrowse", 8}, {"frameListBox", 15},
      {"chkIncludeMessages", 125}, {"frameProgress", 43}, {"cmdStart", 51}, {"cmdExit", 19},
      {"mnuFile", 22},   {"mnuExit", 19},          {"menuHelp", 24}, {"Help", 24},
      {"About", 2},      {"mnuCheckForUpdatedVersion", 113}};
  for (const auto& [name, id] : captions) {
    const QObject* control = QLatin1StringView(name) == u"frmMain" ? window.get() : Find<QObject>(*window, name);
    const char* property = control->inherits("QGroupBox") || control->inherits("QMenu") ? "title"
                           : control->inherits("QMainWindow")                            ? "windowTitle"
                                                                                         : "text";
    // Menus and buttons carry a keyboard mnemonic besides the text.
    QString caption = control->property(property).toString();
    EXPECT_EQ(caption.remove('&'), "~" + localisation::BuiltInString(id)) << name;
  }

  EXPECT_TRUE(Find<QAction>(*window, "seperator")->isSeparator());
  EXPECT_FALSE(Find<QAction>(*window, "About")->isEnabled()) << "no window provides it yet";

  // Back to the built-in language: captions and entries follow, ticks stay.
  Tick(*window, 4, false);
  localisation::SetLanguageLibrary(nullptr);
  window->frmMain_Auto_Init();
  EXPECT_EQ(window->windowTitle(), "Korvel to Maelis Migration Export");
  bool all_ticked = false;
  const QStringList entries = ListEntries(*window, &all_ticked);
  EXPECT_EQ(entries, QStringList({"Alias", "First Name", "Last Name", "Display Name", "Encrypted password",
                                  "Primary Extension", "All Alternate Extensions", "Primary MWI String",
                                  "Billing ID", "Language", "List In Directory", "Transfer Action", "Transfer Type",
                                  "Transfer Number", "Rings to Wait", "Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)"}));
  Tick(*window, 4, true);
  ListEntries(*window, &all_ticked);
  EXPECT_TRUE(all_ticked);

  EXPECT_EQ(Find<QLineEdit>(*window, "txtOutputPath")->text(), CsvPath());
  EXPECT_EQ(Find<QProgressBar>(*window, "ProgressBar")->maximum(), 3);
  EXPECT_TRUE(answerer_.shown.empty());
}

TEST_F(MainWindowTest, StartUpMessagesAndTheirConsequences) {
  struct Case {
    const char* name;
    std::optional<ServerRegistry> registry;  // none: no registry file at all
    QString command_line;
    std::vector<int> shown;
    bool opens;
  };
  const Case cases[] = {
      {"current server", ServerRegistry{}, "", {}, true},
      {"server not running", ServerRegistry{.server_state = 0}, "", {63}, true},
      {"not running, with a command line", ServerRegistry{.server_state = 0}, "anything", {}, true},
      {"build 4 patch 9", ServerRegistry{.build_number = 0x00040009}, "", {102}, false},
      {"old version overridden", ServerRegistry{.version_number = 0x00030009}, "run skipVERSIONcheck", {102, kOverride},
       true},
      {"a new machine", std::nullopt, "", {63, 102}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.registry) {
      WriteRegistry(*c.registry);
    } else {
      QFile::remove(work_.File("registry.reg"));
    }
    answerer_.shown.clear();
    bool loaded = false;
    const std::unique_ptr<frmMain> window = LoadWindow(c.command_line, &loaded);
    EXPECT_EQ(loaded, c.opens);
    EXPECT_EQ(answerer_.ShownIds(), c.shown);
    EXPECT_EQ(window->exit_code(), c.opens ? 0 : 2);
    for (const shell_test::ShownMessage& message : answerer_.shown) {
      EXPECT_EQ(message.title, "Korvel to Maelis Migration Export");
      EXPECT_EQ(message.buttons, QMessageBox::Ok);
      if (message.text.startsWith("Allowing")) {
        EXPECT_EQ(message.text, "Allowing app to run via command line over ride.  This export is not supported by "
                                "Norvane PSD or QRBU.");
      }
    }
  }
}

TEST_F(MainWindowTest, AMissingDatabaseOrASecondCopyEndsStartUp) {
  connect_string_ = "sqlite:" + work_.File("missing.sqlite");
  bool loaded = true;
  std::unique_ptr<frmMain> window = LoadWindow("", &loaded);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(answerer_.ShownIds(), std::vector<int>({112}));
  window.reset();  // the copy that ended lets go of its lock

  connect_string_ = directory_.connect_string();
  answerer_.shown.clear();
  SingleCopyLock first_copy;
  ASSERT_EQ(first_copy.Acquire("KorvelToMaelisMigrationExport"), SingleCopyLock::Result::kAcquired);
  window = LoadWindow("", &loaded);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(window->exit_code(), 2);
  EXPECT_TRUE(answerer_.shown.empty()) << "a second copy ends silently";
}

TEST_F(MainWindowTest, AnUnexpectedStartUpFailureShowsTexts18And20AndEnds) {
  // The count of subscribers reads the table the views hide.
  directory_.Exec("ALTER TABLE Subscriber RENAME TO SubscriberRows");
  bool loaded = true;
  const std::unique_ptr<frmMain> window = LoadWindow("", &loaded);
  EXPECT_FALSE(loaded);
  ASSERT_EQ(answerer_.ShownIds(), std::vector<int>({18, 20}));
  EXPECT_TRUE(answerer_.shown[0].text.startsWith("Error in from load routine.  Description=") &&
              answerer_.shown[0].text.size() > 42)
      << answerer_.shown[0].text.toStdString();
  EXPECT_EQ(answerer_.shown[1].text, "Exiting application");

  answerer_.shown.clear();
  LoadWindow("with command line", &loaded);
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(answerer_.shown.empty()) << "a command line keeps the failure quiet";
}

TEST_F(MainWindowTest, TheResizeRulesKeepTheWidthAndGiveExtraHeightToTheList) {
  const std::unique_ptr<frmMain> window = LoadWindow();
  window->show();
  QCoreApplication::processEvents();
  const double dpi_x = window->logicalDpiX();
  const double dpi_y = window->logicalDpiY();
  const auto px_x = [&](int twips) { return TwipsToPixels(twips, dpi_x); };
  const auto px_y = [&](int twips) { return TwipsToPixels(twips, dpi_y); };
  const QWidget* client = window->centralWidget();
  const auto* list_frame = Find<QGroupBox>(*window, "frameListBox");
  const auto* list = Find<QListWidget>(*window, "lstDataItems");
  const auto* progress_frame = Find<QGroupBox>(*window, "frameProgress");
  const auto* start = Find<QPushButton>(*window, "cmdStart");
  const auto* exit = Find<QPushButton>(*window, "cmdExit");

  // Too small and too wide: back to 5280 twips wide and 6525 high (of which
  // the caption, menu bar and borders take 690 and 120).
  window->resize(1000, 50);
  QCoreApplication::processEvents();
  EXPECT_EQ(client->width(), px_x(5280 - 120));
  EXPECT_NEAR(client->height(), px_y(6525 - 690), 1);
  EXPECT_NEAR(list_frame->height(), px_y(6525 - 3500), 1);
  EXPECT_NEAR(list->height(), list_frame->height() - px_y(405), 1);
  EXPECT_NEAR(progress_frame->y(), list_frame->y() + list_frame->height() + px_y(105), 1);
  EXPECT_NEAR(start->y(), px_y(6525 - 1190), 1);
  EXPECT_EQ(exit->y(), start->y());
  EXPECT_LE(start->geometry().bottom(), client->height()) << "the buttons stay inside the window";

  // Taller: the list grows, the progress frame and the buttons move down.
  const QRect frame_before = list_frame->geometry();
  const int progress_before = progress_frame->y();
  const int start_before = start->y();
  window->resize(window->width(), window->height() + px_y(1500));
  QCoreApplication::processEvents();
  EXPECT_EQ(list_frame->y(), frame_before.y());
  EXPECT_NEAR(list_frame->height(), frame_before.height() + px_y(1500), 1);
  EXPECT_NEAR(progress_frame->y(), progress_before + px_y(1500), 1);
  EXPECT_NEAR(start->y(), start_before + px_y(1500), 1);

  // Maximised: the screen's height at its top-left corner, the same width.
  const int width = window->width();
  window->showMaximized();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  const QRect available = window->screen()->availableGeometry();
  EXPECT_FALSE(window->isMaximized());
  EXPECT_EQ(window->frameGeometry().topLeft(), available.topLeft());
  EXPECT_EQ(window->frameGeometry().height(), available.height());
  EXPECT_EQ(window->width(), width);
}

TEST_F(MainWindowTest, ARunAnswersEveryQuestionInAMessageBoxAndLeavesStartDisabled) {
  OpenedFiles opened;
  WriteBytes(CsvPath(), "an earlier export");
  SaveOutputFolderSetting(CsvPath());
  const std::unique_ptr<frmMain> window = LoadWindow();
  window->show();
  auto* start = Find<QPushButton>(*window, "cmdStart");
  start->click();

  EXPECT_EQ(answerer_.ShownIds(), std::vector<int>({129, 39, 132}));
  ASSERT_EQ(answerer_.shown.size(), 3u);
  EXPECT_EQ(answerer_.shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(answerer_.shown[1].text,
            "Output complete.   0 error(s) encountered in process.  Press OK to view the error log now");
  EXPECT_EQ(answerer_.shown[1].buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(answerer_.shown[2].buttons, QMessageBox::Yes | QMessageBox::No);
  for (const shell_test::ShownMessage& message : answerer_.shown) {
    EXPECT_EQ(message.title, "Korvel to Maelis Migration Export");
  }
  EXPECT_EQ(opened.paths, QStringList({LogPath(), CsvPath()})) << "paths with blanks reach the desktop whole";
  EXPECT_EQ(ReadUtf16LeText(CsvPath()).count("\r\n"), 4) << "the header and three subscribers";

  EXPECT_FALSE(start->isEnabled());
  EXPECT_FALSE(Find<QListWidget>(*window, "lstDataItems")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>(*window, "cmdExit")->isEnabled());
  EXPECT_EQ(Find<QProgressBar>(*window, "ProgressBar")->value(), 3);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(window->ending());
}

TEST_F(MainWindowTest, EveryCheckAndRefusalLeavesTheWindowReadyForAnotherTry) {
  OpenedFiles opened;
  WriteRegistry({.service_account = "CORP\\somebody-else"});
  const std::unique_ptr<frmMain> window = LoadWindow();
  window->show();
  auto* start = Find<QPushButton>(*window, "cmdStart");
  auto* output = Find<QLineEdit>(*window, "txtOutputPath");
  const auto attempt = [&](int expected_last_id) {
    answerer_.shown.clear();
    start->click();
    EXPECT_FALSE(answerer_.shown.empty());
    if (!answerer_.shown.empty()) {
      EXPECT_EQ(answerer_.ShownIds().back(), expected_last_id);
    }
    EXPECT_TRUE(start->isEnabled());
    EXPECT_TRUE(Find<QListWidget>(*window, "lstDataItems")->isEnabled());
  };

  for (int row = 0; row < 16; ++row) Tick(*window, row, false);
  attempt(36);
  EXPECT_EQ(answerer_.shown.back().buttons, QMessageBox::Ok);
  for (int row = 0; row < 16; ++row) Tick(*window, row, true);
  attempt(126);
  output->setText(CsvPath());
  Tick(*window, 0, false);
  attempt(128);
  Tick(*window, 0, true);
  WriteBytes(CsvPath(), "an earlier export");
  answerer_.answers[129] = false;
  attempt(129);
  EXPECT_EQ(ReadBytes(CsvPath()), "an earlier export");
  answerer_.answers[129] = true;
  Find<QCheckBox>(*window, "chkIncludeMessages")->setChecked(true);
  answerer_.answers[133] = false;
  attempt(133);
  EXPECT_EQ(answerer_.shown.back().buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_TRUE(opened.paths.isEmpty());

  // Yes to the account question; then nothing opened.
  answerer_.answers = {{133, true}, {39, false}, {131, false}, {132, false}};
  answerer_.shown.clear();
  start->click();
  EXPECT_EQ(answerer_.ShownIds(), std::vector<int>({129, 133, 39, 131, 132}));
  EXPECT_EQ(answerer_.shown[3].buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_TRUE(opened.paths.isEmpty());
  EXPECT_FALSE(start->isEnabled());
  // The extraction was followed in the modal progress window until its close
  // box ended the following, which the export log tells.
  EXPECT_EQ(answerer_.followed_extraction_logs, QStringList({output_ + "/MsgExtraction.log"}));
  EXPECT_NE(ReadBytes(LogPath()).find("\r\n(warning) The message extraction progress window was closed"),
            std::string::npos);
}

// A typed path is read as the headless --output reads it: an existing folder,
// or one named with a trailing '/', is where the CSV file goes; the box shows
// the file's path and that is what is saved for the next start.
TEST_F(MainWindowTest, ATypedFolderIsWhereTheCsvFileGoes) {
  for (const auto& [typed, csv] : {std::pair{output_, CsvPath()},
                                   std::pair{work_.File("new/"), work_.File("new/KorvelMigrationOutput.csv")}}) {
    SCOPED_TRACE(typed.toStdString());
    answerer_.shown.clear();
    answerer_.answers = {{39, false}, {132, false}};
    const std::unique_ptr<frmMain> window = LoadWindow();
    window->show();
    Find<QLineEdit>(*window, "txtOutputPath")->setText(typed);
    Find<QPushButton>(*window, "cmdStart")->click();
    ASSERT_EQ(answerer_.ShownIds(), std::vector<int>({39, 132}));
    EXPECT_TRUE(answerer_.shown[0].text.startsWith("Output complete.   0 error(s)")) << answerer_.shown[0].text.toStdString();
    EXPECT_EQ(Find<QLineEdit>(*window, "txtOutputPath")->text(), csv);
    EXPECT_EQ(LoadOutputFolderSetting(), csv);
    EXPECT_EQ(ReadUtf16LeText(csv).count("\r\n"), 4) << "the header and three subscribers";
  }
}

TEST_F(MainWindowTest, ARunWithACommandLineEndsTheProgramWithoutOffers) {
  SaveOutputFolderSetting(CsvPath());
  const std::unique_ptr<frmMain> window = LoadWindow("SkipVersionCheck");
  window->show();
  Find<QPushButton>(*window, "cmdStart")->click();
  EXPECT_TRUE(window->ending());
  EXPECT_EQ(window->exit_code(), 0);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(answerer_.shown.empty());
  EXPECT_NE(ReadBytes(LogPath()).find("Export complete: "), std::string::npos);
}

TEST_F(MainWindowTest, ExitDuringARunStopsItAtOnceWithItsFilesClosed) {
  SaveOutputFolderSetting(CsvPath());
  const std::unique_ptr<frmMain> window = LoadWindow();
  window->show();
  QTimer::singleShot(0, Find<QAction>(*window, "mnuExit"), &QAction::trigger);
  Find<QPushButton>(*window, "cmdStart")->click();
  EXPECT_TRUE(window->ending());
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(answerer_.shown.empty()) << "no summary, no offers";
  EXPECT_EQ(ReadBytes(LogPath()).find("Export complete: "), std::string::npos);
  // A CSV file cut short would pass for the whole export: there is none.
  EXPECT_EQ(QDir(QFileInfo(CsvPath()).path()).entryList({"*.csv*"}, QDir::Files | QDir::Hidden), QStringList());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, BrowseAcceptsOnlyAFolderThatPassesTheWriteTest) {
  const std::unique_ptr<frmMain> window = LoadWindow();
  window->show();
  auto* browse = Find<QPushButton>(*window, "cmdBrowse");
  auto* output = Find<QLineEdit>(*window, "txtOutputPath");

  answerer_.folder_to_choose = output_;
  browse->click();
  EXPECT_EQ(output->text(), CsvPath());

  // A folder whose scratch file would be written through a link fails, for
  // root as for anybody.
  const QString trap = work_.File("trap");
  QDir().mkpath(trap);
  QFile::link(work_.File("elsewhere.txt"), trap + "/test.txt.out");
  answerer_.folder_to_choose = trap;
  browse->click();
  EXPECT_EQ(answerer_.ShownIds(), std::vector<int>({26}));
  EXPECT_EQ(output->text(), CsvPath());

  answerer_.folder_to_choose.clear();
  browse->click();
  EXPECT_EQ(output->text(), CsvPath()) << "cancelled";
  EXPECT_EQ(answerer_.shown.size(), 1u);
}

// The picture of the window after start-up, for a person to look at.
TEST_F(MainWindowTest, PictureOfTheWindowAfterStartUp) {
  SaveOutputFolderSetting(CsvPath());
  const std::unique_ptr<frmMain> window = LoadWindow();
  window->show();
  QCoreApplication::processEvents();
  const QPixmap picture = window->grab();
  EXPECT_EQ(picture.size(), window->size());
  const QString file = qEnvironmentVariable("KORVEL_SCREENSHOT", work_.File("frmMain.png"));
  EXPECT_TRUE(picture.save(file, "PNG")) << file.toStdString();
}

}  // namespace
}  // namespace shell
