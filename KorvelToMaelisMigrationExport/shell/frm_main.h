// frmMain: the program's one main window. Loading it runs the start-up; its
// Start button runs the one export of this start of the program, answering
// the export's questions with message boxes.
#ifndef KORVEL_EXPORT_SHELL_FRM_MAIN_H_
#define KORVEL_EXPORT_SHELL_FRM_MAIN_H_

#include <cstdint>
#include <functional>

#include <QMainWindow>
#include <QString>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/monitor/frm_message_extraction_progress.h"
#include "KorvelToMaelisMigrationExport/startup.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;

namespace shell {

// The Help menu's entries that other windows provide. An entry without an
// action is shown disabled.
struct MainWindowMenuActions {
  std::function<void()> help;              // frmHelp, modally
  std::function<void()> about;             // frmAbout, modally
  std::function<void()> check_for_update;  // the update check
};

class frmMain : public QMainWindow,
                private export_program::StartupWindow,
                private export_engine::ExportFrontEnd {
 public:
  explicit frmMain(MainWindowMenuActions menu_actions = {});
  ~frmMain() override;

  // Runs start-up (Form_Load). False when it ended the program; exit_code()
  // then says how.
  bool Load(const QString& connect_string, const QString& command_line_text);

  // Every caption from the string table; again after a change of language.
  void frmMain_Auto_Init();

  void cmdStart_Click();
  void cmdBrowse_Click();

  // The one way the program ends: an export in progress stops at its next
  // log line with its files closed, and the windows close, which ends the
  // event loop. `exit_code` is the program's status when start-up ends it
  // before the event loop runs.
  void ExitApplication(int exit_code = 0);

  bool ending() const { return ending_; }
  bool exporting() const { return exporting_; }
  int exit_code() const { return exit_code_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Start-up's window steps.
  void LoadCaptions() override;
  void LoadSettings() override;
  void FillDataItems() override;

  // The export's front end.
  bool Ask(const export_engine::Prompt& prompt) override;
  void ShowRunning(bool running) override;
  void SetProgressRange(int maximum) override;
  void SetProgress(int value) override;
  void Yield() override;
  void SaveSettings(const QString& output_path) override;
  void OpenProducedFile(const QString& path) override;
  QString ReadMachineString(const QString& key_path, const QString& value_name) override;
  bool RunningAccountIsMessageStoreFacing() override;
  void PrepareExtractionProgress(const QString& extraction_log_path) override;
  void ShowExtractionProgress(export_engine::ExportLog& log) override;
  bool StartHiddenProgram(const QString& program, const QStringList& arguments) override;

  void CreateControls();
  void CreateMenus(const MainWindowMenuActions& menu_actions);
  void SetOutputPath(const QString& output_path);
  bool TakeTypedOutputPath(QString* output_path);
  void UpdateLeastHeight();
  void ApplyResizeRules();
  void FillScreenHeight();
  int PixelsX(int twips) const;
  int PixelsY(int twips) const;

  QGroupBox* frameWriteDataTo_ = nullptr;
  QLineEdit* txtOutputPath_ = nullptr;
  QPushButton* cmdBrowse_ = nullptr;
  QCheckBox* chkIncludeMessages_ = nullptr;
  QGroupBox* frameListBox_ = nullptr;
  QListWidget* lstDataItems_ = nullptr;
  QGroupBox* frameProgress_ = nullptr;
  QProgressBar* ProgressBar_ = nullptr;
  QPushButton* cmdStart_ = nullptr;
  QPushButton* cmdExit_ = nullptr;
  QMenu* mnuFile_ = nullptr;
  QAction* mnuExit_ = nullptr;
  QMenu* menuHelp_ = nullptr;
  QAction* Help_ = nullptr;
  QAction* About_ = nullptr;
  QAction* mnuCheckForUpdatedVersion_ = nullptr;

  // Lives as long as the program: it keeps what it read from one launch of
  // the extractor to the next.
  monitor::frmMessageExtractionProgress frmMessageExtractionProgress_{this};
  export_program::ProgramSession session_;
  bool exporting_ = false;
  bool ending_ = false;
  int exit_code_ = 0;
};

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_FRM_MAIN_H_
