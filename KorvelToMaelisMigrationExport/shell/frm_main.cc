#include "KorvelToMaelisMigrationExport/shell/frm_main.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "KorvelToMaelisMigrationExport/command_line.h"
#include "KorvelToMaelisMigrationExport/export/data_items.h"
#include "KorvelToMaelisMigrationExport/export/export_request.h"
#include "KorvelToMaelisMigrationExport/export/export_run.h"
#include "KorvelToMaelisMigrationExport/localisation/mnemonics.h"
#include "KorvelToMaelisMigrationExport/localisation/mod_localize.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/monitor/account_check.h"
#include "KorvelToMaelisMigrationExport/monitor/program_start.h"
#include "KorvelToMaelisMigrationExport/shell/directory_select.h"
#include "KorvelToMaelisMigrationExport/shell/main_window_layout.h"
#include "KorvelToMaelisMigrationExport/shell/message_box.h"
#include "KorvelToMaelisMigrationExport/shell/registry_api.h"
#include "KorvelToMaelisMigrationExport/shell/settings.h"
#include "platform/interrupt/interrupt.h"

namespace shell {
namespace {

using localisation::myLoadResString;

// Caption ids of the string table.
constexpr int kTitle = 53;
constexpr int kOutputFolderCaption = 70;
constexpr int kBrowseCaption = 8;
constexpr int kDataToIncludeCaption = 15;
constexpr int kIncludeMessagesCaption = 125;
constexpr int kProgressCaption = 43;
constexpr int kStartCaption = 51;
constexpr int kExitCaption = 19;
constexpr int kFileCaption = 22;
constexpr int kHelpCaption = 24;
constexpr int kAboutCaption = 2;
constexpr int kCheckForUpdateCaption = 113;

// The design measured the window from outside: its caption, menu bar and
// borders took 690 twips of its height and its borders 120 of its width.
// The controls are placed in the area inside them.
constexpr int kDesignNonClientWidth = 120;
constexpr int kDesignNonClientHeight = 690;

// Where the controls that never move are, in twips, inside the window or
// inside their frame.
struct TwipsRect {
  int left, top, width, height;
};
constexpr TwipsRect kOutputFrame{120, 120, 4920, 825};
constexpr TwipsRect kOutputPathBox{120, 330, 3540, 345};
constexpr TwipsRect kBrowseButton{3780, 315, 1020, 375};
constexpr TwipsRect kIncludeMessagesBox{240, 1020, 4680, 300};
constexpr int kListFrameTop = 1380;
constexpr int kFrameLeft = 120;
constexpr int kFrameWidth = 4920;
constexpr int kInFrameLeft = 120;
constexpr int kInFrameTop = 300;
constexpr int kInFrameWidth = 4680;
constexpr int kProgressFrameHeight = 705;
constexpr int kProgressBarHeight = 270;
constexpr int kStartLeft = 2520;
constexpr int kExitLeft = 3840;
constexpr int kButtonWidth = 1200;
constexpr int kButtonHeight = 375;

QAction* MenuAction(QMenu* menu, const char* name, const std::function<void()>& action) {
  QAction* entry = menu->addAction(QString());
  entry->setObjectName(QLatin1StringView(name));
  entry->setEnabled(static_cast<bool>(action));
  if (action) QObject::connect(entry, &QAction::triggered, menu, [action] { action(); });
  return entry;
}

}  // namespace

frmMain::frmMain(MainWindowMenuActions menu_actions) {
  setObjectName(QStringLiteral("frmMain"));
  CreateControls();
  CreateMenus(menu_actions);
  localisation::RegisterAutoInit(this, [this] { frmMain_Auto_Init(); });

  setFixedWidth(PixelsX(kMainWindowWidth - kDesignNonClientWidth));
  UpdateLeastHeight();
  ApplyResizeRules();
}

frmMain::~frmMain() = default;

int frmMain::PixelsX(int twips) const { return TwipsToPixels(twips, logicalDpiX()); }
int frmMain::PixelsY(int twips) const { return TwipsToPixels(twips, logicalDpiY()); }

void frmMain::CreateControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);
  const auto place = [this](QWidget* control, const TwipsRect& where) {
    control->setGeometry(PixelsX(where.left), PixelsY(where.top), PixelsX(where.width), PixelsY(where.height));
  };

  frameWriteDataTo_ = new QGroupBox(client);
  frameWriteDataTo_->setObjectName(QStringLiteral("frameWriteDataTo"));
  place(frameWriteDataTo_, kOutputFrame);
  txtOutputPath_ = new QLineEdit(frameWriteDataTo_);
  txtOutputPath_->setObjectName(QStringLiteral("txtOutputPath"));
  place(txtOutputPath_, kOutputPathBox);
  cmdBrowse_ = new QPushButton(frameWriteDataTo_);
  cmdBrowse_->setObjectName(QStringLiteral("cmdBrowse"));
  place(cmdBrowse_, kBrowseButton);
  connect(cmdBrowse_, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });

  chkIncludeMessages_ = new QCheckBox(client);
  chkIncludeMessages_->setObjectName(QStringLiteral("chkIncludeMessages"));
  place(chkIncludeMessages_, kIncludeMessagesBox);

  frameListBox_ = new QGroupBox(client);
  frameListBox_->setObjectName(QStringLiteral("frameListBox"));
  lstDataItems_ = new QListWidget(frameListBox_);
  lstDataItems_->setObjectName(QStringLiteral("lstDataItems"));
  // A label too long for the list is cut short rather than scrolled to.
  lstDataItems_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  frameProgress_ = new QGroupBox(client);
  frameProgress_->setObjectName(QStringLiteral("frameProgress"));
  ProgressBar_ = new QProgressBar(frameProgress_);
  ProgressBar_->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar_->setTextVisible(false);
  ProgressBar_->setRange(0, 1);
  ProgressBar_->setValue(0);

  cmdStart_ = new QPushButton(client);
  cmdStart_->setObjectName(QStringLiteral("cmdStart"));
  cmdStart_->setDefault(true);
  connect(cmdStart_, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
  cmdExit_ = new QPushButton(client);
  cmdExit_->setObjectName(QStringLiteral("cmdExit"));
  connect(cmdExit_, &QPushButton::clicked, this, [this] { ExitApplication(); });
}

