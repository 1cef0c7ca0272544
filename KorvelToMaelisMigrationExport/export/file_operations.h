// File operations with the export's meaning of read-only.
#ifndef KORVEL_EXPORT_EXPORT_FILE_OPERATIONS_H_
#define KORVEL_EXPORT_EXPORT_FILE_OPERATIONS_H_

#include <QString>

#include "KorvelToMaelisMigrationExport/export/status.h"
#include "platform/files/output_file.h"

namespace export_engine {

// Opens `path` for writing with `flags` (O_WRONLY and the creation flags),
// the mode 0666 less the umask for a new file. An existing read-only file is
// refused with EACCES, as the files the export replaces would be on the
// server; a link or any other entry that is not a file of the folder's own is
// replaced, never written through. Gives the descriptor, or -1 with errno set.
int OpenForWriting(const QString& path, int flags);

// Starts `file`, which becomes `path` when committed, under its temporary
// name in the same folder. A read-only file under the final name is refused
// with EACCES, as OpenForWriting refuses it, and a folder with EISDIR. 0, or
// the system's error number.
int CreateForReplacing(const QString& path, files::PartialFile& file);

// Deletes a file unless it is read-only. A file without write permission
// counts as read-only and stays, even when the program runs as root: an
// administrator marks files that way to keep them.
Status DeleteFileWithoutForcing(const QString& path);

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_FILE_OPERATIONS_H_
