// frmMessageExtractionProgress following a log that a test writes between
// ticks of Timer1, which the test fires itself with a clock of its own: what
// the window shows and every way the following ends. Then the window
// following a real extractor on a sample server.
#include "KorvelToMaelisMigrationExport/monitor/frm_message_extraction_progress.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QProcessEnvironment>
#include <QTimer>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/monitor/program_start.h"
#include "KorvelToMaelisMigrationExport/monitor/tests/fake_extractor_log.h"

namespace monitor {
namespace {

using std::chrono::seconds;

class ProgressWindowTest : public ::testing::Test {
 protected:
  ProgressWindowTest() { window_.SetExportLog([this](QStringView line) { export_log_ << line.toString(); }); }

  // What the launch does: the log to follow, the timer on, the window up.
  void Launch() {
    window_.SetLogFilePath(log_.path());
    window_.EnableTimer1();
    window_.show();
  }
  void Tick(int times = 1) {
    for (int i = 0; i < times; ++i) {
      now_ += ExtractionMonitor::kTickInterval;
      window_.Timer1_Timer();
    }
  }
  // Ticks for `duration` less one tick; whether the window still follows.
  bool TickAlmost(MonitorTime duration) {
    Tick(static_cast<int>(duration / ExtractionMonitor::kTickInterval) - 1);
    return Following();
  }
  bool Following() const { return window_.isVisible() && window_.Timer1()->isActive(); }
  QString Shown() const { return window_.rtOutput()->toPlainText(); }
  int Caret() const { return window_.rtOutput()->textCursor().position(); }
  // Reads as a log the extractor holds open can fail.
  LogFileText Read(const QString& path) {
    if (!fail_reads_) return ReadLogFileText(path);
    LogFileText failed;
    failed.state = LogFileText::State::kFailed;
    failed.failure = export_engine::Status::Failure("Permission denied", "KorvelToMaelisMigrationExport", 70);
    return failed;
  }

