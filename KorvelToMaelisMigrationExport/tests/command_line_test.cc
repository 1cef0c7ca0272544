// What the options mean: which words are usage faults and which are only
// command-line text, the --items list, and where --output puts the CSV file.
#include <QDir>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/command_line.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_program {
namespace {

std::vector<int> TickedPositions(const std::vector<export_engine::DataItemEntry>& entries) {
  std::vector<int> positions;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].ticked) positions.push_back(static_cast<int>(i) + 1);
  }
  return positions;
}

TEST(CommandLineTest, OptionsAndPlainWords) {
  const ParsedCommandLine parsed = ParseCommandLine(
      {"--headless", "--output", "/tmp/x", "SkipVersionCheck", "--connect=sqlite:/db", "--overwrite", "-v"});
  ASSERT_TRUE(parsed.usage_error.isEmpty()) << parsed.usage_error.toStdString();
  const CommandLine& line = parsed.command_line;
  EXPECT_TRUE(line.headless);
  EXPECT_EQ(line.output, "/tmp/x");
  EXPECT_EQ(line.connect, "sqlite:/db");
  EXPECT_TRUE(line.overwrite);
  EXPECT_FALSE(line.accept_account);
  EXPECT_FALSE(line.include_messages);
  EXPECT_EQ(line.text, "--headless --output /tmp/x SkipVersionCheck --connect=sqlite:/db --overwrite -v");
  EXPECT_EQ(line.data_items.size(), 16u);
  EXPECT_EQ(TickedPositions(line.data_items).size(), 16u);
}

TEST(CommandLineTest, ItemsByPositionOrLabelKeepTheListOrder) {
  const ParsedCommandLine parsed = ParseCommandLine({"--items", " voice name wav file ([alias]_voice_name.wav), 6 ,1,FIRST NAME,3"});
  ASSERT_TRUE(parsed.usage_error.isEmpty()) << parsed.usage_error.toStdString();
  EXPECT_EQ(TickedPositions(parsed.command_line.data_items), std::vector<int>({1, 2, 3, 6, 16}));
  EXPECT_EQ(parsed.command_line.data_items[15].label, "Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)");
  const ParsedCommandLine none = ParseCommandLine({"--items", ""});
  ASSERT_TRUE(none.usage_error.isEmpty());
  EXPECT_TRUE(TickedPositions(none.command_line.data_items).empty());
}

TEST(CommandLineTest, AnItemsEntryThatFitsNothingIsQuotedAsWritten) {
  EXPECT_EQ(ParseCommandLine({"--items", "1,%2 and %1"}).usage_error,
            "--items: \"%2 and %1\" is neither a position from 1 to 16 nor the label of a data item");
}

TEST(CommandLineTest, ThePreflightAndVerifyModesStandAlone) {
  const ParsedCommandLine verify = ParseCommandLine({"--verify", "/out", "--report=/r.json"});
  ASSERT_TRUE(verify.usage_error.isEmpty()) << verify.usage_error.toStdString();
  EXPECT_EQ(verify.command_line.verify, "/out");
  EXPECT_EQ(verify.command_line.report, "/r.json");
  EXPECT_TRUE(ParseCommandLine({"--preflight", "--output", "/out/", "--report", "/r"}).usage_error.isEmpty());
  EXPECT_FALSE(ParseCommandLine({"--report", "/r"}).usage_error.isEmpty());
  EXPECT_FALSE(ParseCommandLine({"--headless", "--report", "/r"}).usage_error.isEmpty());
  EXPECT_FALSE(ParseCommandLine({"--preflight", "--verify", "/out"}).usage_error.isEmpty());
  EXPECT_FALSE(ParseCommandLine({"--headless", "--preflight"}).usage_error.isEmpty());
  EXPECT_FALSE(ParseCommandLine({"--verify"}).usage_error.isEmpty());
}

TEST(CommandLineTest, OutputNamesAFolderOrTheFile) {
  export_test::TempFolder folder;
  EXPECT_EQ(OutputPathForOption(folder.path()), folder.path() + "/KorvelMigrationOutput.csv");
  EXPECT_EQ(OutputPathForOption(folder.path() + "/new/"), folder.path() + "/new/KorvelMigrationOutput.csv");
  EXPECT_EQ(OutputPathForOption(folder.path() + "/mine.csv"), folder.path() + "/mine.csv");
  EXPECT_EQ(OutputPathForOption("relative.csv"), QDir::currentPath() + "/relative.csv");
  EXPECT_EQ(OutputPathForOption(":colon.csv"), QDir::currentPath() + "/:colon.csv");
  EXPECT_EQ(OutputPathForOption(""), "");
}

}  // namespace
}  // namespace export_program
