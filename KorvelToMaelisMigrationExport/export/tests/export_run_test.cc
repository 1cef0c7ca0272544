// The run as a whole: the checks and decisions before anything is written,
// the header row, the log's frame, progress, the closing summary and offers,
// and a CSV file that cannot be created.
#include <map>
#include <memory>

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"

namespace export_test {
namespace {

using export_engine::PromptButtons;
using export_engine::RunResult;

// Each check ends the run before anything is written or saved.
TEST_F(ExportRunTest, ChecksEndTheRunWithTheirNotice) {
  const auto without = [](int position) {
    std::vector<export_engine::DataItemEntry> entries = AllEntries();
    entries[static_cast<size_t>(position - 1)].ticked = false;
    return entries;
  };
  const struct {
    std::vector<export_engine::DataItemEntry> entries;
    bool output_path;
    int notice;
  } cases[] = {{Entries({}), true, 36}, {AllEntries(), false, 126}, {without(1), true, 128},
               {without(2), true, 128}, {without(3), true, 128},  {without(6), true, 128}};
  for (const auto& c : cases) {
    front_end_.prompts.clear();
    export_engine::ExportRequest request = Request(c.entries);
    if (!c.output_path) request.output_path.clear();
    EXPECT_FALSE(Run(request).reached_end);
    EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({c.notice}));
    if (c.notice == 36 && !front_end_.prompts.empty()) {
      EXPECT_EQ(front_end_.prompts[0].text, "No items selected for output!");
    }
  }
  EXPECT_TRUE(front_end_.saved_output_paths.isEmpty());
  EXPECT_TRUE(QDir(output_.path()).isEmpty());
}

TEST_F(ExportRunTest, RequiredEntriesAreKnownByTheirCurrentLabelInAnyCase) {
  std::vector<export_engine::DataItemEntry> entries = AllEntries();
  entries[0] = {"ALIAS", false};
  EXPECT_FALSE(Run(Request(entries)).reached_end);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({128}));

  class German : public localisation::LanguageLibrary {
    QString Text(int id) const override { return id == 3 ? QStringLiteral("Kurzname") : QString(); }
  };
  localisation::SetLanguageLibrary(std::make_shared<German>());
  front_end_.prompts.clear();
  entries = AllEntries();
  EXPECT_EQ(entries[0].label, "Kurzname");
  entries[0].ticked = false;
  EXPECT_FALSE(Run(Request(entries)).reached_end);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({128}));
  // The English label no longer names a data item.
  front_end_.prompts.clear();
  entries[0] = {"Alias", false};
  EXPECT_TRUE(Run(Request(entries)).reached_end);
  localisation::SetLanguageLibrary(nullptr);
  EXPECT_EQ(CsvLines().value(0), "FirstName,LastName,DisplayName,VoiceMailPasswordHash,Extension,Extension_ALT1,"
                                 "Extension_ALT2,Extension_ALT3,Extension_ALT4,Extension_ALT5,Extension_ALT6,"
                                 "Extension_ALT7,Extension_ALT8,Extension_ALT9,MWIExtension,BillingID,Language,"
                                 "ListInDirectory,TransferAction,TransferType,TransferExtension,TransferRings,VoiceName");
}

class EarlierExportTest : public ExportRunTest {
 protected:
  EarlierExportTest() {
    WriteBytes(output_.File("old_VOICE_NAME.WAV"), "old");
    WriteBytes(output_.File("old_1234.msg"), "old");
  }
};

TEST_F(EarlierExportTest, WithoutAnEarlierCsvFileNothingIsAskedAndOldFilesStay) {
  EXPECT_TRUE(Run(Request(AllEntries())).reached_end);
  EXPECT_TRUE(front_end_.prompts.empty());
  EXPECT_TRUE(QFileInfo::exists(output_.File("old_VOICE_NAME.WAV")));
  EXPECT_TRUE(QFileInfo::exists(output_.File("old_1234.msg")));
}

TEST_F(EarlierExportTest, NoToQuestion129LeavesEverythingAsItWas) {
  WriteBytes(CsvPath(), "earlier");
  front_end_.answers[129] = false;
  EXPECT_FALSE(Run(Request(AllEntries())).reached_end);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({129}));
  EXPECT_EQ(front_end_.prompts[0].buttons, PromptButtons::kYesNo);
  EXPECT_EQ(ReadBytes(CsvPath()), "earlier");
  EXPECT_TRUE(QFileInfo::exists(output_.File("old_VOICE_NAME.WAV")));
  EXPECT_FALSE(QFileInfo::exists(LogPath()));
  EXPECT_TRUE(front_end_.saved_output_paths.isEmpty());
}

TEST_F(EarlierExportTest, YesToQuestion129ClearsTheEarlierVoiceNamesAndOverwrites) {
  WriteBytes(output_.File("KorvelMigrationOutput.csv"), "earlier");
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "a"});
  EXPECT_TRUE(Run(Request(Entries({1, 2, 3, 6}))).reached_end);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({129}));
  EXPECT_FALSE(QFileInfo::exists(output_.File("old_VOICE_NAME.WAV")));
  EXPECT_TRUE(QFileInfo::exists(output_.File("old_1234.msg")));
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension", "a,First,Last,51000"}));
  EXPECT_EQ(front_end_.saved_output_paths, QStringList({CsvPath()}));
}