void frmMain::CreateMenus(const MainWindowMenuActions& menu_actions) {
  mnuFile_ = menuBar()->addMenu(QString());
  mnuFile_->setObjectName(QStringLiteral("mnuFile"));
  mnuExit_ = MenuAction(mnuFile_, "mnuExit", [this] { ExitApplication(); });

  menuHelp_ = menuBar()->addMenu(QString());
  menuHelp_->setObjectName(QStringLiteral("menuHelp"));
  Help_ = MenuAction(menuHelp_, "Help", menu_actions.help);
  menuHelp_->addSeparator()->setObjectName(QStringLiteral("seperator"));
  About_ = MenuAction(menuHelp_, "About", menu_actions.about);
  mnuCheckForUpdatedVersion_ = MenuAction(menuHelp_, "mnuCheckForUpdatedVersion", menu_actions.check_for_update);
}

void frmMain::frmMain_Auto_Init() {
  setWindowTitle(myLoadResString(kTitle));
  frameWriteDataTo_->setTitle(myLoadResString(kOutputFolderCaption));
  frameListBox_->setTitle(myLoadResString(kDataToIncludeCaption));
  frameProgress_->setTitle(myLoadResString(kProgressCaption));
  // The menu bar's titles and the window's controls answer to the same Alt
  // keys; each menu's entries to their own.
  localisation::MnemonicGroup window_keys;
  mnuFile_->setTitle(window_keys.Caption(kFileCaption));
  menuHelp_->setTitle(window_keys.Caption(kHelpCaption));
  cmdBrowse_->setText(window_keys.Caption(kBrowseCaption));
  chkIncludeMessages_->setText(window_keys.Caption(kIncludeMessagesCaption));
  cmdStart_->setText(window_keys.Caption(kStartCaption));
  cmdExit_->setText(window_keys.Caption(kExitCaption));
  localisation::MnemonicGroup file_menu_keys;
  mnuExit_->setText(file_menu_keys.Caption(kExitCaption));
  localisation::MnemonicGroup help_menu_keys;
  Help_->setText(help_menu_keys.Caption(kHelpCaption));
  About_->setText(help_menu_keys.Caption(kAboutCaption));
  mnuCheckForUpdatedVersion_->setText(help_menu_keys.Caption(kCheckForUpdateCaption));
  UpdateLeastHeight();

  // The export ties each entry to its data item by the label of the language
  // loaded at the time of the run, so the entries follow the language too;
  // their ticks stay.
  const auto catalogue = export_engine::DataItemCatalogue();
  for (int row = 0; row < lstDataItems_->count() && row < static_cast<int>(catalogue.size()); ++row) {
    QListWidgetItem* entry = lstDataItems_->item(row);
    entry->setText(export_engine::DataItemLabel(catalogue[static_cast<size_t>(row)].item));
    entry->setToolTip(entry->text());
  }
}

