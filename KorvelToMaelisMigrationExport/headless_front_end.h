// The export's front end on a console: notices and questions go to standard
// error with the answer taken (the options decide the answers), and so does
// the progress, as plain lines, or on a terminal as a bar redrawn in place
// with the rate and the time left. The message extractor is followed by the
// progress window's rules, its log echoed as it grows; on a terminal a bar
// of the subscribers done stays below the log lines.
#ifndef KORVEL_EXPORT_HEADLESS_FRONT_END_H_
#define KORVEL_EXPORT_HEADLESS_FRONT_END_H_

#include <chrono>
#include <cstdio>
#include <functional>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/monitor/extraction_monitor.h"

namespace export_program {

struct HeadlessAnswers {
  bool overwrite = false;       // Yes to replacing an earlier export
  bool accept_account = false;  // Yes to going on under an account that may not read every mailbox
};

class HeadlessFrontEnd : public export_engine::ExportFrontEnd {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // `progress_bar`: draw the progress as one bar that is redrawn in place.
  HeadlessFrontEnd(std::FILE* err, HeadlessAnswers answers, bool progress_bar,
                   Clock clock = std::chrono::steady_clock::now);

  bool Ask(const export_engine::Prompt& prompt) override;
  void ShowRunning(bool running) override;
  void SetProgressRange(int maximum) override { progress_maximum_ = maximum; }
  void SetProgress(int value) override;
  void Yield() override;
  void SaveSettings(const QString& output_path) override;
  void OpenProducedFile(const QString& path) override;
  QString ReadMachineString(const QString& key_path, const QString& value_name) override;
  bool RunningAccountIsMessageStoreFacing() override;
  void PrepareExtractionProgress(const QString& extraction_log_path) override;
  void ShowExtractionProgress(export_engine::ExportLog& log) override;
  bool StartHiddenProgram(const QString& program, const QStringList& arguments) override;

 private:
  bool AnswerFor(const export_engine::Prompt& prompt) const;
  void DrawBar(const QByteArray& bar);
  void ClearBar();
  void EndProgressBar();
  void EchoExtractionLog(const QString& added);

  std::FILE* err_;
  HeadlessAnswers answers_;
  bool progress_bar_;
  Clock clock_;
  int progress_maximum_ = 0;
  int shown_percent_ = -1;
  std::chrono::steady_clock::time_point export_started_{};
  std::chrono::steady_clock::time_point bar_drawn_{};
  QByteArray bar_;  // the bar on the terminal's last line; empty when none
  // The extraction's subscribers, from its log's "subscriber N of M" lines.
  QString partial_log_line_;
  std::chrono::steady_clock::time_point extraction_started_{};
  int subscriber_ = 0;
  int subscribers_ = 0;
  monitor::ExtractionMonitor extraction_monitor_;
};

}  // namespace export_program

#endif  // KORVEL_EXPORT_HEADLESS_FRONT_END_H_
