#include "KorvelToMaelisMigrationExport/export/voice_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/file_operations.h"
#include "KorvelToMaelisMigrationExport/export/output_paths.h"
#include "platform/files/folder_lock.h"
#include "platform/files/posix_io.h"

namespace export_engine {
namespace {

struct Recording {
  int fd = -1;     // open when the recording could be read
  bool exists = false;
  int open_error = 0;
};

// Opens the recording at `path`. No regular file there is no recording; one
// that is there but cannot be read is a failed copy.
Recording OpenRecording(const QByteArray& path) {
  Recording recording;
  recording.fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a pipe never blocks the run
  struct stat info;
  if (recording.fd < 0) {
    recording.open_error = errno;
    // The failed opening says already when there is nothing under the path.
    const bool missing = errno == ENOENT || errno == ENOTDIR;
    recording.exists = !missing && ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
    return recording;
  }
  recording.exists = ::fstat(recording.fd, &info) == 0 && S_ISREG(info.st_mode);
  if (!recording.exists) {
    ::close(recording.fd);
    recording.fd = -1;
  }
  return recording;
}

Status RefusedName() {
  return Status::Failure(QStringLiteral("Path/File access error"), QString::fromLatin1(kProgramSource),
                         error_number::kPathFileAccessError);
}

}  // namespace

// The copy is made under a temporary name, so a copy that fails or is cut
// short leaves no file. A run copies one file per subscriber, so the copy is
// left to the kernel.
Status CopyRecording(int source, const QString& target) {
  files::PartialFile copy;
  if (const int error = CreateForReplacing(target, copy); error != 0) {
    return Status::FileFailure(error, error_number::kPathNotFound);
  }
  if (const int error = files::CopyAll(source, copy.fd()); error != 0) {
    return Status::FileFailure(error, error_number::kFileNotFound);
  }
  if (const int error = copy.Commit(); error != 0) return Status::FileFailure(error, error_number::kFileNotFound);
  return Status();
}

QString ExportVoiceName(const std::optional<QString>& alias, QStringView stream_path, const QString& root_path,
                        const QString& output_folder, Status* failure, const RecordingCarrier& carry) {
  *failure = Status();
  QString file_name;
  if (alias) file_name = *alias + QString::fromUtf16(kVoiceNameSuffix);
  if (stream_path.isEmpty()) return QString();

  const Recording source = OpenRecording(QFile::encodeName(StreamFilePath(root_path, stream_path)));
  if (!source.exists) return QString();
  if (!alias || !StaysInFolder(*alias)) {
    *failure = RefusedName();
  } else if (source.fd < 0) {
    *failure = Status::FileFailure(source.open_error, error_number::kFileNotFound);
  } else {
    *failure = carry(source.fd, output_folder + file_name);
  }
  if (source.fd >= 0) ::close(source.fd);
  return file_name;
}

void RemoveMessageFiles(const QString& folder, bool include_messages, ExportFrontEnd& front_end) {
  QDir dir(folder);
  if (!dir.exists()) return;
  const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
  for (const QFileInfo& file : files) {
    const QString extension = file.suffix();
    const bool voice_name = extension.compare(u"WAV", Qt::CaseInsensitive) == 0;
    // The record of the messages written goes with them.
    const bool message = include_messages && (extension.compare(u"MSG", Qt::CaseInsensitive) == 0 ||
                                              file.fileName() == QLatin1StringView(files::kExtractionRecordFileName));
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
