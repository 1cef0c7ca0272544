#include "KorvelToMaelisMigrationExport/shell/single_copy_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QFile>
#include <QFileInfo>

namespace shell {
namespace {

QString SystemError(const QString& what, int error) {
  return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

// A folder under /tmp that anybody could have made first: use it only when
// it is a real folder of this user that nobody else can write to.
bool PrivateFolderIsSafe(const QByteArray& folder, QString* failure) {
  if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) {
    *failure = SystemError(QFile::decodeName(folder), errno);
    return false;
  }
  struct stat info {};
  if (::lstat(folder.constData(), &info) != 0) {
    *failure = SystemError(QFile::decodeName(folder), errno);
    return false;
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    *failure = QFile::decodeName(folder) + QStringLiteral(" is not a private folder of this user");
    return false;
  }
  return true;
}

}  // namespace

SingleCopyLock::~SingleCopyLock() { Release(); }

QString SingleCopyLock::PrivateLockFilePath(const QString& program_name, QString* failure) {
  const QString tmpdir = qEnvironmentVariable("TMPDIR");
  const QString base = !tmpdir.isEmpty() && QFileInfo(tmpdir).isDir() ? tmpdir : QStringLiteral("/tmp");
  const QString folder = QStringLiteral("%1/%2-%3").arg(base, program_name).arg(::geteuid());
  if (!PrivateFolderIsSafe(QFile::encodeName(folder), failure)) return QString();
  return folder + QLatin1Char('/') + program_name + QStringLiteral(".lock");
}

QString SingleCopyLock::RuntimeLockFilePath(const QString& program_name) {
  const QString runtime_folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (runtime_folder.isEmpty() || !QFileInfo(runtime_folder).isDir()) return QString();
  return runtime_folder + QLatin1Char('/') + program_name + QStringLiteral(".lock");
}

SingleCopyLock::Result SingleCopyLock::Lock(const QString& path, int operation, int* fd) {
  *fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (*fd < 0) {
    failure_ = SystemError(path, errno);
    return Result::kFailed;
  }
  if (::flock(*fd, operation | LOCK_NB) == 0) return Result::kAcquired;
  const int error = errno;
  if (error == EWOULDBLOCK) return Result::kAnotherCopyRuns;
  failure_ = SystemError(path, error);
  return Result::kFailed;
}

SingleCopyLock::Result SingleCopyLock::Acquire(const QString& program_name) {
  Release();
  failure_.clear();
  const QString private_path = PrivateLockFilePath(program_name, &failure_);
  if (private_path.isEmpty()) return Result::kFailed;
  const QString runtime_path = RuntimeLockFilePath(program_name);

  Result result = Result::kAcquired;
  if (!runtime_path.isEmpty()) result = Lock(runtime_path, LOCK_EX, &runtime_fd_);
  if (result == Result::kAcquired) {
    result = Lock(private_path, runtime_path.isEmpty() ? LOCK_EX : LOCK_SH, &private_fd_);
  }
  if (result != Result::kAcquired) Release();
  return result;
}

void SingleCopyLock::Release() {
  for (int* fd : {&private_fd_, &runtime_fd_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

}  // namespace shell
