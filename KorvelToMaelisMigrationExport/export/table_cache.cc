#include "KorvelToMaelisMigrationExport/export/table_cache.h"

#include "KorvelToMaelisMigrationExport/export/directory_queries.h"
#include "KorvelToMaelisMigrationExport/export/error_numbers.h"

namespace export_engine {

Status TableCache::OpenTable(CachedTable& table, QStringView query, QStringView indexed_column) {
  // A table that is open already stays as it is.
  if (table.open) return Status();
  Status status = database_.Select(query, {}, &table.records);
  if (!status.ok()) return status;
  if (!indexed_column.isEmpty()) {
    const std::optional<int> column = table.records.ColumnIndex(indexed_column);
    if (!column) {
      table.records.Reset({});
      return Status::Failure(QStringLiteral("Column %1 cannot be found in the result of %2")
                                 .arg(indexed_column.toString(), query.toString()),
                             QString::fromLatin1(kProgramSource), error_number::kItemNotFound);
    }
    table.records.BuildIndex(*column);
  }
  table.open = true;
  return Status();
}

bool TableCache::OpenDirectoryTables(const QString& connect) {
  last_failure_ = Status();
  if (!database_.is_open()) last_failure_ = database_.Open(connect);
  if (last_failure_.ok()) last_failure_ = OpenTable(call_handlers_, directory_query::kCallHandlers, u"CallHandlerObjectID");
  if (last_failure_.ok()) last_failure_ = OpenTable(subscribers_, directory_query::kSubscribers, u"SubscriberObjectID");
  if (last_failure_.ok()) last_failure_ = OpenTable(classes_of_service_, directory_query::kClassesOfService, u"");
  if (last_failure_.ok()) last_failure_ = OpenTable(locations_, directory_query::kLocations, u"");
  if (last_failure_.ok()) return true;
  CloseDirectoryTables();
  return false;
}

void TableCache::CloseDirectoryTables() {
  for (CachedTable* table : {&call_handlers_, &subscribers_, &classes_of_service_, &locations_}) {
    table->records.Reset({});
    table->open = false;
  }
  database_.Close();
}

Status CountExportedSubscribers(DirectoryDatabase& database, std::int64_t* count) {
  *count = 0;
  RecordTable result;
  Status status = database.Select(directory_query::kSubscriberCount, {}, &result);
  if (!status.ok()) return status;
  bool is_number = false;
  if (result.row_count() > 0 && result.columns().size() > 0) *count = result.Text(0, 0).toLongLong(&is_number);
  if (!is_number) {
    *count = 0;
    return Status::Failure(QStringLiteral("The subscriber count is not a number"), QString::fromLatin1(kProgramSource),
                           error_number::kTypeMismatch);
  }
  return Status();
}

}  // namespace export_engine
