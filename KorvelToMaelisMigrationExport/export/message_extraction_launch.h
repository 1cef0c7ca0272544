// The hand-over to the message extractor at the end of an export with
// messages: TmMsgExtractor, from the program's own folder, writes every
// subscriber's voice messages into the log folder while the front end follows
// its log, MsgExtraction.log. The export never waits on the extractor's
// process: it waits only for the monitoring of the log to end.
#ifndef KORVEL_EXPORT_EXPORT_MESSAGE_EXTRACTION_LAUNCH_H_
#define KORVEL_EXPORT_EXPORT_MESSAGE_EXTRACTION_LAUNCH_H_

#include <QString>
#include <QStringList>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "platform/files/folder_lock.h"

namespace export_engine {

inline constexpr char kExtractionLogFileName[] = "MsgExtraction.log";
inline constexpr char kExtractorProgramName[] = "TmMsgExtractor";

// The extraction log's path in `log_folder`.
QString ExtractionLogPath(const QString& log_folder);

// The extractor's program path and its arguments, one list entry each, so
// that blanks in the folders reach it intact. No domain is passed: the
// export does not know the successor's mail domain.
QString ExtractorProgram(const QString& program_folder);
QStringList ExtractorArguments(const QString& log_folder);

// Logs the hand-over, deletes the log of an earlier extraction, readies the
// front end's monitoring, starts the extractor hidden and follows it until
// the monitoring ends. A failing step writes its "(error) in export." line
// and the launch goes on with the next one. The extractor inherits
// `folder_lock` (when given and held), so the folder stays locked until the
// extraction ends.
void LaunchMessageExtraction(const QString& log_folder, const QString& program_folder, ExportLog& log,
                             ExportFrontEnd& front_end, files::FolderLock* folder_lock = nullptr);

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_MESSAGE_EXTRACTION_LAUNCH_H_
