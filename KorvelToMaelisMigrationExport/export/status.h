// The result of one step of an export run: success, or a failure with the
// description, source and number that the export log reports.
#ifndef KORVEL_EXPORT_EXPORT_STATUS_H_
#define KORVEL_EXPORT_EXPORT_STATUS_H_

#include <utility>

#include <QString>
#include <QtGlobal>

namespace export_engine {

class Status {
 public:
  Status() = default;  // success

  static Status Failure(QString description, QString source, qint32 number) {
    Status status;
    status.failed_ = true;
    status.description_ = std::move(description);
    status.source_ = std::move(source);
    status.number_ = number;
    return status;
  }

  // A failed file operation, from the system's error number. `missing_number`
  // is reported when the system says "no such file or directory", because
  // only the caller knows whether the file or its folder is missing.
  static Status FileFailure(int system_error, qint32 missing_number);

  bool ok() const { return !failed_; }
  const QString& description() const { return description_; }
  const QString& source() const { return source_; }
  qint32 number() const { return number_; }

  // The export log's line for a failure inside a run:
  // "(error) in export. Description=..., Source=..., Number= 53".
  QString RunLogLine() const;

 private:
  bool failed_ = false;
  QString description_;
  QString source_;
  qint32 number_ = 0;
};

// The source of failures that the program itself detects (file operations,
// conversions): the program's name, as the runtime reports it.
inline constexpr char kProgramSource[] = "KorvelToMaelisMigrationExport";

// A number as the runtime's Str() writes it: a leading blank in the place of a
// sign for zero or more, a minus sign otherwise.
QString SignedNumberText(qint64 number);

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_STATUS_H_
