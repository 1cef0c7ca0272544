// The run as a whole: the checks and questions before anything is written,
// the log's frame, progress, the closing summary and offers, and a CSV file
// that cannot be created.
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"

namespace export_test {
namespace {

using export_engine::kAccountMayNotReadMailboxesQuestion;
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
  EXPECT_EQ(ReadBytes(CsvPath()), "earlier");
  EXPECT_TRUE(QFileInfo::exists(output_.File("old_VOICE_NAME.WAV")));
  EXPECT_FALSE(QFileInfo::exists(LogPath()));
  EXPECT_TRUE(front_end_.saved_output_paths.isEmpty());

  front_end_.answers[kOverwriteEarlierExportQuestion] = true;
  EXPECT_TRUE(Run(Request(Entries({1, 2, 3, 6}))).reached_end);
  EXPECT_FALSE(QFileInfo::exists(output_.File("old_VOICE_NAME.WAV")));
  EXPECT_TRUE(QFileInfo::exists(output_.File("old_1234.msg")));
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension"}));
  EXPECT_EQ(front_end_.saved_output_paths, QStringList({CsvPath()}));
  EXPECT_EQ(front_end_.prompts.size(), 2u);

  // Only an export with messages needs the account that can read every
  // mailbox; the question comes after the overwrite question.
  front_end_.prompts.clear();
  export_engine::ExportRequest with_messages = Request(AllEntries());
  with_messages.include_messages = true;
  front_end_.answers[kAccountMayNotReadMailboxesQuestion] = false;
  EXPECT_FALSE(Run(with_messages).reached_end);
  EXPECT_EQ(front_end_.PromptIds(),
            std::vector<int>({kOverwriteEarlierExportQuestion, kAccountMayNotReadMailboxesQuestion}));
  EXPECT_EQ(front_end_.saved_output_paths.size(), 1) << "the refused run saved nothing";
}

TEST_F(ExportRunTest, TheClosingSummaryOffersTheFilesAndOpensWhatWasAgreedTo) {
  export_engine::ExportRequest request = Request(Entries({1, 2, 3, 6}));
  request.started_with_arguments = false;
  request.include_messages = true;
  front_end_.answers = {{39, false}};
  const export_engine::RunResult result = Run(request);
  EXPECT_TRUE(result.reached_end);
  EXPECT_FALSE(result.ends_program);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({39, 131, 132}));
  EXPECT_EQ(front_end_.prompts[0].text,
            "Output complete.   0 error(s) encountered in process.  Press OK to view the error log now");
  EXPECT_EQ(front_end_.prompts[0].buttons, PromptButtons::kOkCancel);
  EXPECT_EQ(front_end_.opened, QStringList({output_.File("MsgExtraction.log"), CsvPath()}));
}

// Progress moves one step per subscriber and stops at the count of start-up,
// though the table may hold more.
TEST_F(ExportRunTest, ProgressStopsAtTheCountOfStartUp) {
  for (const char* id : {"S1", "S2"}) directory_.AddCompleteSubscriber({.id = id, .alias = "a"});
  directory_.AddCompleteSubscriber({.id = "S4", .alias = "EAdmin"});
  export_engine::TableCache tables;
  ASSERT_TRUE(tables.OpenDirectoryTables(directory_.connect_string()));
  export_engine::ExportEnvironment environment{tables, {"KorvelToMaelisMigrationExport", 1, 0, 23}, 2};
  export_engine::RunExport(Request(Entries({1, 2, 3, 6})), environment, front_end_);
  EXPECT_EQ(front_end_.progress, std::vector<int>({0, 1, 2}));
  EXPECT_EQ(front_end_.running_changes, std::vector<bool>({true, false}));
}

TEST_F(ExportRunTest, ACsvFileThatCannotBeCreatedShowsInTheLogThroughEveryWrite) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "a"});
  directory_.AddCompleteSubscriber({.id = "S2", .alias = "b"});
  QDir().mkpath(CsvPath() + "/x");  // a folder in the file's place
  const export_engine::RunResult result = Run(Request(Entries({1, 2, 3, 6})));
  EXPECT_TRUE(result.reached_end);
  EXPECT_EQ(result.error_count, 3);
  EXPECT_LT(Log().find("(error) in export. Description="), Log().find("Alias=a")) << "the header row's first";
}

}  // namespace
}  // namespace export_test
