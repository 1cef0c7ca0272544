#include "KorvelToMaelisMigrationExport/monitor/extraction_monitor.h"

#include <algorithm>
#include <utility>

namespace monitor {
namespace {

constexpr char16_t kEndMarker[] = u"LogFile closed at";

QString TickFailureLine(const export_engine::Status& failure) {
  return QStringLiteral("(error) ") + QString::number(failure.number()) + QStringLiteral(" (") +
         failure.description() + QStringLiteral(") in procedure Timer1_Timer of Form frmMessageExtractionProgress");
}

QString EndLine(MonitoringEnd end, bool log_seen, const QString& path) {
  switch (end) {
    case MonitoringEnd::kNoGrowth:
      return QStringLiteral(
                 "(warning) The message extraction log did not grow for ten seconds and was no longer followed; "
                 "TmMsgExtractor may still be running. Check that the log ends with its 'LogFile closed at' line: ") +
             path;
    case MonitoringEnd::kLogMissing:
      return log_seen ? QStringLiteral("(error) The message extraction log disappeared and was not back within 30 "
                                       "seconds; the export stopped following it: ") +
                            path
                      : QStringLiteral("(error) The message extraction log did not appear within 30 seconds of "
                                       "starting TmMsgExtractor; no messages were followed: ") +
                            path;
    case MonitoringEnd::kClosedByHand:
      return QStringLiteral(
                 "(warning) The message extraction progress window was closed before the extraction ended; "
                 "TmMsgExtractor goes on in the background. Check that the log ends with its 'LogFile closed at' "
                 "line: ") +
             path;
    case MonitoringEnd::kNone:
    case MonitoringEnd::kEndMarker:
      break;
  }
  return QString();
}

}  // namespace

MonitorTime SteadyClockNow() {
  return std::chrono::duration_cast<MonitorTime>(std::chrono::steady_clock::now().time_since_epoch());
}

ExtractionMonitor::ExtractionMonitor(LogReader reader) : reader_(std::move(reader)) {}

void ExtractionMonitor::EnableTimer(MonitorTime now) {
  timer_enabled_ = true;
  end_ = MonitoringEnd::kNone;
  last_seen_ = now;
  log_seen_ = false;
}

bool ExtractionMonitor::Tick(MonitorTime now, const LogLineWriter& write_log_line) {
  // Writing a failure line lets the window handle its events, which may
  // include this timer again.
  if (!timer_enabled_ || ticking_) return false;
  ticking_ = true;
  struct TickEnd {
    bool& ticking;
    ~TickEnd() { ticking = false; }
  } tick_end{ticking_};

  const LogFileText read = log_file_path_.isEmpty() ? LogFileText{} : reader_(log_file_path_);
  if (read.state == LogFileText::State::kMissing) {
    // Neither counter moves while there is no file; only the patience runs.
    if (now - last_seen_ >= kMissingLogPatience) End(MonitoringEnd::kLogMissing, write_log_line);
    return false;
  }
  last_seen_ = now;
  log_seen_ = true;

  bool changed = false;
  if (read.state == LogFileText::State::kFailed) {
    write_log_line(TickFailureLine(read.failure));
  } else if (read.text != text_) {
    text_ = read.text;
    changed = true;
  }

  // Only the length tells growth: a text rewritten at the same length counts
  // as unchanged, a shorter one as a change.
  const qsizetype length = text_.size();
  if (length == last_length_) {
    ++unchanged_ticks_;
  } else {
    last_length_ = length;
    unchanged_ticks_ = 0;
  }

  if (EndMarkerIsNearTheEnd()) {
    End(MonitoringEnd::kEndMarker, write_log_line);
  } else if (unchanged_ticks_ > kUnchangedReadsBeforeClosing) {
    End(MonitoringEnd::kNoGrowth, write_log_line);
  }
  return changed;
}

void ExtractionMonitor::CloseByHand(const LogLineWriter& write_log_line) {
  if (timer_enabled_) End(MonitoringEnd::kClosedByHand, write_log_line);
}

bool ExtractionMonitor::EndMarkerIsNearTheEnd() const {
  const qsizetype from = std::max<qsizetype>(0, text_.size() - kEndMarkerSearchLength);
  return QStringView(text_).sliced(from).contains(QStringView(kEndMarker));
}

void ExtractionMonitor::End(MonitoringEnd end, const LogLineWriter& write_log_line) {
  timer_enabled_ = false;
  end_ = end;
  const QString line = EndLine(end, log_seen_, log_file_path_);
  if (!line.isEmpty()) write_log_line(line);
}

}  // namespace monitor
