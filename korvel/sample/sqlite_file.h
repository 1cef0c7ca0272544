// A new SQLite database file being filled, and its prepared statements.
// Every failure comes back as a Status naming the file.
#ifndef KORVEL_SAMPLE_SQLITE_FILE_H_
#define KORVEL_SAMPLE_SQLITE_FILE_H_

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "korvel/sample/sample_model.h"
#include "korvel/sample/status.h"

namespace korvel_sample {

class SqliteFile;

// A prepared statement that is bound, run and reset once per row. A failed
// bind is remembered and reported by the next Run.
class SqliteStatement {
 public:
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Parameters count from 1; an empty optional binds NULL.
  void Bind(int index, const OptionalText& value);
  void Bind(int index, const OptionalInt& value);
  void Bind(int index, const std::optional<double>& value);
  void BindBlob(int index, std::string_view bytes);

  // Runs the statement to its end, then resets it and clears its bindings.
  Status Run();

 private:
  friend class SqliteFile;
  SqliteStatement(sqlite3_stmt* statement, const SqliteFile& file);
  void Check(int result);

  sqlite3_stmt* statement_;
  const SqliteFile& file_;
  int bind_error_ = SQLITE_OK;
};

class SqliteFile {
 public:
  // Creates the file; there must be none at `path`.
  static Status Create(const std::string& path, std::unique_ptr<SqliteFile>* file);
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  // Runs one or more statements without results.
  Status Execute(std::string_view sql);
  Status Prepare(std::string_view sql, std::unique_ptr<SqliteStatement>* statement);
  // Closes the file; Status tells whether everything reached it.
  Status Close();

  Status Failure(std::string_view what) const;

 private:
  SqliteFile(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}

  sqlite3* db_;
  std::string path_;
};

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_SQLITE_FILE_H_
