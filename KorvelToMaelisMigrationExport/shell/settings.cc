#include "KorvelToMaelisMigrationExport/shell/settings.h"

#include <QFileInfo>
#include <QSettings>

namespace shell {
namespace {

const QString kOutputFolderKey = QStringLiteral("Startup/OutputFolder");

// Keyed by the maker and the program's name, whichever program reads it:
// $XDG_CONFIG_HOME/Halvern/KorvelToMaelisMigrationExport.conf.
QSettings ProgramSettings() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halvern"),
                   QStringLiteral("KorvelToMaelisMigrationExport"));
}

}  // namespace

void SaveOutputFolderSetting(const QString& output_path) {
  QSettings settings = ProgramSettings();
  settings.setValue(kOutputFolderKey, output_path);
}

QString LoadOutputFolderSetting() {
  const QString output_path = ProgramSettings().value(kOutputFolderKey).toString();
  if (output_path.isEmpty() || !QFileInfo(QFileInfo(output_path).absolutePath()).isDir()) return QString();
  return output_path;
}

}  // namespace shell
