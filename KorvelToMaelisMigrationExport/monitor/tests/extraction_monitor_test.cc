// The monitoring rules beyond those the window test shows: the patience with
// a missing log, failed reads, the state kept from one launch to the next,
// and the reading of the file itself.
#include "KorvelToMaelisMigrationExport/monitor/extraction_monitor.h"

#include <QDir>
#include <QStringList>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/status.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/monitor/tests/fake_extractor_log.h"

namespace monitor {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class ExtractionMonitorTest : public ::testing::Test {
 protected:
  explicit ExtractionMonitorTest(ExtractionMonitor::LogReader reader = ReadLogFileText)
      : monitor_(std::move(reader)) {}

  void Launch() {
    monitor_.SetLogFilePath(log_.path());
    monitor_.EnableTimer(now_);
  }
  // One tick a tick interval after the last.
  bool Tick() {
    now_ += ExtractionMonitor::kTickInterval;
    return monitor_.Tick(now_, [this](QStringView line) { export_log_ << line.toString(); });
  }
  void TickUntil(MonitorTime when) {
    while (now_ + ExtractionMonitor::kTickInterval <= when) Tick();
  }

  export_test::TempFolder folder_;
  monitor_test::FakeExtractorLog log_{folder_.File("MsgExtraction.log")};
  ExtractionMonitor monitor_;
  MonitorTime now_{5000};
  QStringList export_log_;
};

TEST_F(ExtractionMonitorTest, ALogThatNeverAppearsEndsTheMonitoringAfterThirtySecondsWithOneErrorLine) {
  const MonitorTime start = now_;
  Launch();
  TickUntil(start + seconds(30) - milliseconds(100));
  EXPECT_TRUE(monitor_.timer_enabled());
  EXPECT_EQ(monitor_.unchanged_ticks(), 0);
  EXPECT_TRUE(export_log_.isEmpty());

  Tick();
  EXPECT_FALSE(monitor_.timer_enabled());
  EXPECT_EQ(monitor_.end(), MonitoringEnd::kLogMissing);
  ASSERT_EQ(export_log_.size(), 1);
  EXPECT_TRUE(export_log_[0].startsWith("(error) The message extraction log did not appear within 30 seconds"));
  EXPECT_TRUE(export_log_[0].endsWith(log_.path()));

  Tick();
  EXPECT_EQ(export_log_.size(), 1) << "the monitoring ends once";
}

TEST_F(ExtractionMonitorTest, TheThirtySecondsCountFromTheLastReadThatFoundTheLog) {
  Launch();
  TickUntil(now_ + seconds(20));
  log_.Start();
  Tick();
  log_.Remove();
  const MonitorTime gone = now_;
  TickUntil(gone + seconds(30) - milliseconds(100));
  EXPECT_TRUE(monitor_.timer_enabled()) << "a missing file does not count as unchanged either";
  Tick();
  EXPECT_EQ(monitor_.end(), MonitoringEnd::kLogMissing);
  ASSERT_EQ(export_log_.size(), 1);
  EXPECT_TRUE(export_log_[0].startsWith("(error) The message extraction log disappeared")) << export_log_[0].toStdString();
}

// The text, the last length and the unchanged count are those of the last
// launch; only a log of another length resets the count.
TEST_F(ExtractionMonitorTest, TheCountersCarryOverToTheNextLaunch) {
  log_.Start();
  log_.Close();
  Launch();
  Tick();
  ASSERT_EQ(monitor_.end(), MonitoringEnd::kEndMarker);
  const qsizetype first_length = monitor_.last_length();
  EXPECT_EQ(first_length, log_.length());

  // The same log again, as when an old log could not be deleted: its first
  // read is already an unchanged one, and it ends the monitoring at once.
  Launch();
  EXPECT_TRUE(monitor_.timer_enabled());
  Tick();
  EXPECT_EQ(monitor_.unchanged_ticks(), 1);
  EXPECT_EQ(monitor_.end(), MonitoringEnd::kEndMarker);

  // A new log of another length starts the count again.
  log_.Remove();
  log_.Start();
  Launch();
  EXPECT_EQ(monitor_.text().size(), first_length) << "nothing is cleared at a launch";
  Tick();
  EXPECT_EQ(monitor_.unchanged_ticks(), 0);
  EXPECT_EQ(monitor_.last_length(), log_.length());
  Tick();
  EXPECT_EQ(monitor_.unchanged_ticks(), 1);
  EXPECT_EQ(monitor_.end(), MonitoringEnd::kNone);
}

TEST_F(ExtractionMonitorTest, TheLogIsReadAsWindows1252Text) {
  log_.Start();
  log_.AppendLine("Mailuser Alias Ren\xe9" "e \x80 \x81");
  const LogFileText read = ReadLogFileText(log_.path());
  ASSERT_EQ(read.state, LogFileText::State::kRead);
  EXPECT_TRUE(read.text.endsWith(QString::fromUtf8("Mailuser Alias Renée € \u0081\r\n"))) << read.text.toStdString();
  EXPECT_EQ(read.text.size(), log_.length());

  EXPECT_EQ(ReadLogFileText(folder_.File("none")).state, LogFileText::State::kMissing);
  QDir().mkdir(folder_.File("folder"));
  EXPECT_EQ(ReadLogFileText(folder_.File("folder")).state, LogFileText::State::kMissing) << "a folder is no file";
}

// A reader that fails while the writer holds the file, as a shared file can.
class FailingReadTest : public ExtractionMonitorTest {
 protected:
  FailingReadTest()
      : ExtractionMonitorTest([this](const QString& path) {
          if (!fail_) return ReadLogFileText(path);
          LogFileText failed;
          failed.state = LogFileText::State::kFailed;
          failed.failure = export_engine::Status::Failure("Permission denied", "KorvelToMaelisMigrationExport", 70);
          return failed;
        }) {}
  bool fail_ = false;
};

TEST_F(FailingReadTest, AFailedReadWritesOneLineAndKeepsTheTextWhichCountsAsUnchanged) {
  log_.Start();
  Launch();
  Tick();
  const QString shown = monitor_.text();
  log_.AppendLine("Extracting messages for 40 Subscribers");
  fail_ = true;
  EXPECT_FALSE(Tick());
  EXPECT_FALSE(Tick());
  EXPECT_EQ(monitor_.text(), shown);
  EXPECT_EQ(monitor_.unchanged_ticks(), 2);
  EXPECT_EQ(export_log_, QStringList(2, "(error) 70 (Permission denied) in procedure Timer1_Timer of Form "
                                        "frmMessageExtractionProgress"));

  fail_ = false;
  EXPECT_TRUE(Tick());
  EXPECT_EQ(monitor_.unchanged_ticks(), 0);
  EXPECT_TRUE(monitor_.text().endsWith("40 Subscribers\r\n"));
}

// Writing a failure line lets the window handle its events; a tick that
// comes in meanwhile must not read or count.
TEST_F(FailingReadTest, ATickDuringATickDoesNothing) {
  log_.Start();
  Launch();
  fail_ = true;
  int nested_results = 0;
  monitor_.Tick(now_, [&](QStringView) { nested_results += monitor_.Tick(now_, [](QStringView) {}) ? 1 : 0; });
  EXPECT_EQ(nested_results, 0);
  EXPECT_EQ(monitor_.unchanged_ticks(), 1);
}

}  // namespace
}  // namespace monitor
