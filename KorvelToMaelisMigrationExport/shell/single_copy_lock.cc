#include "KorvelToMaelisMigrationExport/shell/single_copy_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QFile>

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

QString SingleCopyLock::LockFilePath(const QString& program_name, QString* failure) {
  const QString file_name = program_name + QStringLiteral(".lock");
  const QString runtime_folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime_folder.isEmpty()) return runtime_folder + QLatin1Char('/') + file_name;

  const QString folder = QStringLiteral("/tmp/%1-%2").arg(program_name).arg(::geteuid());
  if (!PrivateFolderIsSafe(QFile::encodeName(folder), failure)) return QString();
  return folder + QLatin1Char('/') + file_name;
}

SingleCopyLock::Result SingleCopyLock::Acquire(const QString& program_name) {
  Release();
  failure_.clear();
  const QString path = LockFilePath(program_name, &failure_);
  if (path.isEmpty()) return Result::kFailed;

  const QByteArray encoded = QFile::encodeName(path);
  fd_ = ::open(encoded.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) {
    failure_ = SystemError(path, errno);
    return Result::kFailed;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return Result::kAcquired;
  const int error = errno;
  Release();
  if (error == EWOULDBLOCK) return Result::kAnotherCopyRuns;
  failure_ = SystemError(path, error);
  return Result::kFailed;
}

void SingleCopyLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace shell
