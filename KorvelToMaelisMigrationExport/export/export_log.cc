#include "KorvelToMaelisMigrationExport/export/export_log.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

#include "KorvelToMaelisMigrationExport/export/file_operations.h"
#include "platform/codepage/codepage.h"
#include "platform/files/posix_io.h"

namespace export_engine {
namespace {

constexpr char16_t kAsterisks[] = u"*************************************************************";
constexpr std::size_t kBlockBytes = 64 * 1024;

// The signals of a crash, and what they did before the log's handler.
constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction g_earlier_actions[std::size(kCrashSignals)];
std::atomic<ExportLog*> g_open_log{nullptr};

}  // namespace

ExportLog::ExportLog(std::function<void()> yield, std::function<void(QStringView)> observe)
    : yield_(std::move(yield)), observe_(std::move(observe)) {}

ExportLog::~ExportLog() { CloseExportLog(); }

void ExportLog::WritePending() {
  const std::size_t size = pending_size_.load();
  if (fd_ >= 0 && size > 0) files::WriteAll(fd_, std::string_view(pending_.get(), size));
  pending_size_.store(0);
}

void ExportLog::WritePendingOfOpenLog(int signal_number) {
  if (ExportLog* log = g_open_log.exchange(nullptr)) log->WritePending();
  // The signal then does what it did before: the process ends as it would have.
  for (std::size_t i = 0; i < std::size(kCrashSignals); ++i) {
    if (kCrashSignals[i] == signal_number) ::sigaction(signal_number, &g_earlier_actions[i], nullptr);
  }
  ::raise(signal_number);
}

void ExportLog::OpenExportLog(const QString& path, bool append, const ProgramIdentity& program) {
  CloseExportLog();
  const int mode = append ? O_APPEND : O_TRUNC;
  fd_ = OpenForWriting(path, O_WRONLY | O_CREAT | mode);
  if (fd_ >= 0) {
    if (!pending_) pending_ = std::make_unique<char[]>(kBlockBytes);
    static const bool crash_handler_installed = [] {
      struct sigaction action {};
      action.sa_handler = &ExportLog::WritePendingOfOpenLog;
      sigemptyset(&action.sa_mask);
      for (std::size_t i = 0; i < std::size(kCrashSignals); ++i) {
        ::sigaction(kCrashSignals[i], &action, &g_earlier_actions[i]);
      }
      return true;
    }();
    (void)crash_handler_installed;
    g_open_log.store(this);
  }

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
  const bool counts_as_error = line.contains(u"(error)", Qt::CaseInsensitive);
  if (counts_as_error && error_count_ < std::numeric_limits<qint16>::max()) ++error_count_;
  if (fd_ >= 0) {
    std::string bytes = codepage::WideToAnsi(line.toString().toStdWString());
    bytes += "\r\n";
    std::size_t size = pending_size_.load();
    if (size + bytes.size() > kBlockBytes) {
      WritePending();
      size = 0;
    }
    if (bytes.size() > kBlockBytes) {
      files::WriteAll(fd_, bytes);
    } else {
      std::memcpy(pending_.get() + size, bytes.data(), bytes.size());
      pending_size_.store(size + bytes.size());
    }
    if (counts_as_error) WritePending();
  }
  if (observe_) observe_(line);
  if (yield_) yield_();
}

void ExportLog::CloseExportLog() {
  ExportLog* self = this;
  g_open_log.compare_exchange_strong(self, nullptr);
  WritePending();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace export_engine
