// The following rules beyond those the window test shows: the patience with
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

using std::chrono::seconds;

class ExtractionMonitorTest : public ::testing::Test {
 protected:
  ExtractionMonitorTest()
      : monitor_([this](const QString& path) {
          if (!fail_reads_) return ReadLogFileText(path);
          LogFileText failed;
          failed.state = LogFileText::State::kFailed;
          failed.failure = export_engine::Status::Failure("Permission denied", "KorvelToMaelisMigrationExport", 70);
          return failed;
        }) {}

  void Launch() {
    monitor_.SetLogFilePath(log_.path());
    monitor_.EnableTimer(now_);
  }
  bool Tick() {
    now_ += ExtractionMonitor::kTickInterval;
    return monitor_.Tick(now_, [this](QStringView line) { export_log_ << line.toString(); });
  }
  // Ticks for `duration` less one tick; whether the monitor still follows.
  bool TickAlmost(MonitorTime duration) {
    for (MonitorTime end = now_ + duration; now_ + ExtractionMonitor::kTickInterval < end;) Tick();
    return monitor_.timer_enabled();
  }

  export_test::TempFolder folder_;
  monitor_test::FakeExtractorLog log_{folder_.File("MsgExtraction.log")};
  bool fail_reads_ = false;  // as a file the writer holds can fail
  ExtractionMonitor monitor_;
  MonitorTime now_{5000};
  QStringList export_log_;
};

// A missing file moves neither counter; after 30 seconds without it the
// following ends with one error line, whether the log never came or went.
TEST_F(ExtractionMonitorTest, ThirtySecondsWithoutTheLogEndTheFollowing) {
  Launch();
  EXPECT_TRUE(TickAlmost(seconds(30)));
  EXPECT_EQ(monitor_.unchanged_ticks(), 0);
  Tick();
  EXPECT_EQ(monitor_.end(), MonitoringEnd::kLogMissing);
  EXPECT_EQ(export_log_, QStringList("(error) The message extraction log did not appear within 30 seconds of "
                                     "starting TmMsgExtractor; no messages were followed: " + log_.path()));
  Tick();
  EXPECT_EQ(export_log_.size(), 1) << "the following ends once";

  export_log_.clear();
  log_.Start();
  Launch();
  Tick();
  log_.Remove();
  EXPECT_TRUE(TickAlmost(seconds(30)));
  Tick();
  EXPECT_EQ(monitor_.end(), MonitoringEnd::kLogMissing);
  ASSERT_EQ(export_log_.size(), 1);
  EXPECT_TRUE(export_log_[0].startsWith("(error) The message extraction log disappeared"));
}

TEST_F(ExtractionMonitorTest, AClosingLineIsSeenWithin51CharactersOfTheEndAndNotBeyond) {
  for (const bool within : {true, false}) {
    log_.Start();
    log_.AppendLine(std::string(60, 'x'));
    log_.AppendLine("LogFile closed at");
    // The marker, its CR LF, the padding and its CR LF: 51 characters.
    log_.AppendLine(std::string(51 - 17 - 2 - 2 + (within ? 0 : 1), '.'));
    Launch();
    Tick();
    EXPECT_EQ(monitor_.end(), within ? MonitoringEnd::kEndMarker : MonitoringEnd::kNone);
  }
}

TEST_F(ExtractionMonitorTest, Ends101UnchangedReadsAfterTheLastChangeOfLength) {
  log_.Start();
  Launch();
  for (int i = 0; i < 60; ++i) Tick();
  log_.AppendLine("Extracting 1 Messages");  // grows
  for (int i = 0; i < 60; ++i) Tick();
  log_.Remove();
  log_.Start();  // shrinks
  EXPECT_TRUE(TickAlmost(ExtractionMonitor::kTickInterval * 102)) << "100 unchanged reads are not enough";
  EXPECT_TRUE(export_log_.isEmpty());
  Tick();
  EXPECT_EQ(monitor_.end(), MonitoringEnd::kNoGrowth);
  ASSERT_EQ(export_log_.size(), 1) << "the log may be incomplete: the export log says so";
  EXPECT_TRUE(export_log_[0].startsWith("(warning) The message extraction log did not grow"));
}

TEST_F(ExtractionMonitorTest, AFailedReadWritesOneLineAndKeepsTheTextWhichCountsAsUnchanged) {
  log_.Start();
  Launch();
  Tick();
  const QString shown = monitor_.text();
  log_.AppendLine("Extracting messages for 40 Subscribers");
  fail_reads_ = true;
  EXPECT_FALSE(Tick());
  EXPECT_EQ(monitor_.text(), shown);
  EXPECT_EQ(monitor_.unchanged_ticks(), 1);
  EXPECT_EQ(export_log_, QStringList("(error) 70 (Permission denied) in procedure Timer1_Timer of Form "
                                     "frmMessageExtractionProgress"));
  // Writing that line lets the window handle its events; a tick that comes
  // in meanwhile must not read or count.
  monitor_.Tick(now_, [&](QStringView) { EXPECT_FALSE(monitor_.Tick(now_, [](QStringView) {})); });
  EXPECT_EQ(monitor_.unchanged_ticks(), 2);

  fail_reads_ = false;
  EXPECT_TRUE(Tick());
  EXPECT_EQ(monitor_.unchanged_ticks(), 0);
}

TEST(LogFileTextTest, TheLogIsReadAsWindows1252Text) {
  export_test::TempFolder folder;
  monitor_test::FakeExtractorLog log(folder.File("MsgExtraction.log"));
  log.Start();
  log.AppendLine("Mailuser Alias Ren\xe9" "e \x80 \x81");
  const LogFileText read = ReadLogFileText(log.path());
  ASSERT_EQ(read.state, LogFileText::State::kRead);
  EXPECT_TRUE(read.text.endsWith(QString::fromUtf8("Mailuser Alias Renée € \u0081\r\n"))) << read.text.toStdString();
  EXPECT_EQ(ReadLogFileText(folder.File("none")).state, LogFileText::State::kMissing);
  EXPECT_EQ(ReadLogFileText(folder.path()).state, LogFileText::State::kMissing) << "a folder is no file";
}

}  // namespace
}  // namespace monitor
