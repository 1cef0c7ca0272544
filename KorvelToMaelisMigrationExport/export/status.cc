#include "KorvelToMaelisMigrationExport/export/status.h"

#include <cerrno>
#include <cstring>

#include "KorvelToMaelisMigrationExport/export/error_numbers.h"

namespace export_engine {
namespace {

qint32 NumberForSystemError(int system_error, qint32 missing_number) {
  switch (system_error) {
    case ENOENT:
      return missing_number;
    case ENOTDIR:
      return error_number::kPathNotFound;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return error_number::kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return error_number::kPermissionDenied;
    default:
      return error_number::kPathFileAccessError;
  }
}

}  // namespace

Status Status::FileFailure(int system_error, qint32 missing_number) {
  return Failure(QString::fromLocal8Bit(std::strerror(system_error)), QString::fromLatin1(kProgramSource),
                 NumberForSystemError(system_error, missing_number));
}

QString Status::RunLogLine() const {
  return QStringLiteral("(error) in export. Description=") + description_ + QStringLiteral(", Source=") + source_ +
         QStringLiteral(", Number=") + SignedNumberText(number_);
}

QString SignedNumberText(qint64 number) {
  return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

}  // namespace export_engine
