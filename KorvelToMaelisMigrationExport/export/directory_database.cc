#include "KorvelToMaelisMigrationExport/export/directory_database.h"

#include <atomic>

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include "KorvelToMaelisMigrationExport/export/cell_text.h"
#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/odbc_row_reader.h"

namespace export_engine {
namespace {

constexpr QLatin1StringView kSqlitePrefix("sqlite:");

// How long a server may take to accept the log-in and to answer a statement:
// the waits the kit always had over ADO (15 and 30 seconds). A server that
// stops answering then fails the start-up or the query instead of holding the
// program forever, where the ODBC driver honours them.
constexpr int kLoginTimeoutSeconds = 15;
constexpr int kQueryTimeoutSeconds = 30;

QString NewConnectionName() {
  static std::atomic<int> next{0};
  return QStringLiteral("KorvelDb-%1").arg(next++);
}

// The engine's or the driver manager's own words, on one line: a log line
// must not break apart. Qt's summary ("Unable to connect") only when they are
// missing.
QString ErrorText(const QSqlError& error) {
  QString text = error.databaseText().simplified();
  if (text.isEmpty()) text = error.driverText().simplified();
  return text.isEmpty() ? QStringLiteral("Unspecified error") : text;
}

}  // namespace

DirectoryDatabase::DirectoryDatabase() : connection_name_(NewConnectionName()) {}

DirectoryDatabase::~DirectoryDatabase() { Close(); }

Status DirectoryDatabase::DatabaseFailure(const QString& description) const {
  return Status::Failure(description, db_.driverName(), error_number::kDatabaseFailure);
}

Status DirectoryDatabase::Open(const QString& connect_string) {
  Close();
  if (connect_string.startsWith(kSqlitePrefix, Qt::CaseInsensitive)) {
    const QString path = connect_string.mid(kSqlitePrefix.size());
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_name_);
    // An empty name would give a fresh in-memory database instead of a failure.
    if (path.isEmpty()) return DatabaseFailure(QStringLiteral("The connect string names no database file"));
    // A pipe or a device would hang the open or be read as garbage.
    const QFileInfo file(path);
    if (file.exists() && !file.isFile()) return DatabaseFailure(path + QStringLiteral(" is not a regular file"));
    db_.setDatabaseName(path);
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    groups_reads_ = true;
  } else {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connection_name_);
    db_.setDatabaseName(connect_string);
    db_.setConnectOptions(QStringLiteral("SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY;SQL_ATTR_LOGIN_TIMEOUT=%1")
                              .arg(kLoginTimeoutSeconds));
    reads_odbc_ = true;
  }
  if (!db_.isValid()) return DatabaseFailure(ErrorText(db_.lastError()));
  if (!db_.open()) return DatabaseFailure(ErrorText(db_.lastError()));
  return Status();
}

void DirectoryDatabase::Close() {
  prepared_.clear();
  in_read_group_ = false;
  groups_reads_ = false;
  reads_odbc_ = false;
  if (!db_.isValid()) return;
  db_.close();
  db_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(connection_name_);
}

void DirectoryDatabase::BeginReadGroup() {
  if (groups_reads_ && db_.isOpen() && !in_read_group_) in_read_group_ = db_.transaction();
}

void DirectoryDatabase::EndReadGroup() {
  if (!in_read_group_) return;
  in_read_group_ = false;
  // A read transaction that cannot end must not keep the file locked.
  if (!db_.commit()) db_.rollback();
}

Status DirectoryDatabase::Select(QStringView sql, const QStringList& bound_values, RecordTable* result) {
  result->Reset({});
  if (!db_.isOpen()) return DatabaseFailure(QStringLiteral("The directory database is not open"));

  const QString text = sql.toString();
  std::unique_ptr<QSqlQuery>& query = prepared_[text];
  if (!query) {
    query = std::make_unique<QSqlQuery>(db_);
    query->setForwardOnly(true);
    if (!query->prepare(text)) {
      const Status failure = DatabaseFailure(ErrorText(query->lastError()));
      prepared_.erase(text);
      return failure;
    }
    if (void* statement = reads_odbc_ ? OdbcStatementHandle(*query) : nullptr) {
      SetOdbcQueryTimeout(statement, kQueryTimeoutSeconds);
    }
  }
  for (int i = 0; i < bound_values.size(); ++i) query->bindValue(i, bound_values[i]);
  if (!query->exec()) {
    const Status failure = DatabaseFailure(ErrorText(query->lastError()));
    // The next attempt prepares the text anew, in case the database has recovered.
    prepared_.erase(text);
    return failure;
  }

  const QSqlRecord record = query->record();
  QStringList columns;
  for (int i = 0; i < record.count(); ++i) columns << record.fieldName(i);
  result->Reset(columns);
  const int column_count = record.count();
  if (void* statement = reads_odbc_ ? OdbcStatementHandle(*query) : nullptr) {
    OdbcRowReader reader(statement, column_count);
    QString read_failure;
    while (query->next()) {
      if (reader.AppendRow(result, &read_failure)) continue;
      result->Reset({});
      query->finish();
      prepared_.erase(text);
      return DatabaseFailure(read_failure.simplified().isEmpty() ? QStringLiteral("Unspecified error")
                                                                 : read_failure.simplified());
    }
  } else {
    while (query->next()) {
      for (int i = 0; i < column_count; ++i) {
        if (query->isNull(i)) {
          result->AppendNullCell();
        } else {
          result->AppendCell(CellText(query->value(i)));
        }
      }
    }
  }
  const QSqlError fetch_error = query->lastError();
  query->finish();
  if (fetch_error.isValid()) {
    result->Reset({});
    prepared_.erase(text);
    return DatabaseFailure(ErrorText(fetch_error));
  }
  return Status();
}

}  // namespace export_engine
