// The connection to the server's directory database, which the export only
// reads. "sqlite:PATH" opens an SQLite file; any other connect string goes to
// ODBC. Either way the database is opened read-only and never created: a
// missing SQLite file fails to open. ODBC drivers may take read-only as a mere
// hint (the SQLite and PostgreSQL ones do); the export sends nothing but its
// fixed SELECT queries (directory_queries.h) either way.
#ifndef KORVEL_EXPORT_EXPORT_DIRECTORY_DATABASE_H_
#define KORVEL_EXPORT_EXPORT_DIRECTORY_DATABASE_H_

#include <map>
#include <memory>

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "KorvelToMaelisMigrationExport/export/record_table.h"
#include "KorvelToMaelisMigrationExport/export/status.h"

class QSqlQuery;

namespace export_engine {

// The connect string used when neither the command line nor the environment
// names one: the server's own database through ODBC.
inline constexpr char kDefaultConnectString[] = "Driver={SQL Server};server=;database=KorvelDb";

class DirectoryDatabase {
 public:
  DirectoryDatabase();
  DirectoryDatabase(const DirectoryDatabase&) = delete;
  DirectoryDatabase& operator=(const DirectoryDatabase&) = delete;
  ~DirectoryDatabase();

  Status Open(const QString& connect_string);
  bool is_open() const { return db_.isOpen(); }
  void Close();

  // Brackets queries that belong together. An SQLite reader otherwise takes
  // and drops its file lock, and checks the file for changes, around every
  // statement; with a read transaction it does so once, and the results all
  // come from one state of the directory. Other engines read each statement
  // on its own.
  void BeginReadGroup();
  void EndReadGroup();

  // Runs `sql` with its placeholders bound, in order, to `bound_values`, and
  // reads the whole result into `result`. A failure leaves `result` empty.
  Status Select(QStringView sql, const QStringList& bound_values, RecordTable* result);

 private:
  Status DatabaseFailure(const QString& description) const;

  QString connection_name_;
  QSqlDatabase db_;
  bool groups_reads_ = false;
  // Values are read as the ODBC driver's text rather than through QtSql's
  // typed fetch (odbc_row_reader.h); other drivers' typed values go through
  // CellText (cell_text.h).
  bool reads_odbc_ = false;
  bool in_read_group_ = false;
  // Prepared once per text and run again with new values.
  std::map<QString, std::unique_ptr<QSqlQuery>> prepared_;
};

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_DIRECTORY_DATABASE_H_
