// Reading what a finished export left in its folder: the CSV file, the export
// log and the extraction log. Everything is opened read-only.
#ifndef KORVEL_EXPORT_RECONCILE_EXPORT_FOLDER_H_
#define KORVEL_EXPORT_RECONCILE_EXPORT_FOLDER_H_

#include <optional>
#include <vector>

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include "KorvelToMaelisMigrationExport/export/data_items.h"

namespace reconcile {

// The fields of one CSV line as the export writes them: a value holding a
// comma is in double quotes, any other as it is. Quotes inside values are not
// escaped, so a line with a value holding both a quote and a comma may split
// otherwise than it was joined; whole lines compare exactly all the same.
QStringList SplitCsvLine(QStringView line);

struct CsvContents {
  QString header;
  std::vector<QString> rows;  // in file order, without line ends
};

// The CSV file: UTF-16LE after its byte-order mark, lines ended by CR LF.
// None, with `error` set, when it cannot be read or is not such a file.
std::optional<CsvContents> ReadCsvFile(const QString& path, QString* error);

// The ticked items a header row names, in list order; none when it is not a
// header the export writes.
std::optional<std::vector<export_engine::DataItem>> ItemsOfHeader(QStringView header);

struct ExportLogContents {
  QSet<QString> logged;          // every alias with an "Alias=" line
  QHash<QString, QString> skips;  // alias -> the line that skipped it
};

// The export log, in the system's ANSI code page; none when it cannot be read.
std::optional<ExportLogContents> ReadExportLog(const QString& path);

// What an extraction log says went wrong, by subscriber.
struct ExtractionLogContents {
  QHash<QString, int> failed_messages;  // alias -> messages that failed
  QSet<QString> unfinished;              // aliases whose walk did not reach its end
  QSet<QString> failed_subscribers;      // display names the walk failed for
};

std::optional<ExtractionLogContents> ReadExtractionLog(const QString& path);

}  // namespace reconcile

#endif  // KORVEL_EXPORT_RECONCILE_EXPORT_FOLDER_H_
