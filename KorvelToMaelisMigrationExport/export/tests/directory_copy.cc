#include "KorvelToMaelisMigrationExport/export/tests/directory_copy.h"

#include <vector>

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace export_test {
namespace {

struct Column {
  QString name;
  QString type;  // on the other side
};

QString OtherType(const QString& table, const QString& column, const QString& declared,
                  const QMap<QString, QString>& overrides) {
  const QString chosen = overrides.value((table + "." + column).toLower());
  if (!chosen.isEmpty()) return chosen;
  const QString upper = declared.toUpper();
  if (upper == "INTEGER") return "bigint";
  if (upper == "REAL") return "double precision";
  if (upper == "NUMERIC") return "numeric";
  return "text";
}

// Every stored value goes over as its exact text and is cast on the other
// side, so a truth value or a number lands in its declared type unchanged.
QVariant AsText(const QVariant& value) {
  if (value.isNull()) return QVariant(QMetaType::fromType<QString>());
  if (value.metaType().id() == QMetaType::Double) return QString::number(value.toDouble(), 'g', 17);
  return value.toString();
}

class Copier {
 public:
  Copier(QSqlDatabase& from, QSqlDatabase& to, const ColumnTypes& column_types) : from_(from), to_(to) {
    for (auto it = column_types.begin(); it != column_types.end(); ++it) overrides_.insert(it.key().toLower(), it.value());
  }

  bool Copy(QString* failure) {
    QSqlQuery objects(from_);
    if (!objects.exec("SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite!_%' ESCAPE '!' "
                      "ORDER BY "
                      "CASE type WHEN 'table' THEN 0 WHEN 'index' THEN 1 ELSE 2 END, rowid")) {
      return Fail(objects, failure);
    }
    if (!to_.transaction()) return Fail(to_.lastError().text(), failure);
    while (objects.next()) {
      const QString type = objects.value(0).toString();
      const QString name = objects.value(1).toString();
      const QString sql = objects.value(2).toString();
      const bool copied = type == "table" ? CopyTable(name, failure) : Run(Adapted(sql), failure);
      if (!copied) {
        to_.rollback();
        return false;
      }
    }
    if (!to_.commit()) return Fail(to_.lastError().text(), failure);
    return true;
  }

 private:
  static QString Adapted(QString sql) {
    static const QRegularExpression rowid(QStringLiteral("\\browid\\b"), QRegularExpression::CaseInsensitiveOption);
    return sql.replace(rowid, QStringLiteral("ctid"));
  }

  static bool Fail(const QSqlQuery& query, QString* failure) { return Fail(query.lastError().text(), failure); }
  static bool Fail(const QString& text, QString* failure) {
    *failure = text;
    return false;
  }

  bool Run(const QString& sql, QString* failure) {
    QSqlQuery query(to_);
    if (!query.exec(sql)) return Fail(sql + ": " + query.lastError().text(), failure);
    return true;
  }

  // A server fills free space that earlier pages keep, so rows inserted one
  // by one do not stay in their order. They are gathered first and the table
  // is then made from them in one statement, which writes them in order.
  bool CopyTable(const QString& table, QString* failure) {
    QSqlQuery info(from_);
    if (!info.exec("PRAGMA table_info(\"" + table + "\")")) return Fail(info, failure);
    std::vector<Column> columns;
    while (info.next()) {
      const QString name = info.value(1).toString();
      columns.push_back({name, OtherType(table, name, info.value(2).toString(), overrides_)});
    }
    QStringList definitions{"copy_order bigint"}, names, values{"?"};
    for (const Column& column : columns) {
      definitions << column.name + " " + column.type;
      names << column.name;
      values << "CAST(? AS " + column.type + ")";
    }
    const QString gathered = "copy_of_" + table;
    if (!Run("CREATE TABLE " + gathered + " (" + definitions.join(", ") + ")", failure)) return false;

    QSqlQuery insert(to_);
    const QString insert_sql = "INSERT INTO " + gathered + " VALUES (" + values.join(", ") + ")";
    if (!insert.prepare(insert_sql)) return Fail(insert_sql + ": " + insert.lastError().text(), failure);
    QSqlQuery rows(from_);
    rows.setForwardOnly(true);
    if (!rows.exec("SELECT " + names.join(", ") + " FROM \"" + table + "\" ORDER BY rowid")) return Fail(rows, failure);
    for (qlonglong order = 0; rows.next(); ++order) {
      insert.bindValue(0, order);
      for (int i = 0; i < static_cast<int>(columns.size()); ++i) insert.bindValue(i + 1, AsText(rows.value(i)));
      if (!insert.exec()) return Fail(insert_sql + ": " + insert.lastError().text(), failure);
    }
    return Run("CREATE TABLE " + table + " AS SELECT " + names.join(", ") + " FROM " + gathered + " ORDER BY copy_order",
               failure) &&
           Run("DROP TABLE " + gathered, failure);
  }

  QSqlDatabase& from_;
  QSqlDatabase& to_;
  QMap<QString, QString> overrides_;
};

}  // namespace

bool CopyDirectory(const QString& sqlite_path, const QString& odbc_connect, const ColumnTypes& column_types,
                   QString* failure) {
  const QString from_name = QStringLiteral("copy-from");
  const QString to_name = QStringLiteral("copy-to");
  bool copied = false;
  {
    QSqlDatabase from = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), from_name);
    from.setDatabaseName(sqlite_path);
    from.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    QSqlDatabase to = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), to_name);
    to.setDatabaseName(odbc_connect);
    if (!from.open()) {
      *failure = from.lastError().text();
    } else if (!to.open()) {
      *failure = to.lastError().text();
    } else {
      copied = Copier(from, to, column_types).Copy(failure);
    }
  }
  QSqlDatabase::removeDatabase(from_name);
  QSqlDatabase::removeDatabase(to_name);
  return copied;
}

}  // namespace export_test