bool frmMain::Load(const QString& connect_string, const QString& command_line_text) {
  QString failure_detail;
  if (export_program::StartProgram(connect_string, command_line_text, *this, this, &session_, &failure_detail) ==
      export_program::StartupResult::kEndProgram) {
    ExitApplication(export_program::kExitStartupEnded);
    return false;
  }
  return true;
}

void frmMain::LoadCaptions() { frmMain_Auto_Init(); }

void frmMain::LoadSettings() {
  const QString output_path = LoadOutputFolderSetting();
  if (!output_path.isEmpty()) SetOutputPath(output_path);
}

void frmMain::SetProgressRange(int maximum) {
  // A bar whose range is empty shows itself busy; an empty directory gets a
  // bar that stays empty instead.
  ProgressBar_->setRange(0, std::max(maximum, 1));
}

void frmMain::FillDataItems() {
  lstDataItems_->clear();
  for (const export_engine::DataItemEntry& entry : export_engine::CatalogueEntries()) {
    auto* item = new QListWidgetItem(entry.label, lstDataItems_);
    // The list is narrower than its longest labels.
    item->setToolTip(entry.label);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.ticked ? Qt::Checked : Qt::Unchecked);
  }
}

void frmMain::cmdStart_Click() {
  export_engine::ExportRequest request;
  request.output_path = txtOutputPath_->text();
  if (!request.output_path.isEmpty() && !TakeTypedOutputPath(&request.output_path)) return;
  for (int row = 0; row < lstDataItems_->count(); ++row) {
    const QListWidgetItem* item = lstDataItems_->item(row);
    request.data_items.push_back({item->text(), item->checkState() == Qt::Checked});
  }
  request.include_messages = chkIncludeMessages_->isChecked();
  request.started_with_arguments = !session_.command_line_text.isEmpty();

  export_engine::ExportEnvironment environment{session_.tables, export_program::ThisProgram(),
                                               session_.subscriber_count};
  exporting_ = true;
  try {
    const export_engine::RunResult result = export_engine::RunExport(request, environment, *this);
    exporting_ = false;
    // A stop signal may also have ended the run by closing a question.
    if (const int stop = interrupt::PendingSignal(); stop != 0) {
      ExitApplication(interrupt::ExitStatusFor(stop));
    } else if (result.ends_program) {
      ExitApplication();
    }
  } catch (const export_engine::RunAbandoned&) {
    exporting_ = false;
    QApplication::restoreOverrideCursor();
  }
}

void frmMain::cmdBrowse_Click() {
  const QString remembered = txtOutputPath_->text();
  const QString start_folder = remembered.isEmpty() ? QString() : QFileInfo(remembered).absolutePath();
  const QString chosen = QFileDialog::getExistingDirectory(this, QString(), start_folder, QFileDialog::ShowDirsOnly);
  const BrowseOutcome outcome = OutputPathForChosenFolder(remembered, chosen);
  if (outcome.invalid_folder) {
    Ask({kInvalidFolderNotice, myLoadResString(kInvalidFolderNotice), export_engine::PromptButtons::kOk});
  }
  SetOutputPath(outcome.output_path);
}

// A path typed into the box is read as --output reads it: one that names an
// existing folder or ends in '/' is the folder (made when missing), and the
// box then shows the CSV file's path in it, which is what the run saves. A
// folder that fails the write test stops the run before anything is written.
bool frmMain::TakeTypedOutputPath(QString* output_path) {
  const bool names_folder = output_path->endsWith(QLatin1Char('/'));
  *output_path = export_program::OutputPathForOption(*output_path);
  SetOutputPath(*output_path);
  if (ReadyOutputFolder(*output_path, names_folder).usable) return true;
  Ask({kInvalidFolderNotice, myLoadResString(kInvalidFolderNotice), export_engine::PromptButtons::kOk});
  return false;
}

// A path longer than the box shows its beginning, as a path is read.
void frmMain::SetOutputPath(const QString& output_path) {
  txtOutputPath_->setText(output_path);
  txtOutputPath_->setCursorPosition(0);
}

void frmMain::ExitApplication(int exit_code) {
  if (ending_) return;
  ending_ = true;
  exit_code_ = exit_code;
  // Closing the last window ends the event loop when it runs; an export in
  // progress stops at its next log line (see Yield).
  QApplication::closeAllWindows();
}

