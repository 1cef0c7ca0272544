// File operations with the export's meaning of read-only.
#ifndef KORVEL_EXPORT_EXPORT_FILE_OPERATIONS_H_
#define KORVEL_EXPORT_EXPORT_FILE_OPERATIONS_H_

#include <QString>

#include "KorvelToMaelisMigrationExport/export/status.h"

namespace export_engine {

// Deletes a file unless it is read-only. A file without write permission
// counts as read-only and stays, even when the program runs as root: an
// administrator marks files that way to keep them.
Status DeleteFileWithoutForcing(const QString& path);

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_FILE_OPERATIONS_H_
