#include "KorvelToMaelisMigrationExport/export/csv_file.h"

#include <fcntl.h>
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

CsvFile::~CsvFile() { Close(); }

Status CsvFile::Create(const QString& path) {
  Close();
  fd_ = OpenForWriting(path, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd_ < 0) {
    not_open_ = Status::FileFailure(errno, error_number::kPathNotFound);
    return not_open_;
  }
  static constexpr char kByteOrderMark[] = {'\xFF', '\xFE'};
  return WriteBytes(kByteOrderMark, sizeof kByteOrderMark);
}

Status CsvFile::WriteLine(QStringView line) {
  if (fd_ < 0) return not_open_;
  std::string bytes;
  bytes.reserve(static_cast<size_t>(line.size() + 2) * 2);
  AppendUtf16Le(bytes, line);
  AppendUtf16Le(bytes, u"\r\n");
  return WriteBytes(bytes.data(), bytes.size());
}

Status CsvFile::WriteBytes(const char* data, size_t size) {
  // A disk that fills up takes part of a line before it refuses the rest; the
  // successor's import would read that part as a whole row, so it goes.
  const off_t start = ::lseek(fd_, 0, SEEK_CUR);
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      const Status failure = Status::FileFailure(errno, error_number::kFileNotFound);
      if (start >= 0 && ::ftruncate(fd_, start) == 0) ::lseek(fd_, start, SEEK_SET);
      return failure;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return Status();
}

void CsvFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  not_open_ = NotOpen();
}

}  // namespace export_engine