bool frmMain::Ask(const export_engine::Prompt& prompt) {
  return AskInMessageBox(isVisible() ? this : nullptr, prompt);
}

void frmMain::ShowRunning(bool running) {
  if (running) {
    lstDataItems_->setEnabled(false);
    cmdStart_->setEnabled(false);
    cmdExit_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    // Start and the list stay disabled: one start of the program, one export.
    cmdExit_->setEnabled(true);
    QApplication::restoreOverrideCursor();
  }
}

void frmMain::SetProgress(int value) { ProgressBar_->setValue(value); }

void frmMain::Yield() {
  QCoreApplication::processEvents();
  if (ending_ && exporting_) throw export_engine::RunAbandoned{};
}

void frmMain::SaveSettings(const QString& output_path) { SaveOutputFolderSetting(output_path); }

void frmMain::OpenProducedFile(const QString& path) { OpenOnDesktop(this, QUrl::fromLocalFile(path)); }

QString frmMain::ReadMachineString(const QString& key_path, const QString& value_name) {
  return shell::ReadMachineString(key_path, value_name);
}

bool frmMain::RunningAccountIsMessageStoreFacing() { return monitor::bCheckIfRunningAccountIsMessageStoreFacing(); }

void frmMain::PrepareExtractionProgress(const QString& extraction_log_path) {
  frmMessageExtractionProgress_.SetLogFilePath(extraction_log_path);
  frmMessageExtractionProgress_.EnableTimer1();
}

void frmMain::ShowExtractionProgress(export_engine::ExportLog& log) {
  frmMessageExtractionProgress_.SetExportLog([&log](QStringView line) { log.WriteLogLine(line); });
  frmMessageExtractionProgress_.ShowModal();
  frmMessageExtractionProgress_.SetExportLog({});
}

bool frmMain::StartHiddenProgram(const QString& program, const QStringList& arguments) {
  return monitor::StartHiddenProgram(program, arguments);
}

// The toolkit keeps the least height; the menu bar, whose height depends on
// its captions and their font, comes on top of the design's.
void frmMain::UpdateLeastHeight() {
  setMinimumHeight(menuBar()->sizeHint().height() + PixelsY(kMainWindowMinimumHeight - kDesignNonClientHeight));
}

void frmMain::ApplyResizeRules() {
  const int window_height = PixelsToTwips(centralWidget()->height(), logicalDpiY()) + kDesignNonClientHeight;
  const MainWindowLayout layout = LayoutForWindowHeight(window_height, kListFrameTop);
  frameListBox_->setGeometry(PixelsX(kFrameLeft), PixelsY(kListFrameTop), PixelsX(kFrameWidth),
                             PixelsY(layout.list_frame_height));
  lstDataItems_->setGeometry(PixelsX(kInFrameLeft), PixelsY(kInFrameTop), PixelsX(kInFrameWidth),
                             PixelsY(layout.list_height));
  frameProgress_->setGeometry(PixelsX(kFrameLeft), PixelsY(layout.progress_frame_top), PixelsX(kFrameWidth),
                              PixelsY(kProgressFrameHeight));
  ProgressBar_->setGeometry(PixelsX(kInFrameLeft), PixelsY(kInFrameTop), PixelsX(kInFrameWidth),
                            PixelsY(kProgressBarHeight));
  cmdStart_->setGeometry(PixelsX(kStartLeft), PixelsY(layout.start_top), PixelsX(kButtonWidth),
                         PixelsY(kButtonHeight));
  cmdExit_->setGeometry(PixelsX(kExitLeft), PixelsY(layout.exit_top), PixelsX(kButtonWidth), PixelsY(kButtonHeight));
}

// A maximised window would stretch the list across the screen; it takes the
// screen's height at its top-left corner instead and keeps its width.
void frmMain::FillScreenHeight() {
  setWindowState(windowState() & ~Qt::WindowMaximized);
  const QRect available = screen()->availableGeometry();
  const int frame_height = frameGeometry().height() - geometry().height();
  move(available.topLeft());
  resize(width(), available.height() - frame_height);
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (!isMinimized()) ApplyResizeRules();
}

void frmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && isMaximized()) {
    QTimer::singleShot(0, this, [this] { FillScreenHeight(); });
  }
}

void frmMain::closeEvent(QCloseEvent* event) {
  ExitApplication();
  event->accept();
}

}  // namespace shell
