#include "KorvelToMaelisMigrationExport/export/message_extraction_launch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QByteArray>
#include <QFile>

#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/status.h"

namespace export_engine {
namespace {

// An earlier extraction's log goes whatever its permissions: the progress
// window must never show old text as if the new extractor had written it.
Status DeleteEarlierLog(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  struct stat info;
  if (::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode)) return Status();
  if (::unlink(native.constData()) != 0) return Status::FileFailure(errno, error_number::kFileNotFound);
  return Status();
}

// The extractor is a file in the program's folder; a start that fails says
// whether it is missing or could not be run.
Status ExtractorStartFailure(const QString& program) {
  struct stat info;
  const int system_error = ::stat(QFile::encodeName(program).constData(), &info) == 0 ? EACCES : ENOENT;
  return Status::FileFailure(system_error, error_number::kFileNotFound);
}

}  // namespace

QString ExtractionLogPath(const QString& log_folder) {
  return log_folder + QLatin1Char('/') + QLatin1StringView(kExtractionLogFileName);
}

QString ExtractorProgram(const QString& program_folder) {
  return program_folder + QLatin1Char('/') + QLatin1StringView(kExtractorProgramName);
}

QStringList ExtractorArguments(const QString& log_folder) {
  return {QStringLiteral("-dir"), log_folder, QStringLiteral("-log"), ExtractionLogPath(log_folder)};
}

void LaunchMessageExtraction(const QString& log_folder, const QString& program_folder, ExportLog& log,
                             ExportFrontEnd& front_end, files::FolderLock* folder_lock) {
  const QString log_path = ExtractionLogPath(log_folder);
  log.WriteLogLine(QStringLiteral("Exporting messages - check the message extraction log for details= ") + log_path);

  const Status deleted = DeleteEarlierLog(log_path);
  if (!deleted.ok()) log.WriteLogLine(deleted.RunLogLine());

  front_end.PrepareExtractionProgress(log_path);

  const QString program = ExtractorProgram(program_folder);
  if (folder_lock != nullptr) folder_lock->BeginHandOver();
  const bool started = front_end.StartHiddenProgram(program, ExtractorArguments(log_folder));
  if (folder_lock != nullptr) folder_lock->EndHandOver();
  if (!started) log.WriteLogLine(ExtractorStartFailure(program).RunLogLine());

  front_end.ShowExtractionProgress(log);
}

}  // namespace export_engine
