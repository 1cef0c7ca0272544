// The folders a run derives from its output path, and the paths of the files
// it reads and writes. File paths are built with '/'.
#ifndef KORVEL_EXPORT_EXPORT_OUTPUT_PATHS_H_
#define KORVEL_EXPORT_EXPORT_OUTPUT_PATHS_H_

#include <QString>
#include <QStringView>

namespace export_engine {

// The folder the CSV file goes into, ending in '/': the voice names go here,
// and here an earlier export is looked for and cleared. A relative output path
// is taken from the current folder.
QString OutputFolder(const QString& output_path);

// The same folder without a trailing separator (except for the root itself):
// the logs go here.
QString LogFolder(const QString& output_path);

// The export log's path in `log_folder`.
QString ExportLogPath(const QString& log_folder);

// Where a subscriber's recording is: an absolute stream path (one starting
// with '/' or with a drive letter, a colon and '\') as it is, any other below
// the server's stream file folder. A '\' in a stream path separates folders.
QString StreamFilePath(const QString& root_path, QStringView stream_path);

// Whether a name taken from data stays inside the folder it is joined to:
// not one holding '/', '\' or a control character (U+0000 to U+001F,
// U+007F), nor "." or "..".
bool StaysInFolder(QStringView name);

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_OUTPUT_PATHS_H_
