// Browse: the folder's write test and what the output box holds afterwards.
// (The window's test meets a link planted in place of the scratch file, the
// headless mode's a folder that cannot be made.)
#include "KorvelToMaelisMigrationExport/shell/directory_select.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace shell {
namespace {

TEST(DirectorySelectTest, AWritableFolderGivesItsCsvPathAndLeavesNoScratchFile) {
  export_test::TempFolder folder;
  export_test::WriteBytes(folder.File("test.txt.out"), "an administrator's own file of that name");
  const BrowseOutcome outcome = OutputPathForChosenFolder("/previous.csv", folder.path());
  EXPECT_EQ(outcome.output_path, folder.File("KorvelMigrationOutput.csv"));
  EXPECT_FALSE(outcome.invalid_folder);
  EXPECT_TRUE(QDir(folder.path()).isEmpty()) << "the scratch file overwritten and deleted";
  // A folder that already ends in '/' (as the root does) gets no second one.
  EXPECT_EQ(OutputPathForChosenFolder("", folder.path() + "/").output_path, folder.File("KorvelMigrationOutput.csv"));

  const BrowseOutcome relative = OutputPathForChosenFolder("/previous.csv", "relative/folder");
  EXPECT_EQ(relative.output_path, "/previous.csv") << "nothing usable, and no failure either";
  EXPECT_FALSE(relative.invalid_folder);
  const BrowseOutcome missing = OutputPathForChosenFolder("/previous.csv", folder.File("missing"));
  EXPECT_EQ(missing.output_path, "/previous.csv");
  EXPECT_TRUE(missing.invalid_folder);
  EXPECT_FALSE(QFile::exists(folder.File("missing")));
}

}  // namespace
}  // namespace shell
