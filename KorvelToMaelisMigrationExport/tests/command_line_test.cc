// What the options mean: --items by position or label in the list's order,
// which options stand alone, and where --output puts the CSV file.
#include <QDir>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/command_line.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_program {
namespace {

TEST(CommandLineTest, ItemsChecksAndOutput) {
  const ParsedCommandLine parsed =
      ParseCommandLine({"--headless", "-v", "--items", " voice name wav file ([alias]_voice_name.wav), 6 ,1,FIRST NAME,3"});
  ASSERT_TRUE(parsed.usage_error.isEmpty()) << parsed.usage_error.toStdString();
  std::vector<int> ticked;
  for (size_t i = 0; i < parsed.command_line.data_items.size(); ++i) {
    if (parsed.command_line.data_items[i].ticked) ticked.push_back(static_cast<int>(i) + 1);
  }
  EXPECT_EQ(ticked, std::vector<int>({1, 2, 3, 6, 16}));

  EXPECT_EQ(ParseCommandLine({"--verify", "/out", "--report=/r.json"}).command_line.report, "/r.json");
  for (const QStringList& bad : {QStringList{"--headless", "--report", "/r"}, QStringList{"--preflight", "--verify", "/o"},
                                 QStringList{"--headless", "--preflight"}, QStringList{"--verify"}}) {
    EXPECT_FALSE(ParseCommandLine(bad).usage_error.isEmpty()) << bad.join(' ').toStdString();
  }

  export_test::TempFolder folder;
  EXPECT_EQ(OutputPathForOption(folder.path()), folder.path() + "/KorvelMigrationOutput.csv");
  EXPECT_EQ(OutputPathForOption(folder.path() + "/mine.csv"), folder.path() + "/mine.csv");
  EXPECT_EQ(OutputPathForOption(":colon.csv"), QDir::currentPath() + "/:colon.csv");
}

}  // namespace
}  // namespace export_program
