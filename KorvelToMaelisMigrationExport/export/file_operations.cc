#include "KorvelToMaelisMigrationExport/export/file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <QByteArray>
#include <QFile>

#include "KorvelToMaelisMigrationExport/export/error_numbers.h"

namespace export_engine {
namespace {

// Whether the entry `info` describes, found at `path`, counts as read-only.
bool IsReadOnly(const QByteArray& path, const struct stat& info) {
  if (S_ISLNK(info.st_mode)) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.constData(), W_OK) != 0;
}

bool IsReadOnly(const QByteArray& path) {
  struct stat info;
  return ::lstat(path.constData(), &info) == 0 && IsReadOnly(path, info);
}

}  // namespace

int OpenForWriting(const QString& path, int flags) {
  const QByteArray native = QFile::encodeName(path);
  if (IsReadOnly(native)) {
    errno = EACCES;
    return -1;
  }
  return files::OpenOwnFileForWriting(native.toStdString(), flags);
}

int CreateForReplacing(const QString& path, files::PartialFile& file) {
  const QByteArray native = QFile::encodeName(path);
  // One look at the entry under the name answers both: a read-only file is
  // kept, and a folder is not replaced by a file (the run learns so before
  // it writes).
  if (struct stat info; ::lstat(native.constData(), &info) == 0) {
    if (IsReadOnly(native, info)) return EACCES;
    if (S_ISDIR(info.st_mode)) return EISDIR;
  }
  const qsizetype slash = native.lastIndexOf('/');
  const std::string folder = slash < 0 ? std::string(".") : native.left(slash + 1).toStdString();
  return file.Create(folder, native.mid(slash + 1).toStdString());
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
