#include "KorvelToMaelisMigrationExport/export/csv_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/file_operations.h"
#include "platform/files/posix_io.h"

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

// Lines gathered before they are written, and disk space set aside at a time.
constexpr size_t kBlockBytes = 256 * 1024;
constexpr off_t kReserveBytes = 4 * 1024 * 1024;

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
  return Take(std::string(kByteOrderMark, sizeof kByteOrderMark));
}

Status CsvFile::WriteLine(QStringView line) {
  if (!file_.is_open()) return not_open_;
  std::string bytes;
  bytes.reserve(static_cast<size_t>(line.size() + 2) * 2);
  AppendUtf16Le(bytes, line);
  AppendUtf16Le(bytes, u"\r\n");
  return Take(bytes);
}

Status CsvFile::Take(const std::string& bytes) {
  const off_t end = written_ + static_cast<off_t>(pending_.size() + bytes.size());
  if (end > reserved_) {
    const off_t reserve = std::max(end, reserved_ + kReserveBytes);
    if (::fallocate(file_.fd(), 0, reserved_, reserve - reserved_) != 0) {
      Status flushed = Flush();
      if (!flushed.ok()) return flushed;
      return WriteWhole(bytes.data(), bytes.size());
    }
    reserved_ = reserve;
  }
  pending_ += bytes;
  return pending_.size() >= kBlockBytes ? Flush() : Status();
}

Status CsvFile::Flush() {
  if (pending_.empty()) return Status();
  const Status status = WriteWhole(pending_.data(), pending_.size());
  pending_.clear();
  return status;
}

Status CsvFile::WriteWhole(const char* data, size_t size) {
  const int fd = file_.fd();
  if (const int error = files::WriteAllAt(fd, std::string_view(data, size), written_); error != 0) {
    // A disk that fills up takes part of a line before it refuses the
    // rest; the successor's import would read that part as a whole row,
    // so it goes, with any space set aside after it.
    const Status failure = Status::FileFailure(error, error_number::kFileNotFound);
    if (::ftruncate(fd, written_) == 0) reserved_ = written_;
    return failure;
  }
  written_ += static_cast<off_t>(size);
  return Status();
}

Status CsvFile::Commit() {
  // A file that was never made has reported so through every write.
  if (!file_.is_open()) return Status();
  // A block that fails is cut back to its whole lines, which stay.
  const Status flushed = Flush();
  // The space set aside beyond the last line is no part of the file; a file
  // that keeps it is not whole.
  if (reserved_ > written_ && ::ftruncate(file_.fd(), written_) != 0) {
    const Status failure = Status::FileFailure(errno, error_number::kFileNotFound);
    Discard();
    return failure;
  }
  const int error = file_.Commit();
  not_open_ = NotOpen();
  if (error != 0) return Status::FileFailure(error, error_number::kPathNotFound);
  return flushed;
}

void CsvFile::Discard() {
  file_.Discard();
  not_open_ = NotOpen();
  pending_.clear();
  written_ = 0;
  reserved_ = 0;
}

}  // namespace export_engine
