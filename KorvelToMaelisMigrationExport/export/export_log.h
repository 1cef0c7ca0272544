// The export log, KorvelToMaelisMigrationErrors.log: a plain Windows-1252 text
// file with CR LF line ends, holding the run's start and end, one "Alias="
// line per subscriber and every skip and failure. It also counts the lines
// that report a failure, for the run's closing summary.
//
// No failure of the log itself is ever reported: a log that cannot be written
// loses its lines silently, while the count still counts them.
//
// Lines are gathered and written in blocks: when a block is full, at once
// for a line that reports an error, and when the log is closed. Should the
// process crash (a fault or an abort), a handler writes the lines gathered so
// far before the process ends, so the log still shows the last line written.
#ifndef KORVEL_EXPORT_EXPORT_EXPORT_LOG_H_
#define KORVEL_EXPORT_EXPORT_EXPORT_LOG_H_

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace export_engine {

inline constexpr char kExportLogFileName[] = "KorvelToMaelisMigrationErrors.log";

// The program as the log's header names it.
struct ProgramIdentity {
  QString name;  // the executable's file name without extension
  int major = 0;
  int minor = 0;
  int revision = 0;
};

class ExportLog {
 public:
  // `yield` runs after every line, so that a window stays responsive during a
  // long run. `observe`, when given, sees every line as it is written, also
  // when no log file is open: a check that writes nothing reads the run by it.
  explicit ExportLog(std::function<void()> yield, std::function<void(QStringView)> observe = {});
  ExportLog(const ExportLog&) = delete;
  ExportLog& operator=(const ExportLog&) = delete;
  ~ExportLog();

  // Opens the log (appending, or created empty), writes the header and sets
  // the error count to zero.
  void OpenExportLog(const QString& path, bool append, const ProgramIdentity& program);

  // Writes `line` and CR LF. A line containing "(error)", in any case, counts
  // once as an error; the count stops at 32767.
  void WriteLogLine(QStringView line);

  void CloseExportLog();

  // Lines counted since the header; kept after closing until the next open.
  int error_count() const { return error_count_; }

 private:
  // Writes the gathered lines with nothing but write(2): safe in a signal
  // handler, and run by the crash handler for the open log.
  void WritePending();
  static void WritePendingOfOpenLog(int signal_number);

  std::function<void()> yield_;
  std::function<void(QStringView)> observe_;
  int fd_ = -1;
  qint16 error_count_ = 0;
  std::unique_ptr<char[]> pending_;
  // Bytes of `pending_` that hold whole lines; raised only once they are in.
  std::atomic<std::size_t> pending_size_{0};
};

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_EXPORT_LOG_H_
