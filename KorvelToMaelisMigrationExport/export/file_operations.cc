#include "KorvelToMaelisMigrationExport/export/file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QByteArray>
#include <QFile>

#include "KorvelToMaelisMigrationExport/export/error_numbers.h"

namespace export_engine {
namespace {

bool IsReadOnly(const QByteArray& path) {
  struct stat info;
  if (::lstat(path.constData(), &info) != 0 || S_ISLNK(info.st_mode)) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.constData(), W_OK) != 0;
}

}  // namespace

int OpenForWriting(const QString& path, int flags) {
  const QByteArray native = QFile::encodeName(path);
  if (IsReadOnly(native)) {
    errno = EACCES;
    return -1;
  }
  return ::open(native.constData(), flags | O_CLOEXEC, 0666);
}

Status DeleteFileWithoutForcing(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  if (IsReadOnly(native)) {
    return Status::Failure(QStringLiteral("Permission denied"), QString::fromLatin1(kProgramSource),
                           error_number::kPermissionDenied);
  }
  if (::unlink(native.constData()) != 0) return Status::FileFailure(errno, error_number::kFileNotFound);
  return Status();
}

}  // namespace export_engine
