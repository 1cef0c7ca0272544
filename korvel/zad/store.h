// The store file behind the Zad objects: one read-only SQLite connection,
// shared by every object that a session hands out, and the store's faults.
#ifndef KORVEL_KORVEL_ZAD_STORE_H_
#define KORVEL_KORVEL_ZAD_STORE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/hresult.h"

struct sqlite3;
struct sqlite3_blob;
struct sqlite3_stmt;

namespace korvel::zad {

// One prepared statement, finalised when it goes.
class Statement {
 public:
  Statement() = default;
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  sqlite3_stmt* get() const { return statement_; }

  HRESULT BindInt64(int index, std::int64_t value);
  // S_OK when a row is ready, S_FALSE when there are no more, else a failure.
  HRESULT Step();

 private:
  friend class Store;
  sqlite3_stmt* statement_ = nullptr;
};

class Store {
 public:
  // Opens the file read-only, never creating it, and checks that it has the
  // store's tables and columns; QO_E_LOGON_FAILED otherwise, with `failure`
  // naming the file and the cause. Anything but a regular file (a pipe would
  // block the open for ever) is refused.
  static HRESULT Open(const std::string& path, std::shared_ptr<Store>* store, std::string* failure);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  HRESULT Prepare(const char* sql, Statement* statement);

  // Runs `sql` with `id` bound to ?1 and stops at its first row:
  // S_OK with the row ready, QO_E_NOT_FOUND when there is none.
  HRESULT QueryRow(const char* sql, std::int64_t id, Statement* statement);

  // A read-only handle on the BLOB in `column` of row `rowid` of `table`,
  // for reading it in pieces; the caller closes it.
  HRESULT OpenBlob(const char* table, const char* column, std::int64_t rowid, sqlite3_blob** blob);

  // The failure a Fault row sets for `method` on the object with `object_id`
  // (no id: only rows for every object apply); S_OK when there is none.
  HRESULT FaultFor(std::string_view method, std::optional<std::int64_t> object_id) const;

 private:
  struct Fault {
    std::string method;
    std::optional<std::int64_t> object_id;
    HRESULT result;
  };

  explicit Store(sqlite3* db) : db_(db) {}
  bool HasStoreSchema();
  bool LoadFaults();

  sqlite3* db_;
  std::vector<Fault> faults_;
};

// The HRESULT of an SQLite result code.
HRESULT HresultFromSqlite(int code);

}  // namespace korvel::zad

#endif  // KORVEL_KORVEL_ZAD_STORE_H_
