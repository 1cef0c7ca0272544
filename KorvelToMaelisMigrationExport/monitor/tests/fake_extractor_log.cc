#include "KorvelToMaelisMigrationExport/monitor/tests/fake_extractor_log.h"

#include <stdexcept>

#include <QFile>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace monitor_test {

void FakeExtractorLog::Start() { export_test::WriteBytes(path_, "\r\n\r\nLogFile Started at 17:56:26 \r\n"); }

void FakeExtractorLog::AppendLine(const std::string& bytes) { Append(bytes + "\r\n"); }

void FakeExtractorLog::Close() { Append(kClosingLine); }

void FakeExtractorLog::Remove() { QFile::remove(path_); }

qsizetype FakeExtractorLog::length() const { return QFileInfo(path_).size(); }

void FakeExtractorLog::Append(const std::string& bytes) {
  QFile file(path_);
  if (!file.open(QIODevice::Append)) throw std::runtime_error("cannot append to " + path_.toStdString());
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace monitor_test
