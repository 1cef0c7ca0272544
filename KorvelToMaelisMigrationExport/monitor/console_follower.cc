#include "KorvelToMaelisMigrationExport/monitor/console_follower.h"

#include <thread>

#include "platform/interrupt/interrupt.h"

namespace monitor {

QString LogEcho::NewText(const QString& text) {
  QString added = text.startsWith(echoed_) ? text.sliced(echoed_.size()) : text;
  echoed_ = text;
  added.remove(QLatin1Char('\r'));
  return added;
}

void FollowOnConsole(ExtractionMonitor& monitor, const LogLineWriter& write_log_line, const LogEchoWriter& echo,
                     const ConsoleClock& clock) {
  LogEcho log_echo;
  // A stop signal ends the following; the extractor goes on by itself.
  while (monitor.timer_enabled() && interrupt::PendingSignal() == 0) {
    if (clock.sleep) {
      clock.sleep(ExtractionMonitor::kTickInterval);
    } else {
      std::this_thread::sleep_for(ExtractionMonitor::kTickInterval);
    }
    if (!monitor.Tick(clock.now(), write_log_line)) continue;
    const QString added = log_echo.NewText(monitor.text());
    if (!added.isEmpty()) echo(added);
  }
}

}  // namespace monitor
