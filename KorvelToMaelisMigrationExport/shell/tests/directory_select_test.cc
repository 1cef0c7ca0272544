// Browse: the folder's write test and what the output box holds afterwards.
// (The window's test meets a link planted in place of the scratch file.)
#include "KorvelToMaelisMigrationExport/shell/directory_select.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Root may write into any folder, so the write test runs in a child process
// that is an ordinary user: 0 passed, 1 failed, 2 could not become one.
int WriteTestAsOrdinaryUser(const QString& folder) {
  const pid_t child = ::fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      ::_exit(2);
    }
    ::_exit(FolderPassesWriteTest(folder) ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}

TEST(DirectorySelectTest, AReadOnlyFolderFailsTheWriteTest) {
  export_test::TempFolder folder;
  // Searchable by every user, so that an ordinary user reaches the folders.
  ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
  for (const auto& [name, mode] : {std::pair{"read-only", 0555}, std::pair{"writable", 0777}}) {
    ASSERT_TRUE(QDir().mkpath(folder.File(name)));
    ASSERT_EQ(::chmod(QFile::encodeName(folder.File(name)).constData(), mode), 0);
  }
  const int writable = WriteTestAsOrdinaryUser(folder.File("writable/"));
  if (writable == 2) GTEST_SKIP() << "running as root and cannot become another user";
  ASSERT_EQ(writable, 0) << "the same user can write next door";
  EXPECT_EQ(WriteTestAsOrdinaryUser(folder.File("read-only/")), 1);
  EXPECT_FALSE(QFile::exists(folder.File("read-only/test.txt.out")));
}

}  // namespace
}  // namespace shell
