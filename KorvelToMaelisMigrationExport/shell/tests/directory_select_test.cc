// Browse: the folder's write test and what the output box holds afterwards.
#include "KorvelToMaelisMigrationExport/shell/directory_select.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace shell {
namespace {

using export_test::ReadBytes;
using export_test::TempFolder;
using export_test::WriteBytes;

constexpr uid_t kNobody = 65534;

enum class WriteTestAsUser { kPassed, kFailed, kCannotSwitchUser };

// Root may write into any folder, so as root the test runs in a child
// process that has become an ordinary user.
WriteTestAsUser RunWriteTestAsOrdinaryUser(const QString& folder) {
  if (::geteuid() != 0) return FolderPassesWriteTest(folder) ? WriteTestAsUser::kPassed : WriteTestAsUser::kFailed;
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    ::_exit(FolderPassesWriteTest(folder) ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return WriteTestAsUser::kCannotSwitchUser;
  switch (WEXITSTATUS(status)) {
    case 0:
      return WriteTestAsUser::kPassed;
    case 1:
      return WriteTestAsUser::kFailed;
    default:
      return WriteTestAsUser::kCannotSwitchUser;
  }
}

TEST(DirectorySelectTest, AWritableFolderGivesItsCsvPathAndLeavesNoScratchFile) {
  TempFolder folder;
  WriteBytes(folder.File("test.txt.out"), "an administrator's own file of that name");
  const BrowseOutcome outcome = OutputPathForChosenFolder("/previous/KorvelMigrationOutput.csv", folder.path());
  EXPECT_EQ(outcome.output_path, folder.path() + "/KorvelMigrationOutput.csv");
  EXPECT_FALSE(outcome.invalid_folder);
  EXPECT_FALSE(QFileInfo::exists(folder.File("test.txt.out"))) << "overwritten and deleted";
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

  // A folder that already ends in '/' (as the root does) gets no second one.
  EXPECT_EQ(OutputPathForChosenFolder("", folder.path() + "/").output_path, folder.path() + "/KorvelMigrationOutput.csv");

  // A relative path is nothing usable, and no failure either.
  const BrowseOutcome relative = OutputPathForChosenFolder("/previous.csv", "relative/folder");
  EXPECT_EQ(relative.output_path, "/previous.csv");
  EXPECT_FALSE(relative.invalid_folder);
}

TEST(DirectorySelectTest, AFolderThatCannotBeWrittenKeepsThePreviousPathWithTheNotice) {
  TempFolder folder;
  const QString missing = folder.File("missing");
  BrowseOutcome outcome = OutputPathForChosenFolder("/previous.csv", missing);
  EXPECT_EQ(outcome.output_path, "/previous.csv");
  EXPECT_TRUE(outcome.invalid_folder);
  EXPECT_FALSE(QFileInfo::exists(missing));

  // A link in place of the scratch file is not followed: the file it points
  // to keeps its content.
  WriteBytes(folder.File("precious.txt"), "keep");
  ASSERT_TRUE(QFile::link(folder.File("precious.txt"), folder.File("test.txt.out")));
  outcome = OutputPathForChosenFolder("/previous.csv", folder.path());
  EXPECT_TRUE(outcome.invalid_folder);
  EXPECT_EQ(ReadBytes(folder.File("precious.txt")), "keep");
}

TEST(DirectorySelectTest, AReadOnlyFolderFailsTheWriteTest) {
  TempFolder folder;
  // Searchable by every user, so that an ordinary user reaches the folders.
  ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
  ASSERT_TRUE(QDir().mkpath(folder.File("read-only")));
  ASSERT_TRUE(QDir().mkpath(folder.File("writable")));
  ASSERT_EQ(::chmod(QFile::encodeName(folder.File("read-only")).constData(), 0555), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(folder.File("writable")).constData(), 0777), 0);

  const WriteTestAsUser writable = RunWriteTestAsOrdinaryUser(folder.File("writable/"));
  if (writable == WriteTestAsUser::kCannotSwitchUser) GTEST_SKIP() << "running as root and cannot become another user";
  ASSERT_EQ(writable, WriteTestAsUser::kPassed) << "the same user can write next door";
  EXPECT_EQ(RunWriteTestAsOrdinaryUser(folder.File("read-only/")), WriteTestAsUser::kFailed);
  EXPECT_FALSE(QFileInfo::exists(folder.File("read-only/test.txt.out")));
}

}  // namespace
}  // namespace shell
