#include "KorvelToMaelisMigrationExport/program_settings.h"

#include <QSettings>

namespace export_program {

void SaveOutputFolderSetting(const QString& output_path) {
  // Keyed by the maker and the program's name: $XDG_CONFIG_HOME/Halvern/KorvelToMaelisMigrationExport.conf.
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halvern"),
                     QStringLiteral("KorvelToMaelisMigrationExport"));
  settings.setValue(QStringLiteral("Startup/OutputFolder"), output_path);
}

}  // namespace export_program
