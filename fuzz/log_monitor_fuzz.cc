// The progress window's tick over any log bytes: the log grows line by line
// to the whole input and then stays as it is. The monitoring must end within
// 101 reads of the last growth, and the headless echo of the new text must
// add up to the whole log.
#include <QString>

#include "KorvelToMaelisMigrationExport/monitor/console_follower.h"
#include "KorvelToMaelisMigrationExport/monitor/extraction_monitor.h"
#include "fuzz/fuzz_input.h"
#include "platform/codepage/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using monitor::ExtractionMonitor, monitor::LogFileText;
  const std::string_view log = Bytes(data, size);
  std::size_t written = 0;  // what the extractor has written so far
  LogFileText read;         // the file as it is now
  read.state = LogFileText::State::kRead;
  ExtractionMonitor monitor([&](const QString&) { return read; });
  monitor.SetLogFilePath(QStringLiteral("MsgExtraction.log"));
  monitor::MonitorTime now{0};
  monitor.EnableTimer(now);
  monitor::LogEcho echo;
  QString echoed;

  for (int reads_since_growth = 0; monitor.timer_enabled();) {
    if (written < log.size()) {
      const std::size_t line_end = log.find('\n', written);
      written = line_end == std::string_view::npos ? log.size() : line_end + 1;
      const std::wstring wide = codepage::AnsiToWide(log.substr(0, written));
      read.text = QString::fromWCharArray(wide.data(), static_cast<qsizetype>(wide.size()));
      reads_since_growth = 0;
    } else {
      Require(++reads_since_growth <= ExtractionMonitor::kUnchangedReadsBeforeClosing + 1);
    }
    now += ExtractionMonitor::kTickInterval;
    if (monitor.Tick(now, [](QStringView) {})) echoed += echo.NewText(monitor.text());
  }
  Require(monitor.end() != monitor::MonitoringEnd::kNone);
  // Cut short by the closing line, the echo holds what had been read then.
  Require(echoed == QString(monitor.text()).remove(QLatin1Char('\r')));
  return 0;
}
