// The headless mode's following of the extractor: the same ticks, with a
// clock that moves only when the follower sleeps, and the log echoed piece
// by piece as it grows.
#include "KorvelToMaelisMigrationExport/monitor/console_follower.h"

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/monitor/tests/fake_extractor_log.h"

namespace monitor {
namespace {

TEST(FollowOnConsoleTest, EchoesWhatTheLogAddsAndAReplacedLogWholeUntilItsClosingLine) {
  export_test::TempFolder folder;
  monitor_test::FakeExtractorLog log(folder.File("MsgExtraction.log"));
  ExtractionMonitor monitor;
  monitor.SetLogFilePath(log.path());
  MonitorTime now{0};
  monitor.EnableTimer(now);
  int tick = 0;
  const ConsoleClock clock{[&] { return now; }, [&](MonitorTime interval) {
                             now += interval;
                             // The extractor, before each tick.
                             if (++tick == 3) log.Start();
                             if (tick == 5) log.AppendLine("Mailuser Alias Ren\xe9" "e ...");
                             if (tick == 6) log.Start();  // rewritten
                             if (tick == 8) log.Close();
                           }};
  QString echoed;
  QStringList export_log;
  FollowOnConsole(monitor, [&](QStringView line) { export_log << line.toString(); },
                  [&](const QString& added) { echoed += added; }, clock);
  EXPECT_EQ(echoed, QString::fromUtf8("\n\nLogFile Started at 17:56:26 \nMailuser Alias Renée ...\n"
                                      "\n\nLogFile Started at 17:56:26 \nLogFile closed at 17:56:26 \n"));
  EXPECT_EQ(tick, 8);
  EXPECT_EQ(monitor.end(), MonitoringEnd::kEndMarker);
  EXPECT_TRUE(export_log.isEmpty());
}

}  // namespace
}  // namespace monitor
