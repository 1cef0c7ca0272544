// Moves a directory from an SQLite file into another engine through ODBC, as
// an administrator would: every table with its rows in the file's order, then
// its indexes and views. The other engine keeps its own habits (PostgreSQL
// folds the unquoted names to lower case). Each table keeps the file's row
// order on disk, so that queries without an order return the rows in the
// same order in both engines; SQLite's rowid in a view becomes PostgreSQL's
// ctid, the place of the row on disk.
#ifndef KORVEL_EXPORT_EXPORT_TESTS_DIRECTORY_COPY_H_
#define KORVEL_EXPORT_EXPORT_TESTS_DIRECTORY_COPY_H_

#include <QMap>
#include <QString>

namespace export_test {

// Column types on the other side, by "Table.Column" (any case), for the
// columns that an engine with real types would declare otherwise: a truth
// value as boolean, a number as numeric. Others follow their declared type:
// INTEGER bigint, REAL double precision, NUMERIC numeric, anything else text.
using ColumnTypes = QMap<QString, QString>;

bool CopyDirectory(const QString& sqlite_path, const QString& odbc_connect, const ColumnTypes& column_types,
                   QString* failure);

}  // namespace export_test

#endif  // KORVEL_EXPORT_EXPORT_TESTS_DIRECTORY_COPY_H_
