#include "KorvelToMaelisMigrationExport/shell/directory_select.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/csv_file.h"
#include "KorvelToMaelisMigrationExport/export/output_paths.h"

namespace shell {

bool FolderPassesWriteTest(const QString& folder) {
  const QByteArray path = QFile::encodeName(folder + QLatin1StringView(kWriteTestFileName));
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return false;
  const bool closed = ::close(fd) == 0;
  return ::unlink(path.constData()) == 0 && closed;
}

OutputFolderReadiness ReadyOutputFolder(const QString& output_path, bool create_missing) {
  const QString folder = export_engine::OutputFolder(output_path);
  OutputFolderReadiness readiness;
  if (create_missing && !QFileInfo::exists(folder)) readiness.created = QDir().mkpath(folder);
  readiness.usable = FolderPassesWriteTest(folder);
  return readiness;
}

BrowseOutcome OutputPathForChosenFolder(const QString& previous_output_path, const QString& chosen_folder) {
  // A cancelled chooser returns nothing; a relative path is nothing usable
  // either (the smallest usable answer is the root, "/").
  if (chosen_folder.isEmpty() || QDir::isRelativePath(chosen_folder)) return {previous_output_path, false};
  QString folder = chosen_folder;
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  if (!FolderPassesWriteTest(folder)) return {previous_output_path, true};
  return {folder + QLatin1StringView(export_engine::kCsvFileName), false};
}

}  // namespace shell
