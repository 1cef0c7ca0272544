// The numbers an export run reports its failures with, in one place. They are
// the numbers an administrator knows from the export's original home, so a log
// reads the same wherever the kit ran.
#ifndef KORVEL_EXPORT_EXPORT_ERROR_NUMBERS_H_
#define KORVEL_EXPORT_EXPORT_ERROR_NUMBERS_H_

#include <QtGlobal>

namespace export_engine::error_number {

// Runtime errors.
inline constexpr qint32 kTypeMismatch = 13;
inline constexpr qint32 kUserInterrupt = 18;
inline constexpr qint32 kBadFileNameOrNumber = 52;
inline constexpr qint32 kFileNotFound = 53;
inline constexpr qint32 kDiskFull = 61;
inline constexpr qint32 kPermissionDenied = 70;
inline constexpr qint32 kPathFileAccessError = 75;
inline constexpr qint32 kPathNotFound = 76;

// A column the program reads is missing from a query's result.
inline constexpr qint32 kItemNotFound = 3265;

// The database provider's result for a failed query or connection (0x80004005).
inline constexpr qint32 kDatabaseFailure = -2147467259;

}  // namespace export_engine::error_number

#endif  // KORVEL_EXPORT_EXPORT_ERROR_NUMBERS_H_