// Only an export with messages needs the account that can read every
// mailbox; the question comes after the overwrite question and before
// anything is written.
TEST_F(EarlierExportTest, Question133GuardsOnlyAnExportWithMessages) {
  WriteBytes(CsvPath(), "earlier");
  front_end_.account_is_message_store_facing = false;
  EXPECT_TRUE(Run(Request(AllEntries())).reached_end);
  EXPECT_EQ(front_end_.account_checks, 0);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({129}));

  front_end_.prompts.clear();
  export_engine::ExportRequest with_messages = Request(AllEntries());
  with_messages.include_messages = true;
  front_end_.answers[133] = false;
  EXPECT_FALSE(Run(with_messages).reached_end);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({129, 133}));
  EXPECT_EQ(front_end_.prompts[1].buttons, PromptButtons::kYesNo);
  EXPECT_EQ(front_end_.saved_output_paths.size(), 1) << "the refused run saved nothing";

  front_end_.prompts.clear();
  front_end_.answers[133] = true;
  EXPECT_TRUE(Run(with_messages).reached_end);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({129, 133}));

  front_end_.prompts.clear();
  front_end_.account_is_message_store_facing = true;
  EXPECT_TRUE(Run(with_messages).reached_end);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({129}));
}

TEST_F(ExportRunTest, AnEmptyDirectoryGivesTheHeaderRowAndAZeroSummary) {
  export_engine::ExportRequest request = Request(Entries({1, 2, 3, 6}));
  request.started_with_arguments = false;
  front_end_.answers[132] = false;
  const RunResult result = Run(request);
  EXPECT_TRUE(result.reached_end);
  EXPECT_FALSE(result.ends_program);
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension"}));
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({39, 132}));
  EXPECT_EQ(front_end_.prompts[0].text,
            "Output complete.   0 error(s) encountered in process.  Press OK to view the error log now");
  EXPECT_EQ(front_end_.prompts[0].buttons, PromptButtons::kOkCancel);
  EXPECT_EQ(front_end_.opened, QStringList({LogPath()}));
}

TEST_F(ExportRunTest, TheClosingOffersOpenWhatWasAgreedTo) {
  export_engine::ExportRequest request = Request(Entries({1, 2, 3, 6}));
  request.started_with_arguments = false;
  request.include_messages = true;
  front_end_.answers[39] = false;
  const RunResult result = Run(request);
  EXPECT_EQ(front_end_.PromptIds(), std::vector<int>({39, 131, 132}));
  EXPECT_EQ(front_end_.opened, QStringList({output_.File("MsgExtraction.log"), CsvPath()}));
  EXPECT_EQ(result.csv_path, CsvPath());
  EXPECT_EQ(result.log_path, LogPath());
}

TEST_F(ExportRunTest, LogIsFramedByTheHeaderAndTheStartAndEndLines) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "a"});
  Run(Request(Entries({1, 2, 3, 6})));
  const std::string log = Log();
  const std::string header_end = std::string(61, '*') + "\r\n\r\nStarting export: ";
  ASSERT_NE(log.find(header_end), std::string::npos) << log;
  const size_t alias = log.find("\r\n\r\n\r\nAlias=a\r\n");
  ASSERT_NE(alias, std::string::npos) << log;
  EXPECT_EQ(log.find("\r\n", log.find("Starting export: ")), alias);
  EXPECT_EQ(log.find("\r\nAlias=a\r\n\r\nExport complete: "), alias + 4);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

TEST_F(ExportRunTest, ProgressAdvancesPerSubscriberAndStopsAtItsMaximum) {
  for (int i = 1; i <= 3; ++i) directory_.AddCompleteSubscriber({.id = "S" + QString::number(i), .alias = "a"});
  directory_.AddCompleteSubscriber({.id = "S4", .alias = "EAdmin"});
  Run(Request(Entries({1, 2, 3, 6})));
  EXPECT_EQ(front_end_.progress, std::vector<int>({0, 1, 2, 3, 4}));
  EXPECT_EQ(front_end_.running_changes, std::vector<bool>({true, false}));

  // The count of start-up is the maximum; the table may hold more.
  front_end_.progress.clear();
  directory_.Exec("UPDATE Subscriber SET SubscriberType = 2 WHERE SubscriberObjectID = 'S1'");
  export_engine::TableCache tables;
  ASSERT_TRUE(tables.OpenDirectoryTables(directory_.connect_string()));
  export_engine::ExportEnvironment environment{tables, {"KorvelToMaelisMigrationExport", 1, 0, 23}, 2};
  export_engine::RunExport(Request(Entries({1, 2, 3, 6})), environment, front_end_);
  EXPECT_EQ(front_end_.progress, std::vector<int>({0, 1, 2}));
}

TEST_F(ExportRunTest, ACsvFileThatCannotBeCreatedShowsInTheLogThroughEveryWrite) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "a"});
  directory_.AddCompleteSubscriber({.id = "S2", .alias = "b"});
  // A folder in the CSV file's place: the file cannot be created.
  QDir().mkpath(CsvPath() + "/x");
  const RunResult result = Run(Request(Entries({1, 2, 3, 6})));
  EXPECT_TRUE(result.reached_end);
  EXPECT_EQ(result.error_count, 3);
  const std::string log = Log();
  size_t first = log.find("(error) in export. Description=");
  ASSERT_NE(first, std::string::npos);
  EXPECT_LT(first, log.find("Alias=a")) << "the header row's write comes first";
}

}  // namespace
}  // namespace export_test
