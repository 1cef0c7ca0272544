// What an export run needs from whoever drives it: the main window answers
// with message boxes and its controls, the headless mode on the console, tests
// with scripted answers. The run itself never touches a window.
#ifndef KORVEL_EXPORT_EXPORT_EXPORT_FRONT_END_H_
#define KORVEL_EXPORT_EXPORT_EXPORT_FRONT_END_H_

#include <QString>
#include <QStringList>

namespace export_engine {

class ExportLog;

enum class PromptButtons { kOk, kOkCancel, kYesNo };

// A notice or question. `text_id` is the string-table id the text starts
// with, or kComposedText for a failure message made up by the program.
struct Prompt {
  static constexpr int kComposedText = -1;
  int text_id = kComposedText;
  QString text;
  PromptButtons buttons = PromptButtons::kOk;
};

// The run's Yes/No questions that a front end without a person at it answers
// from its own options, recognised by their text ids.
inline constexpr int kOverwriteEarlierExportQuestion = 129;
inline constexpr int kAccountMayNotReadMailboxesQuestion = 133;

// The run's other notices and questions, by the text ids they start with.
inline constexpr int kNoItemsSelected = 36;
inline constexpr int kNoOutputFolder = 126;
inline constexpr int kRequiredItemMissing = 128;
inline constexpr int kOutputComplete = 39;
inline constexpr int kViewExtractionLog = 131;
inline constexpr int kViewCsvFile = 132;
inline constexpr int kOutputFolderInUse = 141;

// Thrown by a front end's Yield to end a run; caught by whoever called
// RunExport.
struct RunAbandoned {};

class ExportFrontEnd {
 public:
  virtual ~ExportFrontEnd() = default;

  // Shows `prompt` and waits for the answer: true for OK or Yes.
  virtual bool Ask(const Prompt& prompt) = 0;

  // True while the run writes its files: the window disables its list and
  // buttons and shows the busy pointer; false gives back the Exit button.
  virtual void ShowRunning(bool running) = 0;

  // The progress bar runs from 0 to `maximum`, the subscriber count of
  // start-up; a run moves it one step per subscriber.
  virtual void SetProgressRange(int maximum) = 0;
  virtual void SetProgress(int value) = 0;

  // Lets the front end handle its events; called after every log line. A
  // front end that is closing ends the run from here by throwing
  // RunAbandoned: it leaves RunExport at once, every file the run has not
  // committed is removed on the way out, and the log is closed as it stands.
  virtual void Yield() = 0;

  // Keeps the output path for the next start of the program.
  virtual void SaveSettings(const QString& output_path) = 0;

  // Opens a file the run produced for the administrator to read.
  virtual void OpenProducedFile(const QString& path) = 0;

  // A string value under HKEY_LOCAL_MACHINE; empty when the key or the value
  // is missing.
  virtual QString ReadMachineString(const QString& key_path, const QString& value_name) = 0;

  // Whether the program runs under the message-store service's account, the
  // one that can read every mailbox; asked only when messages are wanted.
  virtual bool RunningAccountIsMessageStoreFacing() = 0;

  // The message extraction's progress window, or its stand-in, in the order
  // of the launch. First it is told the log to follow and its timer starts;
  // then the extractor is started; then it is shown, and the call returns
  // when the monitoring of the log has ended. Its failures go to `log`.
  virtual void PrepareExtractionProgress(const QString& extraction_log_path) = 0;
  virtual void ShowExtractionProgress(ExportLog& log) = 0;

  // Starts `program` with `arguments` (no shell in between) as a separate
  // process without a window, its output discarded, and returns at once:
  // true when it started. The run never waits for it.
  virtual bool StartHiddenProgram(const QString& program, const QStringList& arguments) = 0;
};

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_EXPORT_FRONT_END_H_
