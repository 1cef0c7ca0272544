#include "KorvelToMaelisMigrationExport/export/voice_names.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/file_operations.h"
#include "KorvelToMaelisMigrationExport/export/output_paths.h"

namespace export_engine {
namespace {

std::filesystem::path FileSystemPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

bool IsRegularFile(const QString& path) {
  struct stat info;
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

Status RefusedName() {
  return Status::Failure(QStringLiteral("Path/File access error"), QString::fromLatin1(kProgramSource),
                         error_number::kPathFileAccessError);
}

Status CopyReplacing(const QString& source, const QString& target) {
  std::error_code error;
  std::filesystem::copy_file(FileSystemPath(source), FileSystemPath(target),
                             std::filesystem::copy_options::overwrite_existing, error);
  if (!error) return Status();
  // "No such file" is the source when it has gone meanwhile, else the target's folder.
  const qint32 missing = IsRegularFile(source) ? error_number::kPathNotFound : error_number::kFileNotFound;
  return Status::FileFailure(error.value(), missing);
}

}  // namespace

QString ExportVoiceName(const std::optional<QString>& alias, QStringView stream_path, const QString& root_path,
                        const QString& output_folder, Status* failure) {
  *failure = Status();
  QString file_name;
  if (alias) file_name = *alias + QString::fromUtf16(kVoiceNameSuffix);
  if (stream_path.isEmpty()) return QString();

  const QString source = StreamFilePath(root_path, stream_path);
  if (!IsRegularFile(source)) return QString();
  if (!alias || !StaysInFolder(*alias)) {
    *failure = RefusedName();
  } else {
    *failure = CopyReplacing(source, output_folder + file_name);
  }
  return file_name;
}

void RemoveMessageFiles(const QString& folder, bool include_messages, ExportFrontEnd& front_end) {
  QDir dir(folder);
  if (!dir.exists()) return;
  const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
  for (const QFileInfo& file : files) {
    const QString extension = file.suffix();
    const bool voice_name = extension.compare(u"WAV", Qt::CaseInsensitive) == 0;
    const bool message = include_messages && extension.compare(u"MSG", Qt::CaseInsensitive) == 0;
    if (!voice_name && !message) continue;
    const Status deleted = DeleteFileWithoutForcing(file.filePath());
    if (deleted.ok()) continue;
    front_end.Ask({Prompt::kComposedText,
                   QStringLiteral("Error %1 (%2) in procedure RemoveMessageFiles of Form frmMain")
                       .arg(deleted.number())
                       .arg(deleted.description()),
                   PromptButtons::kOk});
  }
}

}  // namespace export_engine
