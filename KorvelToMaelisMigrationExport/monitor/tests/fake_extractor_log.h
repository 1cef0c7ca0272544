// Writes a log file the way the message extractor's trace log does: Windows-
// 1252 text with CR LF line ends, a start line, progress lines and the
// closing line, so that tests can grow, rewrite or remove it between ticks.
#ifndef KORVEL_EXPORT_MONITOR_TESTS_FAKE_EXTRACTOR_LOG_H_
#define KORVEL_EXPORT_MONITOR_TESTS_FAKE_EXTRACTOR_LOG_H_

#include <string>
#include <utility>

#include <QString>

namespace monitor_test {

class FakeExtractorLog {
 public:
  explicit FakeExtractorLog(QString path) : path_(std::move(path)) {}

  const QString& path() const { return path_; }

  // The file anew with the extractor's start line.
  void Start();
  // One more line (Windows-1252 bytes) and CR LF.
  void AppendLine(const std::string& bytes);
  // The extractor's closing line.
  void Close();
  void Remove();

  // Length of the file in characters (one per byte).
  qsizetype length() const;

 private:
  void Append(const std::string& bytes);

  QString path_;
};

// The closing line as the extractor writes it, line end included.
inline constexpr char kClosingLine[] = "LogFile closed at 17:56:26 \r\n";

}  // namespace monitor_test

#endif  // KORVEL_EXPORT_MONITOR_TESTS_FAKE_EXTRACTOR_LOG_H_
