// Where the single-copy lock lives without a runtime folder, and a folder it
// will not use. (The window's and the headless mode's tests meet a second copy.)
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

TEST(SingleCopyLockTest, WithoutARuntimeFolderAPrivateFolderUnderTmpIsUsed) {
  unsetenv("XDG_RUNTIME_DIR");
  const QString name = QStringLiteral("korvel-lock-test-%1").arg(::getpid());
  const QString folder = QStringLiteral("/tmp/%1-%2").arg(name).arg(::geteuid());
  QString failure;
  EXPECT_EQ(SingleCopyLock::LockFilePath(name, &failure), folder + "/" + name + ".lock");
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  {
    SingleCopyLock lock;
    EXPECT_EQ(lock.Acquire(name), Result::kAcquired);
  }
  // A folder of that name that others may write to could hold anything.
  ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
  SingleCopyLock lock;
  EXPECT_EQ(lock.Acquire(name), Result::kFailed);
  EXPECT_TRUE(lock.failure().contains("not a private folder")) << lock.failure().toStdString();
  QDir(folder).removeRecursively();
}

}  // namespace
}  // namespace shell
