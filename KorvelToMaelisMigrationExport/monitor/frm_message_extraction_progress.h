// frmMessageExtractionProgress: the window that shows the message
// extractor's log live while the extractor runs, and closes itself when the
// monitoring ends (see ExtractionMonitor). The program keeps one for its
// whole life, so what it read stays from one launch to the next.
#ifndef KORVEL_EXPORT_MONITOR_FRM_MESSAGE_EXTRACTION_PROGRESS_H_
#define KORVEL_EXPORT_MONITOR_FRM_MESSAGE_EXTRACTION_PROGRESS_H_

#include <functional>

#include <QDialog>
#include <QString>

#include "KorvelToMaelisMigrationExport/monitor/extraction_monitor.h"

class QPlainTextEdit;
class QTimer;

namespace monitor {

class frmMessageExtractionProgress : public QDialog {
 public:
  using Clock = std::function<MonitorTime()>;

  explicit frmMessageExtractionProgress(QWidget* parent = nullptr,
                                        ExtractionMonitor::LogReader reader = ReadLogFileText,
                                        Clock clock = SteadyClockNow);
  ~frmMessageExtractionProgress() override;

  void SetLogFilePath(const QString& path) { monitor_.SetLogFilePath(path); }

  // Enables Timer1; the monitoring of a launch starts now.
  void EnableTimer1();

  // Where the ticks write their failure lines: the export log of the run.
  void SetExportLog(LogLineWriter write_log_line) { write_log_line_ = std::move(write_log_line); }

  // Shows the window modally until the monitoring ends. Returns at once when
  // it ended before the window could be shown.
  void ShowModal();

  // One tick of Timer1: read the log, show it, and close when it is done.
  void Timer1_Timer();

  const ExtractionMonitor& monitor() const { return monitor_; }
  QPlainTextEdit* rtOutput() const { return rtOutput_; }
  QTimer* Timer1() const { return Timer1_; }

  // Converts the window's design sizes, given in twips, to pixels.
  int Pixels(int twips) const;

 protected:
  // The close box and Escape end the monitoring; the extractor goes on.
  void reject() override;

 private:
  void ShowText();
  void WriteLogLine(QStringView line) const;

  ExtractionMonitor monitor_;
  Clock clock_;
  LogLineWriter write_log_line_;
  QPlainTextEdit* rtOutput_ = nullptr;
  QTimer* Timer1_ = nullptr;
  QString shown_text_;  // the log text as rtOutput holds it
};

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_FRM_MESSAGE_EXTRACTION_PROGRESS_H_
