// The hand-over to the message extractor at the end of an export with
// messages: its log line, the earlier extraction log, the order of the
// launch's steps, the extractor's command line and a start that fails.
#include "KorvelToMaelisMigrationExport/export/message_extraction_launch.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"

namespace export_test {
namespace {

class MessageExtractionLaunchTest : public ExportRunTest {
 protected:
  MessageExtractionLaunchTest() {
    directory_.AddCompleteSubscriber({.id = "S1", .alias = "one"});
    QDir().mkpath(folder_);
  }
  export_engine::RunResult RunWithMessages() {
    export_engine::ExportRequest request = Request(Entries({1, 2, 3, 6}));
    request.output_path = folder_ + "/KorvelMigrationOutput.csv";
    request.include_messages = true;
    return Run(request);
  }
  std::string FolderLog() const { return ReadBytes(folder_ + "/KorvelToMaelisMigrationErrors.log"); }

  // Blanks, and a quote, that a command line would have to protect.
  const QString folder_ = output_.File("Migration Export \"May\"");
  const QString extraction_log_ = folder_ + "/MsgExtraction.log";
};

TEST_F(MessageExtractionLaunchTest, StartsTheExtractorOnTheLogFolderAfterTheRowsAndFollowsItToTheEnd) {
  // An earlier extraction's log goes, even when it is marked read-only.
  WriteBytes(extraction_log_, "LogFile closed at 09:00:00 \r\n");
  ASSERT_EQ(::chmod(extraction_log_.toLocal8Bit().constData(), 0444), 0);
  front_end_.on_show = [this](export_engine::ExportLog& log) {
    EXPECT_FALSE(QFileInfo::exists(extraction_log_));
    log.WriteLogLine(u"(error) 70 (Permission denied) in procedure Timer1_Timer of Form frmMessageExtractionProgress");
  };
  const export_engine::RunResult result = RunWithMessages();
  const QString program = QCoreApplication::applicationDirPath() + "/TmMsgExtractor";
  EXPECT_EQ(front_end_.extraction_steps,
            QStringList({"prepare " + extraction_log_,
                         "start " + program + " -dir|" + folder_ + "|-log|" + extraction_log_, "show"}));
  EXPECT_EQ(result.extraction_log_path, extraction_log_);
  EXPECT_EQ(result.error_count, 1) << "the monitoring's failure line counts";
  EXPECT_NE(FolderLog().find("Alias=one\r\nExporting messages - check the message extraction log for details= " +
                             extraction_log_.toStdString() +
                             "\r\n(error) 70 (Permission denied) in procedure Timer1_Timer of Form "
                             "frmMessageExtractionProgress\r\n\r\nExport complete: "),
            std::string::npos)
      << FolderLog();
}

TEST_F(MessageExtractionLaunchTest, AnExtractorThatCannotStartIsLoggedAndStillFollowed) {
  front_end_.extractor_starts = false;
  EXPECT_EQ(RunWithMessages().error_count, 1);
  EXPECT_EQ(front_end_.extraction_steps.size(), 3);
  EXPECT_EQ(front_end_.extraction_steps.last(), "show");
  EXPECT_NE(FolderLog().find("details= " + extraction_log_.toStdString() +
                             "\r\n(error) in export. Description=No such file or directory, "
                             "Source=KorvelToMaelisMigrationExport, Number= 53\r\n"),
            std::string::npos)
      << FolderLog();
}

}  // namespace
}  // namespace export_test
