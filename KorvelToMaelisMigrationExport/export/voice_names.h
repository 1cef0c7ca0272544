// Each subscriber's recorded voice name, copied from the server's stream
// files into the output folder as <alias>_VOICE_NAME.WAV; and the clearing of
// an earlier export's files before a new one overwrites it.
#ifndef KORVEL_EXPORT_EXPORT_VOICE_NAMES_H_
#define KORVEL_EXPORT_EXPORT_VOICE_NAMES_H_

#include <functional>
#include <optional>

#include <QString>
#include <QStringView>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/export/status.h"

namespace export_engine {

inline constexpr char16_t kVoiceNameSuffix[] = u"_VOICE_NAME.WAV";

// Copies the recording open as `recording` to `target`, replacing a file
// there; a copy that fails leaves no file.
Status CopyRecording(int recording, const QString& target);

// What becomes of a readable recording: the export copies it.
using RecordingCarrier = std::function<Status(int recording, const QString& target)>;

// Copies one subscriber's recording (through `carry`) and gives the file name
// for the CSV's VoiceName field. The field is empty when there is nothing to
// copy (no stream path, no file there); a failed copy sets `failure` but still
// gives the name, as do a recording that cannot be read and an alias that
// would lead the file out of the output folder (or no alias at all), which
// fails like a name the file system refuses.
QString ExportVoiceName(const std::optional<QString>& alias, QStringView stream_path, const QString& root_path,
                        const QString& output_folder, Status* failure, const RecordingCarrier& carry = CopyRecording);

// Deletes the earlier export's voice names (*.wav) from `folder`, and its
// message files (*.msg) with their record when messages are exported again; extensions compare
// without regard to case. Subfolders are not visited. A read-only file stays;
// each file that cannot be deleted is reported through `front_end` and the
// clearing goes on.
void RemoveMessageFiles(const QString& folder, bool include_messages, ExportFrontEnd& front_end);

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_VOICE_NAMES_H_
