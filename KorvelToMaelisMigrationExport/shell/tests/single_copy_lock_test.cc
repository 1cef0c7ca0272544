// The single-copy lock between copies started with and without a runtime
// folder, and a temporary folder it will not use. (The window's and the
// headless mode's tests meet a second copy of the program itself.)
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
  for (const char* folder : {"tmp", "run-a", "run-b"}) QDir().mkpath(work.File(folder));
  setenv("TMPDIR", work.File("tmp").toLocal8Bit().constData(), 1);
  const QString name = QStringLiteral("korvel-lock-test");
  // Takes the lock as a copy started with `runtime_folder` (none when empty).
  const auto start = [&](SingleCopyLock& copy, const char* runtime_folder) {
    setenv("XDG_RUNTIME_DIR", *runtime_folder ? work.File(runtime_folder).toLocal8Bit().constData() : "", 1);
    return copy.Acquire(name);
  };
  // "missing" names a runtime folder that does not exist: as good as none.
  const std::pair<const char*, const char*> excluding[] = {
      {"", "run-a"}, {"run-a", ""}, {"run-a", "run-a"}, {"", ""}, {"run-a", "missing"}, {"missing", "run-a"}};
  for (const auto& [first_folder, second_folder] : excluding) {
    SCOPED_TRACE(std::string("first '") + first_folder + "', second '" + second_folder + "'");
    SingleCopyLock first, second;
    ASSERT_EQ(start(first, first_folder), Result::kAcquired) << first.failure().toStdString();
    EXPECT_EQ(start(second, second_folder), Result::kAnotherCopyRuns);
    first.Release();
    EXPECT_EQ(start(second, second_folder), Result::kAcquired);
  }
  SingleCopyLock first;

  // The user's folder in the temporary folder is private; one that others
  // may write to could hold anything, runtime folder or not.
  const QByteArray folder = QFile::encodeName(work.File(QStringLiteral("tmp/%1-%2").arg(name).arg(::geteuid())));
  struct stat info {};
  ASSERT_EQ(::stat(folder.constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(::chmod(folder.constData(), 0777), 0);
  for (const char* runtime_folder : {"", "run-a"}) {
    EXPECT_EQ(start(first, runtime_folder), Result::kFailed);
    EXPECT_TRUE(first.failure().contains("not a private folder")) << first.failure().toStdString();
  }
  unsetenv("TMPDIR");
  unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace shell
