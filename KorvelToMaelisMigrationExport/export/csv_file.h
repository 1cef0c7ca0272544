// The migration file: UTF-16LE with a byte-order mark, comma-separated, every
// line (the last one too) ended by CR LF, because the file travels to the
// successor's import.
#ifndef KORVEL_EXPORT_EXPORT_CSV_FILE_H_
#define KORVEL_EXPORT_EXPORT_CSV_FILE_H_

#include <sys/types.h>

#include <string>

#include <QString>
#include <QStringView>

#include "KorvelToMaelisMigrationExport/export/status.h"
#include "platform/files/output_file.h"

namespace export_engine {

inline constexpr char kCsvFileName[] = "KorvelMigrationOutput.csv";

// Appends one field and its trailing comma to `line`: the value without
// leading and trailing blanks (U+0020 only), in double quotes when it holds a
// comma. Quotes and line breaks inside a value are kept as they are: the
// successor's import reads the file that way.
void AppendCsvField(QString& line, QStringView value);

// Drops the comma after the last field of a finished line.
void EndCsvLine(QString& line);

class CsvFile {
 public:
  CsvFile();
  CsvFile(const CsvFile&) = delete;
  CsvFile& operator=(const CsvFile&) = delete;
  // A file never committed is removed: the import must not take part of an
  // export for the whole of it.
  ~CsvFile();

  // Starts the file under its temporary name beside `path` and writes the
  // byte-order mark. A read-only file at `path` is refused. A failure is kept
  // and reported again by every WriteLine.
  Status Create(const QString& path);

  // Writes `line` and CR LF. Lines are gathered and written in large blocks
  // into disk space set aside for them beforehand, so a line that is taken
  // is sure to fit. Where no space can be set aside (a full disk, a file
  // size limit, a file system that cannot), each line is written on its
  // own: a line that cannot be written whole is not in the file at all, and
  // its own call reports it.
  Status WriteLine(QStringView line);

  // Puts the file under its final name, replacing what is there, with every
  // line written so far. Writing after it fails.
  Status Commit();

 private:
  // Takes bytes into the block being gathered, or writes them on their own.
  Status Take(const std::string& bytes);
  // Writes `size` bytes at the end of the lines written, or none of them.
  Status WriteWhole(const char* data, size_t size);
  Status Flush();
  void Discard();

  files::PartialFile file_;
  Status not_open_;  // what writing reports while no file is open
  std::string pending_;  // lines taken, not yet in the file
  off_t written_ = 0;    // bytes of lines in the file
  off_t reserved_ = 0;   // disk space set aside up to here; the file is that long
};

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_CSV_FILE_H_
