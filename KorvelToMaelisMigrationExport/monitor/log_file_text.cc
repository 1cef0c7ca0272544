#include "KorvelToMaelisMigrationExport/monitor/log_file_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <QByteArray>
#include <QFile>

#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "platform/codepage/codepage.h"
#include "platform/files/posix_io.h"

namespace monitor {
namespace {

using export_engine::Status;

LogFileText Failed(int system_error) {
  LogFileText result;
  result.state = LogFileText::State::kFailed;
  result.failure = Status::FileFailure(system_error, export_engine::error_number::kFileNotFound);
  return result;
}

}  // namespace

LogFileText ReadLogFileText(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  struct stat info;
  if (::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode)) return {};

  // The writer may be in the middle of a line: whatever is on disk now is
  // the text of this read, and the next read sees the rest.
  const files::FileDescriptor file(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file.valid()) return Failed(errno);
  std::string bytes;
  bytes.reserve(static_cast<size_t>(info.st_size));
  if (const int error = files::ReadAll(file.get(), &bytes); error != 0) return Failed(error);

  LogFileText result;
  result.state = LogFileText::State::kRead;
  const std::wstring wide = codepage::AnsiToWide(bytes);
  result.text = QString::fromWCharArray(wide.data(), static_cast<qsizetype>(wide.size()));
  return result;
}

}  // namespace monitor
