// The one value the program keeps between starts, per user: the output path
// of the last export, under section "Startup", key "OutputFolder".
#ifndef KORVEL_EXPORT_SHELL_SETTINGS_H_
#define KORVEL_EXPORT_SHELL_SETTINGS_H_

#include <QString>

namespace shell {

// Stores `output_path` as it is.
void SaveOutputFolderSetting(const QString& output_path);

// The stored output path when its folder still exists (the file in it need
// not); empty otherwise.
QString LoadOutputFolderSetting();

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_SETTINGS_H_
