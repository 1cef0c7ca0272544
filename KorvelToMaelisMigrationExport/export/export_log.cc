#include "KorvelToMaelisMigrationExport/export/export_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <string>
#include <utility>

#include "KorvelToMaelisMigrationExport/export/file_operations.h"
#include "platform/codepage/codepage.h"

namespace export_engine {
namespace {

constexpr char16_t kAsterisks[] = u"*************************************************************";

void WriteAll(int fd, const std::string& bytes) {
  const char* data = bytes.data();
  size_t size = bytes.size();
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    data += written;
    size -= static_cast<size_t>(written);
  }
}

}  // namespace

ExportLog::ExportLog(std::function<void()> yield, std::function<void(QStringView)> observe)
    : yield_(std::move(yield)), observe_(std::move(observe)) {}

ExportLog::~ExportLog() { CloseExportLog(); }

void ExportLog::OpenExportLog(const QString& path, bool append, const ProgramIdentity& program) {
  CloseExportLog();
  const int mode = append ? O_APPEND : O_TRUNC;
  fd_ = OpenForWriting(path, O_WRONLY | O_CREAT | mode);

  const QString asterisks = QString::fromUtf16(kAsterisks);
  WriteLogLine(QStringLiteral("\r\n") + asterisks);
  WriteLogLine(QStringLiteral("Running %1 version: %2.%3.%4\r\n")
                   .arg(program.name)
                   .arg(program.major)
                   .arg(program.minor)
                   .arg(program.revision));
  WriteLogLine(u"Search for '(error)' or '(warning)' to find logged errors and warnings during the import process.\r\n");
  WriteLogLine(asterisks + QStringLiteral("\r\n"));
  error_count_ = 0;
}

void ExportLog::WriteLogLine(QStringView line) {
  if (line.contains(u"(error)", Qt::CaseInsensitive) && error_count_ < std::numeric_limits<qint16>::max()) {
    ++error_count_;
  }
  if (fd_ >= 0) {
    std::string bytes = codepage::WideToAnsi(line.toString().toStdWString());
    bytes += "\r\n";
    WriteAll(fd_, bytes);
  }
  if (observe_) observe_(line);
  if (yield_) yield_();
}

void ExportLog::CloseExportLog() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace export_engine
