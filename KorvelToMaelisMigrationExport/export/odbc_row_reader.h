// The rows of a query sent through QtSql's ODBC driver, read as text.
//
// That driver fetches every column in the C type its SQL type suggests: a
// value that does not fit its column's declared type (a 64-bit number in an
// INTEGER column of SQLite, a word in a numeric column) comes back cut short
// or as null, and a decimal comes back as a double. The export reads each
// value as the text the ODBC driver renders instead, the way the directory's
// values are meant to be read, and brings only the numbers of decimal and
// floating-point columns to one form (cell_text.h).
#ifndef KORVEL_EXPORT_EXPORT_ODBC_ROW_READER_H_
#define KORVEL_EXPORT_EXPORT_ODBC_ROW_READER_H_

#include <vector>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/record_table.h"

class QSqlQuery;

namespace export_engine {

// The ODBC statement handle behind `query`, which QtSql's ODBC driver runs.
void* OdbcStatementHandle(const QSqlQuery& query);

// Bounds, in seconds, how long the driver waits for a statement to answer,
// where the driver supports it.
void SetOdbcQueryTimeout(void* statement, int seconds);

class OdbcRowReader {
 public:
  // `statement`: an executed statement with a result of `column_count` columns.
  OdbcRowReader(void* statement, int column_count);

  // Appends the cells of the row the statement stands on to `table`. On a
  // failure, `failure` holds what the driver said and the row is incomplete.
  bool AppendRow(RecordTable* table, QString* failure);

 private:
  enum class Kind { kText, kExactNumber, kApproximateNumber };

  // Reads one cell into text_; false on a failure.
  bool ReadCell(int column, bool* is_null);
  QString Diagnostics() const;

  void* statement_;
  std::vector<Kind> kinds_;
  std::vector<char16_t> buffer_;
  QString text_;
};

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_ODBC_ROW_READER_H_
