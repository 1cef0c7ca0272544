#include "korvel/sample/sqlite_file.h"

#include <filesystem>
#include <system_error>

namespace korvel_sample {

SqliteStatement::SqliteStatement(sqlite3_stmt* statement, const SqliteFile& file)
    : statement_(statement), file_(file) {}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

void SqliteStatement::Check(int result) {
  if (result != SQLITE_OK && bind_error_ == SQLITE_OK) bind_error_ = result;
}

void SqliteStatement::Bind(int index, const OptionalText& value) {
  Check(value ? sqlite3_bind_text(statement_, index, value->data(),
                                  static_cast<int>(value->size()), SQLITE_TRANSIENT)
              : sqlite3_bind_null(statement_, index));
}

void SqliteStatement::Bind(int index, const OptionalInt& value) {
  Check(value ? sqlite3_bind_int64(statement_, index, *value) : sqlite3_bind_null(statement_, index));
}

void SqliteStatement::Bind(int index, const std::optional<double>& value) {
  Check(value ? sqlite3_bind_double(statement_, index, *value)
              : sqlite3_bind_null(statement_, index));
}

void SqliteStatement::BindBlob(int index, std::string_view bytes) {
  Check(sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT));
}

Status SqliteStatement::Run() {
  int result = bind_error_;
  if (result == SQLITE_OK) {
    while ((result = sqlite3_step(statement_)) == SQLITE_ROW) {
    }
    if (result == SQLITE_DONE) result = SQLITE_OK;
  }
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  bind_error_ = SQLITE_OK;
  if (result != SQLITE_OK) {
    return file_.Failure(std::string("cannot store a row (") + sqlite3_errstr(result) + ")");
  }
  return Status::Ok();
}

Status SqliteFile::Create(const std::string& path, std::unique_ptr<SqliteFile>* file) {
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
    return Status::Error(path + ": already exists");
  }
  sqlite3* db = nullptr;
  const int result =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (result != SQLITE_OK) {
    std::string message = path + ": cannot create the database (" +
                          (db ? sqlite3_errmsg(db) : sqlite3_errstr(result)) + ")";
    sqlite3_close(db);
    return Status::Error(message);
  }
  file->reset(new SqliteFile(db, path));
  // A fresh file that is thrown away on failure needs no crash safety.
  return (*file)->Execute("PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;");
}

SqliteFile::~SqliteFile() { sqlite3_close(db_); }

Status SqliteFile::Failure(std::string_view what) const {
  return Status::Error(path_ + ": " + std::string(what));
}

Status SqliteFile::Execute(std::string_view sql) {
  char* message = nullptr;
  const std::string text(sql);
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    Status status = Failure(message ? message : sqlite3_errmsg(db_));
    sqlite3_free(message);
    return status;
  }
  return Status::Ok();
}

Status SqliteFile::Prepare(std::string_view sql, std::unique_ptr<SqliteStatement>* statement) {
  sqlite3_stmt* prepared = nullptr;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &prepared, nullptr) !=
      SQLITE_OK) {
    return Failure(sqlite3_errmsg(db_));
  }
  statement->reset(new SqliteStatement(prepared, *this));
  return Status::Ok();
}

Status SqliteFile::Close() {
  const int result = sqlite3_close(db_);
  if (result != SQLITE_OK) return Failure(std::string("cannot close: ") + sqlite3_errstr(result));
  db_ = nullptr;
  return Status::Ok();
}

}  // namespace korvel_sample
