#include "KorvelToMaelisMigrationExport/export/output_paths.h"

#include <algorithm>

#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/export_log.h"

namespace export_engine {
namespace {

bool IsDriveAbsolute(QStringView path) {
  return path.size() >= 3 && path[0].isLetter() && path[0].unicode() < 0x80 && path[1] == QLatin1Char(':') &&
         path[2] == QLatin1Char('\\');
}

}  // namespace

QString OutputFolder(const QString& output_path) {
  QString folder = QFileInfo(output_path).absolutePath();
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

QString LogFolder(const QString& output_path) { return QFileInfo(output_path).absolutePath(); }

QString ExportLogPath(const QString& log_folder) {
  return log_folder + QLatin1Char('/') + QLatin1StringView(kExportLogFileName);
}

QString StreamFilePath(const QString& root_path, QStringView stream_path) {
  QString path = stream_path.toString();
  path.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (stream_path.startsWith(QLatin1Char('/')) || IsDriveAbsolute(stream_path)) return path;
  return root_path + QStringLiteral("Stream Files/") + path;
}

bool StaysInFolder(QStringView name) {
  // A control character has no place in a file name; U+0000 would even cut
  // the name short in the system call, onto another file of the folder.
  const bool has_control = std::any_of(name.begin(), name.end(), [](QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
  });
  return !has_control && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && name != u"." &&
         name != u"..";
}

}  // namespace export_engine
