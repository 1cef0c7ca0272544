// The per-user settings the program keeps between starts: section "Startup",
// key "OutputFolder", the output path of the last export.
#ifndef KORVEL_EXPORT_PROGRAM_SETTINGS_H_
#define KORVEL_EXPORT_PROGRAM_SETTINGS_H_

#include <QString>

namespace export_program {

void SaveOutputFolderSetting(const QString& output_path);

}  // namespace export_program

#endif  // KORVEL_EXPORT_PROGRAM_SETTINGS_H_
