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

class SingleCopyLockTest : public ::testing::Test {
 protected:
  SingleCopyLockTest() {
    QDir().mkpath(work_.File("tmp"));
    QDir().mkpath(work_.File("run-a"));
    QDir().mkpath(work_.File("run-b"));
    setenv("TMPDIR", work_.File("tmp").toLocal8Bit().constData(), 1);
  }
  ~SingleCopyLockTest() override {
    unsetenv("TMPDIR");
    unsetenv("XDG_RUNTIME_DIR");
  }

  // Takes the lock as a copy started with `runtime_folder` (none when empty).
  Result Start(SingleCopyLock& copy, const QString& runtime_folder) {
    if (runtime_folder.isEmpty()) {
      unsetenv("XDG_RUNTIME_DIR");
    } else {
      setenv("XDG_RUNTIME_DIR", work_.File(runtime_folder).toLocal8Bit().constData(), 1);
    }
    return copy.Acquire(kName);
  }

  const QString kName = QStringLiteral("korvel-lock-test");
  export_test::TempFolder work_;
};

TEST_F(SingleCopyLockTest, CopiesWithAndWithoutARuntimeFolderExcludeEachOther) {
  struct Case {
    const char* first;
    const char* second;
    Result expected;
  };
  // "missing" names a runtime folder that does not exist: as good as none.
  for (const Case& c : {Case{"", "run-a", Result::kAnotherCopyRuns}, Case{"run-a", "", Result::kAnotherCopyRuns},
                        Case{"run-a", "run-a", Result::kAnotherCopyRuns}, Case{"", "", Result::kAnotherCopyRuns},
                        Case{"run-a", "missing", Result::kAnotherCopyRuns},
                        Case{"missing", "run-a", Result::kAnotherCopyRuns},
                        Case{"run-a", "run-b", Result::kAcquired}}) {
    SCOPED_TRACE(std::string("first '") + c.first + "', second '" + c.second + "'");
    SingleCopyLock first;
    ASSERT_EQ(Start(first, c.first), Result::kAcquired) << first.failure().toStdString();
    SingleCopyLock second;
    EXPECT_EQ(Start(second, c.second), c.expected);
    first.Release();
    second.Release();
    // Once the first has ended, the second starts.
    EXPECT_EQ(Start(second, c.second), Result::kAcquired);
  }
}

TEST_F(SingleCopyLockTest, TheTemporaryFolderMustBeTheUsersOwn) {
  const QString folder = work_.File(QStringLiteral("tmp/%1-%2").arg(kName).arg(::geteuid()));
  QString failure;
  EXPECT_EQ(SingleCopyLock::PrivateLockFilePath(kName, &failure), folder + "/" + kName + ".lock");
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // A folder of that name that others may write to could hold anything; a
  // runtime folder does not make it safe to share.
  ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
  for (const char* runtime_folder : {"", "run-a"}) {
    SingleCopyLock lock;
    EXPECT_EQ(Start(lock, runtime_folder), Result::kFailed);
    EXPECT_TRUE(lock.failure().contains("not a private folder")) << lock.failure().toStdString();
  }
}

}  // namespace
}  // namespace shell
