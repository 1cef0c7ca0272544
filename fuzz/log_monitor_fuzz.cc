// The progress window's tick over any log bytes: the log grows line by line
// to the whole input and then stays as it is. The monitoring must end within
// 101 reads of the last growth, and the headless echo of the new text must
// add up to the whole log.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <QString>

#include "KorvelToMaelisMigrationExport/monitor/console_follower.h"
#include "KorvelToMaelisMigrationExport/monitor/extraction_monitor.h"
#include "platform/codepage/codepage.h"

namespace {

using monitor::ExtractionMonitor;
using monitor::LogFileText;

QString AnsiText(std::string_view bytes) {
  const std::wstring wide = codepage::AnsiToWide(bytes);
  return QString::fromWCharArray(wide.data(), static_cast<qsizetype>(wide.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view log(reinterpret_cast<const char*>(data), size);
  std::size_t written = 0;  // what the extractor has written so far
  LogFileText read;         // the file as it is now
  read.state = LogFileText::State::kRead;
  ExtractionMonitor monitor([&](const QString&) { return read; });
  monitor.SetLogFilePath(QStringLiteral("MsgExtraction.log"));
  monitor::MonitorTime now{0};
  monitor.EnableTimer(now);
  monitor::LogEcho echo;
  QString echoed;
  const auto ignore_line = [](QStringView) {};

  int reads_since_growth = 0;
  while (monitor.timer_enabled()) {
    if (written < log.size()) {
      const std::size_t line_end = log.find('\n', written);
      written = line_end == std::string_view::npos ? log.size() : line_end + 1;
      read.text = AnsiText(log.substr(0, written));
      reads_since_growth = 0;
    } else if (++reads_since_growth > ExtractionMonitor::kUnchangedReadsBeforeClosing + 1) {
      std::abort();
    }
    now += ExtractionMonitor::kTickInterval;
    if (monitor.Tick(now, ignore_line)) echoed += echo.NewText(monitor.text());
  }
  if (monitor.end() == monitor::MonitoringEnd::kNone) std::abort();
  // Cut short by the closing line, the echo holds what had been read then.
  if (echoed != QString(monitor.text()).remove(QLatin1Char('\r'))) std::abort();
  return 0;
}
