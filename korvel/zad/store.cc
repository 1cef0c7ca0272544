#include "korvel/zad/store.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "korvel/zad/zad.h"

namespace korvel::zad {

namespace {

// Every column the objects read: a file that cannot answer these is no store.
constexpr const char* kSchemaChecks[] = {
    "SELECT MailUserID, Alias, DisplayName, IsSubscriber FROM MailUser",
    ("SELECT MessageID, OwnerID, Folder, DeliveryTime, HasUnknownSender, SenderID, SenderAddressType, "
     "SenderEmailAddress, Importance, Sensitivity, Subject FROM Message"),
    "SELECT rowid, MessageID, Seq, Data FROM AudioStream",
};

// A stored HResult as the 32-bit code it stands for, read as signed or as
// unsigned; nothing for a value that is neither.
std::optional<HRESULT> StoredHresult(sqlite3_stmt* row, int column) {
  if (sqlite3_column_type(row, column) != SQLITE_INTEGER) return std::nullopt;
  std::int64_t value = sqlite3_column_int64(row, column);
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<HRESULT>(static_cast<std::uint32_t>(value));
}

}  // namespace

Statement::~Statement() { sqlite3_finalize(statement_); }

HRESULT Statement::BindInt64(int index, std::int64_t value) {
  return HresultFromSqlite(sqlite3_bind_int64(statement_, index, value));
}

HRESULT Statement::Step() {
  int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) return S_OK;
  if (code == SQLITE_DONE) return S_FALSE;
  return HresultFromSqlite(code);
}

HRESULT HresultFromSqlite(int code) {
  switch (code & 0xFF) {
    case SQLITE_OK:
      return S_OK;
    case SQLITE_NOMEM:
      return E_OUTOFMEMORY;
    default:
      return E_FAIL;
  }
}

HRESULT Store::Open(const std::string& path, std::shared_ptr<Store>* store, std::string* failure) {
  const std::string named = "message store " + path + ": ";
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    *failure = named + std::strerror(errno);
    return QO_E_LOGON_FAILED;
  }
  if (!S_ISREG(info.st_mode)) {
    *failure = named + "not a regular file";
    return QO_E_LOGON_FAILED;
  }
  sqlite3* db = nullptr;
  // Without SQLITE_OPEN_CREATE a missing file stays missing, and without
  // SQLITE_OPEN_URI the path is taken as it is.
  int code = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  if (code != SQLITE_OK) {
    *failure = named + sqlite3_errmsg(db);
    sqlite3_close(db);
    return QO_E_LOGON_FAILED;
  }
  std::shared_ptr<Store> opened;
  try {
    opened.reset(new Store(db));
  } catch (const std::bad_alloc&) {
    sqlite3_close(db);
    return E_OUTOFMEMORY;
  }
  if (!opened->HasStoreSchema()) {
    *failure = named + "not a message store (" + sqlite3_errmsg(db) + ")";
    return QO_E_LOGON_FAILED;
  }
  if (!opened->LoadFaults()) {
    *failure = named + "its Fault table cannot be read (" + sqlite3_errmsg(db) + ")";
    return QO_E_LOGON_FAILED;
  }
  *store = std::move(opened);
  return S_OK;
}

Store::~Store() { sqlite3_close(db_); }

HRESULT Store::OpenBlob(const char* table, const char* column, std::int64_t rowid, sqlite3_blob** blob) {
  *blob = nullptr;
  const int code = sqlite3_blob_open(db_, "main", table, column, rowid, 0, blob);
  if (code == SQLITE_OK) return S_OK;
  sqlite3_blob_close(*blob);
  *blob = nullptr;
  return HresultFromSqlite(code);
}

HRESULT Store::Prepare(const char* sql, Statement* statement) {
  sqlite3_finalize(statement->statement_);
  statement->statement_ = nullptr;
  return HresultFromSqlite(sqlite3_prepare_v2(db_, sql, -1, &statement->statement_, nullptr));
}

HRESULT Store::QueryRow(const char* sql, std::int64_t id, Statement* statement) {
  HRESULT hr = Prepare(sql, statement);
  if (SUCCEEDED(hr)) hr = statement->BindInt64(1, id);
  if (SUCCEEDED(hr)) hr = statement->Step();
  return hr == S_FALSE ? QO_E_NOT_FOUND : hr;
}

bool Store::HasStoreSchema() {
  for (const char* sql : kSchemaChecks) {
    Statement check;
    // Preparing reads the schema: it fails for a file that is not a
    // database and for a missing table or column.
    if (FAILED(Prepare(sql, &check))) return false;
  }
  return true;
}

bool Store::LoadFaults() {
  Statement exists;
  if (FAILED(Prepare("SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND name = 'Fault' "
                     "COLLATE NOCASE",
                     &exists))) {
    return false;
  }
  HRESULT hr = exists.Step();
  if (hr == S_FALSE) return true;
  if (FAILED(hr)) return false;

  Statement rows;
  if (FAILED(Prepare("SELECT Method, ObjectID, HResult FROM Fault", &rows))) return false;
  while ((hr = rows.Step()) == S_OK) {
    sqlite3_stmt* row = rows.get();
    std::optional<HRESULT> result = StoredHresult(row, 2);
    // A row that names no method, no object or no failure cannot fail anything.
    if (sqlite3_column_type(row, 0) != SQLITE_TEXT || !result || SUCCEEDED(*result)) continue;
    const unsigned char* method = sqlite3_column_text(row, 0);
    if (method == nullptr) return false;
    Fault fault;
    fault.method = reinterpret_cast<const char*>(method);
    fault.result = *result;
    int id_type = sqlite3_column_type(row, 1);
    if (id_type == SQLITE_INTEGER) {
      fault.object_id = sqlite3_column_int64(row, 1);
    } else if (id_type != SQLITE_NULL) {
      continue;
    }
    faults_.push_back(std::move(fault));
  }
  return hr == S_FALSE;
}

HRESULT Store::FaultFor(std::string_view method, std::optional<std::int64_t> object_id) const {
  for (const Fault& fault : faults_) {
    if (fault.method != method) continue;
    if (!fault.object_id || fault.object_id == object_id) return fault.result;
  }
  return S_OK;
}

}  // namespace korvel::zad
