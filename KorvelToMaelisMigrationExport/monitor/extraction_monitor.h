// What the progress window knows while it follows the message extractor
// through its log, and what one tick of its timer does with it. A plain class,
// so that the window and the headless mode follow the extractor by the same
// rules, and tests can drive the ticks with their own clock.
//
// The monitoring of one launch ends, once, at the first of:
// - the extractor's closing line ("LogFile closed at") within the text's last
//   51 characters;
// - 101 reads in a row at which the text kept its length (about ten seconds
//   without growth);
// - the log file missing for 30 seconds: never created (the extractor did not
//   start), or gone and not back;
// - the administrator closing the window; the extractor keeps running.
// The last three leave a line in the export log, so the administrator knows
// the extraction log may be incomplete.
#ifndef KORVEL_EXPORT_MONITOR_EXTRACTION_MONITOR_H_
#define KORVEL_EXPORT_MONITOR_EXTRACTION_MONITOR_H_

#include <chrono>
#include <functional>

#include <QString>
#include <QStringView>

#include "KorvelToMaelisMigrationExport/monitor/log_file_text.h"

namespace monitor {

// A point on a monotonic clock.
using MonitorTime = std::chrono::milliseconds;
MonitorTime SteadyClockNow();

// Writes one line into the export log.
using LogLineWriter = std::function<void(QStringView)>;

enum class MonitoringEnd {
  kNone,          // not ended (or never started)
  kEndMarker,     // the extractor wrote its closing line
  kNoGrowth,      // the text kept its length for 101 reads
  kLogMissing,    // no log file for 30 seconds
  kClosedByHand,  // the administrator closed the window
};

class ExtractionMonitor {
 public:
  static constexpr std::chrono::milliseconds kTickInterval{100};
  static constexpr int kUnchangedReadsBeforeClosing = 100;  // closes at the 101st
  static constexpr qsizetype kEndMarkerSearchLength = 51;
  static constexpr std::chrono::seconds kMissingLogPatience{30};

  using LogReader = std::function<LogFileText(const QString& path)>;

  explicit ExtractionMonitor(LogReader reader = ReadLogFileText);

  // LogFilePath: the log to follow.
  void SetLogFilePath(const QString& path) { log_file_path_ = path; }
  const QString& log_file_path() const { return log_file_path_; }

  // Enables the timer: the monitoring of a launch starts at `now`. The text
  // and the counters stay as the previous launch left them; the first read of
  // a log of another length resets the counters.
  void EnableTimer(MonitorTime now);
  bool timer_enabled() const { return timer_enabled_; }

  // One tick of the timer: reads the log and decides whether the monitoring
  // ends. A failed read writes one "(error)" line through `write_log_line` and
  // leaves the text as it was. Gives true when the text changed. A tick while
  // the timer is disabled, or during another tick, does nothing.
  bool Tick(MonitorTime now, const LogLineWriter& write_log_line);

  // The window's close box: the monitoring ends; the extractor is left alone.
  void CloseByHand(const LogLineWriter& write_log_line);

  // The whole log text as last read.
  const QString& text() const { return text_; }

  qsizetype last_length() const { return last_length_; }
  int unchanged_ticks() const { return unchanged_ticks_; }
  MonitoringEnd end() const { return end_; }

 private:
  void End(MonitoringEnd end, const LogLineWriter& write_log_line);
  bool EndMarkerIsNearTheEnd() const;

  LogReader reader_;
  QString log_file_path_;
  bool timer_enabled_ = false;
  bool ticking_ = false;
  MonitoringEnd end_ = MonitoringEnd::kNone;
  QString text_;
  qsizetype last_length_ = 0;
  int unchanged_ticks_ = 0;
  // When the log was last found, or when the launch started.
  MonitorTime last_seen_{0};
  bool log_seen_ = false;  // in this launch
};

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_EXTRACTION_MONITOR_H_
