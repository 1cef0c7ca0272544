// The headless mode's following of the extractor: the same ticks, and the
// log echoed piece by piece as it grows.
#include "KorvelToMaelisMigrationExport/monitor/console_follower.h"

#include <functional>
#include <string>

#include <QStringList>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/monitor/tests/fake_extractor_log.h"

namespace monitor {
namespace {

TEST(LogEchoTest, EchoesWhatTheLogAddsAndTheWholeOfAReplacedLog) {
  LogEcho echo;
  EXPECT_EQ(echo.NewText("\r\n\r\nLogFile Started"), "\n\nLogFile Started");
  EXPECT_EQ(echo.NewText("\r\n\r\nLogFile Started"), "");
  EXPECT_EQ(echo.NewText("\r\n\r\nLogFile Started at 17:56:26 \r\nConn"), " at 17:56:26 \nConn");
  EXPECT_EQ(echo.NewText("\r\nOther"), "\nOther");
}

// Runs the follower with a clock that moves only when it sleeps; `at_tick`
// plays the extractor before each tick.
struct ConsoleRun {
  explicit ConsoleRun(const QString& log_path) { monitor.SetLogFilePath(log_path); }

  std::string Follow(const std::function<void(int tick)>& at_tick) {
    monitor.EnableTimer(now);
    int tick = 0;
    ConsoleClock clock{[this] { return now; },
                       [&](MonitorTime interval) {
                         now += interval;
                         at_tick(++tick);
                       }};
    QString echoed;
    FollowOnConsole(
        monitor, [this](QStringView line) { export_log << line.toString(); },
        [&echoed](const QString& added) { echoed += added; }, clock);
    ticks = tick;
    return echoed.toStdString();
  }

  ExtractionMonitor monitor;
  MonitorTime now{0};
  QStringList export_log;
  int ticks = 0;
};

TEST(FollowOnConsoleTest, EchoesTheGrowingLogUntilItsClosingLine) {
  export_test::TempFolder folder;
  monitor_test::FakeExtractorLog log(folder.File("MsgExtraction.log"));
  ConsoleRun run(log.path());
  const std::string echoed = run.Follow([&](int tick) {
    if (tick == 3) log.Start();
    if (tick == 5) log.AppendLine("Extracting messages for 2 Subscribers");
    if (tick == 6) log.AppendLine("Mailuser Alias Ren\xe9" "e ...");
    if (tick == 8) log.Close();
  });
  EXPECT_EQ(echoed, "\n\nLogFile Started at 17:56:26 \nExtracting messages for 2 Subscribers\n"
                    "Mailuser Alias Renée ...\nLogFile closed at 17:56:26 \n");
  EXPECT_EQ(run.ticks, 8);
  EXPECT_EQ(run.monitor.end(), MonitoringEnd::kEndMarker);
  EXPECT_TRUE(run.export_log.isEmpty());
}

}  // namespace
}  // namespace monitor
