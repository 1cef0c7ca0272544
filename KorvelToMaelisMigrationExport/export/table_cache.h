// The four directory tables, read once at start-up and kept for the life of
// the program: the export walks the subscribers and finds each one's call
// handler, class of service and location among the others by object id. The
// export therefore sees the directory as it was when the program started.
#ifndef KORVEL_EXPORT_EXPORT_TABLE_CACHE_H_
#define KORVEL_EXPORT_EXPORT_TABLE_CACHE_H_

#include <cstdint>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/directory_database.h"
#include "KorvelToMaelisMigrationExport/export/record_table.h"
#include "KorvelToMaelisMigrationExport/export/status.h"

namespace export_engine {

class TableCache {
 public:
  // Connects with `connect` and opens the tables that are not open yet, in
  // their fixed order. A table already open is kept as it is, so a second
  // call changes nothing. Any failure closes everything and gives false;
  // last_failure() then says what went wrong.
  bool OpenDirectoryTables(const QString& connect);

  // Closes the tables and the connection; closing what is not open is no fault.
  void CloseDirectoryTables();

  const Status& last_failure() const { return last_failure_; }

  // The connection the tables were read over, for the run's direct queries
  // and the start-up's subscriber count.
  DirectoryDatabase& database() { return database_; }

  const RecordTable& call_handlers() const { return call_handlers_.records; }
  const RecordTable& subscribers() const { return subscribers_.records; }
  const RecordTable& classes_of_service() const { return classes_of_service_.records; }
  const RecordTable& locations() const { return locations_.records; }

 private:
  struct CachedTable {
    RecordTable records;
    bool open = false;
  };

  Status OpenTable(CachedTable& table, QStringView query, QStringView indexed_column);

  DirectoryDatabase database_;
  CachedTable call_handlers_;
  CachedTable subscribers_;
  CachedTable classes_of_service_;
  CachedTable locations_;
  Status last_failure_;
};

// Runs the start-up's count of the subscribers the export will walk.
Status CountExportedSubscribers(DirectoryDatabase& database, std::int64_t* count);

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_TABLE_CACHE_H_
