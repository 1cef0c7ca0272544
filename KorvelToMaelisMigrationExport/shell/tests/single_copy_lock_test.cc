// The single-copy lock between copies started with and without a runtime
// folder (the headless mode's tests meet a second copy of the program
// itself), and a folder in the temporary folder it will not use.
#include "KorvelToMaelisMigrationExport/shell/single_copy_lock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace shell {
namespace {

using Result = SingleCopyLock::Result;

TEST(SingleCopyLockTest, CopiesWithAndWithoutARuntimeFolderExcludeEachOther) {
  export_test::TempFolder work;
  for (const char* folder : {"tmp", "run-a"}) QDir().mkpath(work.File(folder));
  const korvel::test::ScopedEnvironmentVariable tmpdir("TMPDIR", work.File("tmp").toStdString()), runtime_folder("XDG_RUNTIME_DIR", std::nullopt);
  // Takes the lock as a copy started with `runtime_folder` (none when empty).
  const auto start = [&](SingleCopyLock& copy, const char* runtime_folder) {
    setenv("XDG_RUNTIME_DIR", *runtime_folder ? work.File(runtime_folder).toLocal8Bit().constData() : "", 1);
    return copy.Acquire("korvel-lock-test");
  };
  // "missing" names a runtime folder that does not exist: as good as none.
  for (const auto& [first_folder, second_folder] :
       {std::pair{"", "run-a"}, {"run-a", ""}, {"run-a", "run-a"}, {"", ""}, {"run-a", "missing"}}) {
    SingleCopyLock first, second;
    ASSERT_EQ(start(first, first_folder), Result::kAcquired) << first.failure().toStdString();
    EXPECT_EQ(start(second, second_folder), Result::kAnotherCopyRuns) << first_folder << " " << second_folder;
    first.Release();
    EXPECT_EQ(start(second, second_folder), Result::kAcquired);
  }

  // The user's folder in the temporary folder is private; one that others
  // may write to could hold anything, runtime folder or not.
  const QByteArray folder = QFile::encodeName(work.File(QStringLiteral("tmp/korvel-lock-test-%1").arg(::geteuid())));
  struct stat info {};
  ASSERT_EQ(::stat(folder.constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(::chmod(folder.constData(), 0777), 0);
  SingleCopyLock copy;
  for (const char* runtime_folder : {"", "run-a"}) {
    EXPECT_EQ(start(copy, runtime_folder), Result::kFailed);
    EXPECT_TRUE(copy.failure().contains("not a private folder")) << copy.failure().toStdString();
  }
}

}  // namespace
}  // namespace shell
