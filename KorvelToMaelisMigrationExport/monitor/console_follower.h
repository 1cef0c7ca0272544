// The progress window's console stand-in for the headless mode: the same
// ticks over the same monitor, with the new log text echoed as it comes.
#ifndef KORVEL_EXPORT_MONITOR_CONSOLE_FOLLOWER_H_
#define KORVEL_EXPORT_MONITOR_CONSOLE_FOLLOWER_H_

#include <functional>

#include <QString>

#include "KorvelToMaelisMigrationExport/monitor/extraction_monitor.h"

namespace monitor {

// What of a log that is re-read whole is new since the last echo.
class LogEcho {
 public:
  // The text that `text` adds to what was echoed so far; the whole of `text`
  // when it no longer begins with that (the file was replaced). Line ends
  // come out as the console's own.
  QString NewText(const QString& text);

 private:
  QString echoed_;
};

struct ConsoleClock {
  std::function<MonitorTime()> now = SteadyClockNow;
  std::function<void(MonitorTime)> sleep;  // real sleeping when empty
};

// Receives the text the log added since the last echo.
using LogEchoWriter = std::function<void(const QString& added)>;

// Ticks `monitor` every tick interval until its monitoring ends, handing the
// new log text to `echo`. The monitor's timer must have been enabled.
void FollowOnConsole(ExtractionMonitor& monitor, const LogLineWriter& write_log_line, const LogEchoWriter& echo,
                     const ConsoleClock& clock = {});

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_CONSOLE_FOLLOWER_H_