  export_test::TempFolder folder_;
  monitor_test::FakeExtractorLog log_{folder_.File("MsgExtraction.log")};
  MonitorTime now_{1000};
  bool fail_reads_ = false;
  frmMessageExtractionProgress window_{
      nullptr, [this](const QString& path) { return Read(path); }, [this] { return now_; }};
  QStringList export_log_;
};

// The log is Windows-1252 text; the window shows it whole with the caret
// before its last character.
TEST_F(ProgressWindowTest, ShowsTheGrowingLogUntilItsClosingLine) {
  log_.Start();
  log_.AppendLine("Mailuser Alias Ren\xe9" "e \x80 \x81");
  Launch();
  Tick();
  EXPECT_EQ(Shown(), QString::fromUtf8("\n\nLogFile Started at 17:56:26 \nMailuser Alias Renée € \u0081\n"));
  EXPECT_EQ(Caret(), Shown().size() - 1);
  log_.AppendLine("Extracting 3 Messages");
  Tick();
  EXPECT_TRUE(Shown().endsWith("\nExtracting 3 Messages\n"));
  EXPECT_EQ(Caret(), Shown().size() - 1);
  log_.Start();
  Tick();
  EXPECT_EQ(Shown(), "\n\nLogFile Started at 17:56:26 \n") << "a rewritten log replaces what was shown";
  EXPECT_TRUE(Following());

  log_.Close();
  Tick();
  EXPECT_FALSE(Following());
  EXPECT_EQ(window_.result(), QDialog::Accepted);
  EXPECT_TRUE(Shown().endsWith("LogFile closed at 17:56:26 \n"));
  EXPECT_TRUE(export_log_.isEmpty());
}

TEST_F(ProgressWindowTest, AClosingLineIsSeenWithin51CharactersOfTheEndAndNotBeyond) {
  for (const bool within : {true, false}) {
    log_.Start();
    log_.AppendLine(std::string(60, 'x'));
    log_.AppendLine("LogFile closed at");
    // The marker, its CR LF, the padding and its CR LF: 51 characters.
    log_.AppendLine(std::string(51 - 17 - 2 - 2 + (within ? 0 : 1), '.'));
    Launch();
    Tick();
    EXPECT_EQ(Following(), !within);
  }
}

TEST_F(ProgressWindowTest, Closes101UnchangedReadsAfterTheLastChangeOfLength) {
  log_.Start();
  Launch();
  Tick(60);
  log_.AppendLine("Extracting 1 Messages");  // grows
  Tick(60);
  log_.Start();  // shrinks
  Tick(101);
  EXPECT_TRUE(Following()) << "100 unchanged reads are not enough";
  EXPECT_TRUE(export_log_.isEmpty());
  Tick();
  EXPECT_FALSE(Following());
  ASSERT_EQ(export_log_.size(), 1) << "the log may be incomplete: the export log says so";
  EXPECT_TRUE(export_log_[0].startsWith("(warning) The message extraction log did not grow"));
}

// A missing file moves neither count; after 30 seconds without it the
// following ends with one error line, whether the log never came or went.
TEST_F(ProgressWindowTest, ThirtySecondsWithoutTheLogEndTheFollowing) {
  Launch();
  EXPECT_TRUE(TickAlmost(seconds(30)));
  Tick();
  EXPECT_FALSE(Following());
  EXPECT_EQ(export_log_, QStringList("(error) The message extraction log did not appear within 30 seconds of "
                                     "starting TmMsgExtractor; no messages were followed: " + log_.path()));

  export_log_.clear();
  log_.Start();
  Launch();
  Tick(50);
  log_.Remove();
  EXPECT_TRUE(TickAlmost(seconds(30))) << "a missing file does not count as unchanged either";
  Tick();
  EXPECT_FALSE(Following());
  ASSERT_EQ(export_log_.size(), 1);
  EXPECT_TRUE(export_log_[0].startsWith("(error) The message extraction log disappeared"));
}

TEST_F(ProgressWindowTest, AFailedReadWritesOneLineAndKeepsTheTextWhichCountsAsUnchanged) {
  log_.Start();
  Launch();
  Tick();
  const QString shown = Shown();
  log_.AppendLine("Extracting messages for 40 Subscribers");
  fail_reads_ = true;
  Tick(99);
  EXPECT_EQ(Shown(), shown);
  EXPECT_EQ(export_log_, QStringList(99, "(error) 70 (Permission denied) in procedure Timer1_Timer of Form "
                                         "frmMessageExtractionProgress"));
  // Writing that line lets the window handle its events; a tick that comes
  // in meanwhile must not read or count: this is the 100th unchanged read.
  window_.SetExportLog([this](QStringView) { Tick(); });
  Tick();
  EXPECT_TRUE(Following());
  fail_reads_ = false;
  Tick(100);
  EXPECT_TRUE(Shown().endsWith("40 Subscribers\n"));
  EXPECT_TRUE(Following()) << "a change of length starts the count again";
}

TEST_F(ProgressWindowTest, TheCloseBoxEndsTheFollowing) {
  log_.Start();
  Launch();
  Tick();
  window_.close();
  EXPECT_FALSE(Following());
  EXPECT_EQ(window_.result(), QDialog::Rejected);
  ASSERT_EQ(export_log_.size(), 1);
  EXPECT_TRUE(export_log_[0].startsWith("(warning) The message extraction progress window was closed"))
      << "not an error: the extractor goes on";
  log_.Close();
  Tick();
  EXPECT_EQ(Shown().count('\n'), 3) << "no read after the end";
  window_.ShowModal();  // a following that has ended does not hold the window up
  EXPECT_FALSE(window_.isVisible());
}

// A real extraction of a sample server, followed the way the export's launch
// follows it.
TEST(ProgressWindowRunTest, FollowsARealExtractionToItsClosingLine) {
  export_test::TempFolder work;
  const export_test::Finished sample =
      export_test::RunProgram("korvel-sample", {work.File("server"), "--subscribers", "120", "--messages", "1500",
                                                "--seed", "3"}, QProcessEnvironment::systemEnvironment());
  ASSERT_EQ(sample.exit_code, 0) << sample.err.toStdString();
  const QString output = work.File("export folder with blanks");
  ASSERT_TRUE(QDir().mkpath(output));
  const QString log_path = output + "/MsgExtraction.log";
  const korvel::test::ScopedEnvironmentVariable registry("KORVEL_REGISTRY", work.File("server/registry.reg").toStdString());

  frmMessageExtractionProgress window;
  QStringList export_log;
  window.SetExportLog([&](QStringView line) { export_log << line.toString(); });
  window.SetLogFilePath(log_path);
  window.EnableTimer1();
  ASSERT_TRUE(StartHiddenProgram(qEnvironmentVariable("KORVEL_BIN_DIR") + "/TmMsgExtractor",
                                 {"-dir", output, "-log", log_path}));
  window.ShowModal();

  EXPECT_EQ(window.monitor().end(), MonitoringEnd::kEndMarker);
  EXPECT_TRUE(export_log.isEmpty()) << export_log.join('\n').toStdString();
  EXPECT_TRUE(window.rtOutput()->toPlainText().trimmed().split('\n').last().startsWith("LogFile closed at"));
  EXPECT_GT(QDir(output).entryList({"*.msg"}, QDir::Files).size(), 0);
}

}  // namespace
}  // namespace monitor
