// Writes a log file the way the message extractor's trace log does: Windows-
// 1252 text with CR LF line ends, a start line, progress lines and the
// closing line, so that tests can grow, rewrite or remove it between ticks.
#ifndef KORVEL_EXPORT_MONITOR_TESTS_FAKE_EXTRACTOR_LOG_H_
#define KORVEL_EXPORT_MONITOR_TESTS_FAKE_EXTRACTOR_LOG_H_

#include <stdexcept>
#include <string>
#include <utility>

#include <QFile>
#include <QString>

namespace monitor_test {

// The closing line as the extractor writes it, line end included.
inline constexpr char kClosingLine[] = "LogFile closed at 17:56:26 \r\n";

class FakeExtractorLog {
 public:
  explicit FakeExtractorLog(QString path) : path_(std::move(path)) {}

  const QString& path() const { return path_; }
  // The file anew with the extractor's start line.
  void Start() { Write("\r\n\r\nLogFile Started at 17:56:26 \r\n", QIODevice::Truncate); }
  // One more line (Windows-1252 bytes) and CR LF.
  void AppendLine(const std::string& bytes) { Write(bytes + "\r\n", QIODevice::Append); }
  void Close() { Write(kClosingLine, QIODevice::Append); }
  void Remove() { QFile::remove(path_); }

 private:
  void Write(const std::string& bytes, QIODevice::OpenModeFlag mode) {
    QFile file(path_);
    const qint64 size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly | mode) || file.write(bytes.data(), size) != size) {
      throw std::runtime_error("cannot write " + path_.toStdString());
    }
  }

  QString path_;
};

}  // namespace monitor_test

#endif  // KORVEL_EXPORT_MONITOR_TESTS_FAKE_EXTRACTOR_LOG_H_
