// frmMessageExtractionProgress over a log that a test writes between ticks
// of Timer1, which the test fires itself; and the window following a real
// extractor on a sample server, with a picture taken during the run.
#include "KorvelToMaelisMigrationExport/monitor/frm_message_extraction_progress.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTextCursor>
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
  ProgressWindowTest() {
    window_.SetExportLog([this](QStringView line) { export_log_ << line.toString(); });
  }

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
  bool Following() const { return window_.isVisible() && window_.Timer1()->isActive(); }
  // Appends lines until the file is `length` bytes long, ending with CR LF.
  void GrowTo(qsizetype length) {
    while (log_.length() < length) {
      const qsizetype missing = length - log_.length() - 2;
      log_.AppendLine(std::string(static_cast<size_t>(std::clamp<qsizetype>(missing, 0, 60)), 'x'));
    }
  }

  export_test::TempFolder folder_;
  monitor_test::FakeExtractorLog log_{folder_.File("MsgExtraction.log")};
  MonitorTime now_{1000};
  frmMessageExtractionProgress window_{nullptr, ReadLogFileText, [this] { return now_; }};
  QStringList export_log_;
};

TEST_F(ProgressWindowTest, IsACaptionedWindowOnTopWithTheLogBoxFillingIt) {
  EXPECT_EQ(window_.windowTitle(), "Message Extraction Progress");
  EXPECT_TRUE(window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(window_.minimumSize(), QSize(window_.Pixels(1000), window_.Pixels(1000)));
  EXPECT_EQ(window_.size(), QSize(window_.Pixels(8265), window_.Pixels(4530)));
  EXPECT_EQ(window_.Timer1()->interval(), 100);
  Launch();
  window_.resize(10, 10);
  EXPECT_EQ(window_.size(), window_.minimumSize()) << "too small a size snaps back";
  EXPECT_EQ(window_.rtOutput()->geometry(), window_.rect());
  EXPECT_TRUE(window_.rtOutput()->isReadOnly());
}

TEST_F(ProgressWindowTest, ShowsTheWholeLogWithTheCaretBeforeItsLastCharacter) {
  log_.Start();
  log_.AppendLine("Mailuser Alias Ren\xe9" "e ...");
  Launch();
  Tick();
  EXPECT_EQ(window_.rtOutput()->toPlainText(), QString::fromUtf8("\n\nLogFile Started at 17:56:26 \n"
                                                                 "Mailuser Alias Renée ...\n"));
  const QTextCursor caret = window_.rtOutput()->textCursor();
  EXPECT_EQ(caret.position(), window_.rtOutput()->toPlainText().size() - 1);

  log_.AppendLine("Extracting 3 Messages");
  Tick();
  EXPECT_TRUE(window_.rtOutput()->toPlainText().endsWith("...\nExtracting 3 Messages\n"));
  EXPECT_EQ(window_.rtOutput()->textCursor().position(), window_.rtOutput()->toPlainText().size() - 1);

  // A rewritten log replaces what was shown.
  log_.Remove();
  log_.Start();
  Tick();
  EXPECT_EQ(window_.rtOutput()->toPlainText(), "\n\nLogFile Started at 17:56:26 \n");
}

TEST_F(ProgressWindowTest, ClosesAtTheFirstTickThatSeesTheClosingLine) {
  log_.Start();
  Launch();
  Tick(3);
  EXPECT_TRUE(Following());
  log_.AppendLine("Message extraction complete.");
  log_.Close();
  Tick();
  EXPECT_FALSE(window_.isVisible());
  EXPECT_FALSE(window_.Timer1()->isActive());
  EXPECT_EQ(window_.result(), QDialog::Accepted);
  EXPECT_TRUE(window_.rtOutput()->toPlainText().endsWith("LogFile closed at 17:56:26 \n"));
  EXPECT_TRUE(export_log_.isEmpty());
}

// The closing line is looked for in the last 51 characters only.
TEST_F(ProgressWindowTest, AClosingLineIsSeenWithin51CharactersOfTheEndAndNotBeyond) {
  log_.Start();
  GrowTo(100);
  log_.AppendLine("LogFile closed at");
  // The marker, its CR LF, the padding and its CR LF: 51 characters.
  const std::string padding(51 - 17 - 2 - 2, '.');
  log_.AppendLine(padding);
  Launch();
  Tick();
  EXPECT_FALSE(Following());

  log_.Remove();
  log_.Start();
  GrowTo(100);
  log_.AppendLine("LogFile closed at");
  log_.AppendLine(padding + ".");
  Launch();
  Tick();
  EXPECT_TRUE(Following());
}

TEST_F(ProgressWindowTest, Closes101UnchangedReadsAfterTheLastGrowthAndNot100) {
  log_.Start();
  Launch();
  Tick();  // the first read: a change of length
  Tick(100);
  EXPECT_EQ(window_.monitor().unchanged_ticks(), 100);
  EXPECT_TRUE(Following()) << "100 unchanged reads are not enough";
  Tick();
  EXPECT_FALSE(Following());
  EXPECT_EQ(window_.monitor().end(), MonitoringEnd::kNoGrowth);
  ASSERT_EQ(export_log_.size(), 1) << "the log may be incomplete: the export log says so";
  EXPECT_TRUE(export_log_[0].startsWith("(warning) The message extraction log did not grow"));
}

TEST_F(ProgressWindowTest, AnyChangeOfLengthStartsTheCountAgain) {
  log_.Start();
  log_.AppendLine("Extracting messages for subscriber 1 of 40");
  Launch();
  Tick(60);
  EXPECT_EQ(window_.monitor().unchanged_ticks(), 59);
  log_.AppendLine("Extracting 1 Messages");  // grows
  Tick(60);
  EXPECT_EQ(window_.monitor().unchanged_ticks(), 59);
  log_.Remove();
  log_.Start();  // shrinks
  Tick(60);
  EXPECT_EQ(window_.monitor().unchanged_ticks(), 59);
  EXPECT_EQ(window_.monitor().last_length(), log_.length());
  EXPECT_TRUE(Following()) << "180 reads, but never 101 unchanged ones in a row";
}

TEST_F(ProgressWindowTest, AMissingLogChangesNothingUntilItAppears) {
  log_.Start();
  Launch();
  Tick(5);
  log_.Remove();
  const int unchanged = window_.monitor().unchanged_ticks();
  const QString shown = window_.rtOutput()->toPlainText();
  Tick(250);  // 25 seconds, far beyond 101 reads
  EXPECT_TRUE(Following());
  EXPECT_EQ(window_.monitor().unchanged_ticks(), unchanged);
  EXPECT_EQ(window_.rtOutput()->toPlainText(), shown);

  log_.Start();
  log_.Close();
  Tick();
  EXPECT_FALSE(Following());
  EXPECT_EQ(window_.monitor().end(), MonitoringEnd::kEndMarker);
}

TEST_F(ProgressWindowTest, TheCloseBoxEndsTheMonitoring) {
  log_.Start();
  Launch();
  Tick();
  window_.close();
  EXPECT_FALSE(Following());
  EXPECT_EQ(window_.monitor().end(), MonitoringEnd::kClosedByHand);
  EXPECT_EQ(window_.result(), QDialog::Rejected);
  ASSERT_EQ(export_log_.size(), 1);
  EXPECT_TRUE(export_log_[0].startsWith("(warning) ")) << "not an error: the extractor goes on";

  log_.Close();
  Tick();
  EXPECT_EQ(window_.rtOutput()->toPlainText().count('\n'), 3) << "no read after the end";
}

TEST_F(ProgressWindowTest, ShowModalReturnsWhenTheMonitoringEnds) {
  log_.Start();
  log_.Close();
  window_.SetLogFilePath(log_.path());
  window_.EnableTimer1();
  window_.ShowModal();  // Timer1's first tick sees the closing line
  EXPECT_EQ(window_.monitor().end(), MonitoringEnd::kEndMarker);
  EXPECT_FALSE(window_.isVisible());

  // A monitoring that ended before the window came up does not hold it.
  window_.ShowModal();
  EXPECT_FALSE(window_.isVisible());
}

// A real extraction of a sample server, followed the way the export's launch
// follows it. The picture is taken at a tick during the run; when the
// extractor was too quick for that, at the last one.
TEST(ProgressWindowRunTest, FollowsARealExtractionToItsClosingLine) {
  export_test::TempFolder work;
  const QString bin = qEnvironmentVariable("KORVEL_BIN_DIR");
  const export_test::Finished sample =
      export_test::RunProgram("korvel-sample", {work.File("server"), "--subscribers", "120", "--messages", "1500",
                                                "--seed", "3"}, QProcessEnvironment::systemEnvironment());
  ASSERT_EQ(sample.exit_code, 0) << sample.err.toStdString();
  const QString output = work.File("export folder with blanks");
  ASSERT_TRUE(QDir().mkpath(output));
  const QString log_path = output + "/MsgExtraction.log";
  qputenv("KORVEL_REGISTRY", work.File("server/registry.reg").toLocal8Bit());

  frmMessageExtractionProgress window;
  QStringList export_log;
  window.SetExportLog([&](QStringView line) { export_log << line.toString(); });
  window.SetLogFilePath(log_path);
  window.EnableTimer1();
  ASSERT_TRUE(StartDetachedProgram(bin + "/TmMsgExtractor", {"-dir", output, "-log", log_path}, WindowStyle::kHidden));

  QImage during_run;
  bool taken_during_run = false;
  QObject::connect(window.Timer1(), &QTimer::timeout, &window, [&] {
    if (taken_during_run || window.rtOutput()->toPlainText().isEmpty()) return;
    during_run = window.grab().toImage();
    taken_during_run = window.monitor().end() == MonitoringEnd::kNone;
  });
  window.ShowModal();

  EXPECT_EQ(window.monitor().end(), MonitoringEnd::kEndMarker);
  EXPECT_TRUE(export_log.isEmpty()) << export_log.join('\n').toStdString();
  const QStringList lines = window.rtOutput()->toPlainText().split('\n', Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.last().startsWith("LogFile closed at")) << lines.last().toStdString();
  EXPECT_GT(QDir(output).entryList({"*.msg"}, QDir::Files).size(), 0);

  const QString picture = qEnvironmentVariable("KORVEL_SCREENSHOT");
  if (!picture.isEmpty()) {
    ASSERT_FALSE(during_run.isNull());
    EXPECT_TRUE(during_run.save(picture));
    std::printf("picture of the window %s: %s\n", taken_during_run ? "during the run" : "at its last tick",
                picture.toLocal8Bit().constData());
  }
}

}  // namespace
}  // namespace monitor
