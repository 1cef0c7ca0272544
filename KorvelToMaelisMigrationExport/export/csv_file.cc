#include "KorvelToMaelisMigrationExport/export/csv_file.h"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/file_operations.h"

namespace export_engine {
namespace {

bool IsBlank(QChar c) { return c == QLatin1Char(' '); }

void AppendUtf16Le(std::string& bytes, QStringView text) {
  const size_t start = bytes.size();
  bytes.resize(start + static_cast<size_t>(text.size()) * 2);
  char* out = bytes.data() + start;
  for (QChar c : text) {
    const char16_t unit = c.unicode();
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  }
}

Status NotOpen() {
  return Status::Failure(QStringLiteral("Bad file name or number"), QString::fromLatin1(kProgramSource),
                         error_number::kBadFileNameOrNumber);
}

}  // namespace

void AppendCsvField(QString& line, QStringView value) {
  qsizetype begin = 0;
  qsizetype end = value.size();
  while (begin < end && IsBlank(value[begin])) ++begin;
  while (end > begin && IsBlank(value[end - 1])) --end;
  const QStringView field = value.sliced(begin, end - begin);
  if (field.contains(QLatin1Char(','))) {
    line += QLatin1Char('"');
    line += field;
    line += QLatin1Char('"');
  } else {
    line += field;
  }
  line += QLatin1Char(',');
}

void EndCsvLine(QString& line) { line.chop(1); }

CsvFile::CsvFile() : not_open_(NotOpen()) {}

CsvFile::~CsvFile() { Discard(); }

Status CsvFile::Create(const QString& path) {
  Discard();
  if (const int error = CreateForReplacing(path, file_); error != 0) {
    not_open_ = Status::FileFailure(error, error_number::kPathNotFound);
    return not_open_;
  }
  static constexpr char kByteOrderMark[] = {'\xFF', '\xFE'};
  return WriteBytes(kByteOrderMark, sizeof kByteOrderMark);
}

Status CsvFile::WriteLine(QStringView line) {
  if (!file_.is_open()) return not_open_;
  std::string bytes;
  bytes.reserve(static_cast<size_t>(line.size() + 2) * 2);
  AppendUtf16Le(bytes, line);
  AppendUtf16Le(bytes, u"\r\n");
  return WriteBytes(bytes.data(), bytes.size());
}

Status CsvFile::WriteBytes(const char* data, size_t size) {
  // A disk that fills up takes part of a line before it refuses the rest; the
  // successor's import would read that part as a whole row, so it goes.
  const int fd = file_.fd();
  const off_t start = ::lseek(fd, 0, SEEK_CUR);
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      const Status failure = Status::FileFailure(errno, error_number::kFileNotFound);
      if (start >= 0 && ::ftruncate(fd, start) == 0) ::lseek(fd, start, SEEK_SET);
      return failure;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return Status();
}

Status CsvFile::Commit() {
  // A file that was never made has reported so through every write.
  if (!file_.is_open()) return Status();
  const int error = file_.Commit();
  not_open_ = NotOpen();
  return error == 0 ? Status() : Status::FileFailure(error, error_number::kPathNotFound);
}

void CsvFile::Discard() {
  file_.Discard();
  not_open_ = NotOpen();
}

}  // namespace export_engine
