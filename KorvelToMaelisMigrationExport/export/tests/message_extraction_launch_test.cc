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

TEST_F(ExportRunTest, StartsTheExtractorOnTheLogFolderAfterTheRowsAndFollowsItToTheEnd) {
  // Blanks, and a quote, that a command line would have to protect.
  const QString folder = output_.File("Migration Export \"May\""), extraction_log = folder + "/MsgExtraction.log";
  const auto run_with_messages = [&] {
    export_engine::ExportRequest request = Request(Entries({1, 2, 3, 6}));
    request.output_path = folder + "/KorvelMigrationOutput.csv";
    request.include_messages = true;
    return Run(request);
  };
  const auto folder_log = [&] { return ReadBytes(folder + "/KorvelToMaelisMigrationErrors.log"); };
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "one"});
  QDir().mkpath(folder);
  // An earlier extraction's log goes, even when it is marked read-only.
  WriteBytes(extraction_log, "LogFile closed at 09:00:00 \r\n");
  ASSERT_EQ(::chmod(extraction_log.toLocal8Bit().constData(), 0444), 0);
  front_end_.on_show = [&](export_engine::ExportLog& log) {
    EXPECT_FALSE(QFileInfo::exists(extraction_log));
    log.WriteLogLine(u"(error) 70 (Permission denied) in procedure Timer1_Timer of Form frmMessageExtractionProgress");
  };
  const export_engine::RunResult result = run_with_messages();
  const QString program = QCoreApplication::applicationDirPath() + "/TmMsgExtractor";
  EXPECT_EQ(front_end_.extraction_steps,
            QStringList({"prepare " + extraction_log,
                         "start " + program + " -dir|" + folder + "|-log|" + extraction_log, "show"}));
  EXPECT_EQ(result.extraction_log_path, extraction_log);
  EXPECT_EQ(result.error_count, 1) << "the monitoring's failure line counts";
  EXPECT_NE(folder_log().find("Alias=one\r\nExporting messages - check the message extraction log for details= " +
                             extraction_log.toStdString() +
                             "\r\n(error) 70 (Permission denied) in procedure Timer1_Timer of Form "
                             "frmMessageExtractionProgress\r\n\r\nExport complete: "),
            std::string::npos)
      << folder_log();

  // An extractor that cannot start is logged and still followed.
  front_end_.extractor_starts = false;
  front_end_.on_show = nullptr;
  EXPECT_EQ(run_with_messages().error_count, 1);
  EXPECT_EQ(front_end_.extraction_steps.last(), "show");
  EXPECT_NE(folder_log().find("details= " + extraction_log.toStdString() +
                             "\r\n(error) in export. Description=No such file or directory, "
                             "Source=KorvelToMaelisMigrationExport, Number= 53\r\n"),
            std::string::npos)
      << folder_log();
}

}  // namespace
}  // namespace export_test
