// The run as a whole: the checks and questions before anything is written,
// and the hand-over to the message extractor.
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"

namespace export_test {
namespace {

using export_engine::kOverwriteEarlierExportQuestion;
using export_engine::PromptButtons;

// Each check ends the run before anything is written or saved; a required
// entry is known by its label, in any case.
TEST_F(ExportRunTest, ChecksEndTheRunWithTheirNotice) {
  std::vector<export_engine::DataItemEntry> alias_unticked = AllEntries(), extension_unticked = AllEntries();
  alias_unticked[0] = {"ALIAS", false};
  extension_unticked[5].ticked = false;
  export_engine::ExportRequest no_output = Request(AllEntries());
  no_output.output_path.clear();
  const std::pair<export_engine::ExportRequest, int> cases[] = {
      {Request(Entries({})), 36}, {no_output, 126}, {Request(alias_unticked), 128}, {Request(extension_unticked), 128}};
  for (const auto& [request, notice] : cases) {
    front_end_.prompts.clear();
    EXPECT_FALSE(Run(request).reached_end);
    EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({notice}));
  }
  EXPECT_TRUE(front_end_.saved_output_paths.isEmpty());
  EXPECT_TRUE(QDir(output_.path()).isEmpty());
}

TEST_F(ExportRunTest, OnlyAnEarlierCsvFileAsksAndOnlyYesClearsTheEarlierVoiceNames) {
  WriteBytes(output_.File("old_VOICE_NAME.WAV"), "old");
  WriteBytes(output_.File("old_1234.msg"), "old");
  WriteBytes(CsvPath(), "earlier");
  front_end_.account_is_message_store_facing = false;
  front_end_.answers[kOverwriteEarlierExportQuestion] = false;
  EXPECT_FALSE(Run(Request(AllEntries())).reached_end);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({kOverwriteEarlierExportQuestion}));
  EXPECT_EQ(front_end_.prompts[0].buttons, PromptButtons::kYesNo);
  EXPECT_TRUE(QFileInfo::exists(output_.File("old_VOICE_NAME.WAV")));
  EXPECT_FALSE(QFileInfo::exists(LogPath()));
  EXPECT_TRUE(front_end_.saved_output_paths.isEmpty());

  front_end_.answers[kOverwriteEarlierExportQuestion] = true;
  EXPECT_TRUE(Run(Request(Entries({1, 2, 3, 6}))).reached_end);
  EXPECT_TRUE(QFileInfo::exists(output_.File("old_1234.msg")));
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension"}));
  EXPECT_EQ(front_end_.saved_output_paths, QStringList({CsvPath()}));
  EXPECT_EQ(front_end_.prompts.size(), 2u);
}

// The extractor starts on the log's folder after the rows and is followed to its end.
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
