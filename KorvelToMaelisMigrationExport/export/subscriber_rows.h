// One subscriber's turn in an export run: its "Alias=" log line, the checks
// that skip it (the administrator account, a missing call handler, class of
// service or location) and, when it is exported, its CSV row assembled value
// by value for the ticked items, with the voice name copied on the way.
#ifndef KORVEL_EXPORT_EXPORT_SUBSCRIBER_ROWS_H_
#define KORVEL_EXPORT_EXPORT_SUBSCRIBER_ROWS_H_

#include <cstddef>
#include <optional>
#include <vector>

#include <QString>
#include <QStringView>

#include "KorvelToMaelisMigrationExport/export/csv_file.h"
#include "KorvelToMaelisMigrationExport/export/data_items.h"
#include "KorvelToMaelisMigrationExport/export/directory_database.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/record_table.h"
#include "KorvelToMaelisMigrationExport/export/status.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"

namespace export_engine {

// The lines that say a subscriber is skipped, one per reason: the
// administrator account, then the missing call handler, class of service and
// location, in the order they are checked.
inline constexpr const char16_t* kSkipLines[] = {
    u"    skipping EAdmin",
    u"(error) can't find primary call handler reference for this subscriber.  Skipping user.",
    u"(error) can't find COS reference for mail user.  Skipping user.",
    u"(error) can't find Location reference for mail user. Skipping user.",
};

// Whether `line` of an export log says its subscriber is skipped.
bool IsSkipLine(QStringView line);

// Where the rows and voice names of a run go: the export's own files, or a
// check that compares or counts them and writes nothing.
class RowSink {
 public:
  virtual ~RowSink() = default;
  // One CSV line, without its line end.
  virtual Status WriteRow(QStringView line) = 0;
  // The subscriber's recording, open for reading as `recording`, for the
  // voice name `target` in the output folder.
  virtual Status CarryVoiceName(int recording, const QString& target) = 0;
};

class SubscriberRows {
 public:
  // `ticked_items` in list order. The tables, database, log and sink
  // outlive this object.
  SubscriberRows(TableCache& tables, std::vector<DataItem> ticked_items, QString root_path, QString output_folder,
                 ExportLog& log, RowSink& sink);

  // Handles the subscriber in row `row` of the cached subscriber table.
  void Export(std::size_t row);

 private:
  // A column of a cached table, found once per run.
  struct Column {
    QStringView name;
    QStringView query;  // the query the table was read with
    std::optional<int> index;
  };
  // A table read whole once per run, whose rows belong to the object named
  // in their ParentObjectID. A failed read is reported at every subscriber,
  // as a failed query about that subscriber would be.
  struct ChildTable {
    Status status;
    RecordTable rows;
    std::optional<int> parent;  // the ParentObjectID column, indexed
  };

  static Column FindColumn(const RecordTable& table, QStringView name, QStringView query);

  // A value read as text: a null reads as empty; a missing column is logged
  // as a failure and reads as empty too.
  QString Value(const RecordTable& table, std::size_t row, const Column& column);
  QString Value(const RecordTable& table, std::size_t row, QStringView column, QStringView query);

  // The row of `table` whose `column` holds `id`, searched from the top.
  std::optional<std::size_t> Find(const RecordTable& table, const Column& column, const QString& id);

  ChildTable ReadChildTable(QStringView query);
  // The rows of `table`, read without failure, that belong to `parent_id`,
  // in table order.
  static void FindChildRows(const ChildTable& table, const QString& parent_id, std::vector<std::size_t>* rows);

  void LogFailure(const Status& failure);
  void LogMissingColumn(const Column& column);
  // The subscriber's alias; none when it is null or cannot be read.
  std::optional<QString> Alias(std::size_t row);
  void Append(QStringView value) { AppendCsvField(line_, value); }

  void AppendItemValue(DataItem item, std::size_t row, std::size_t call_handler_row);
  void AppendAlternateExtensions(std::size_t row);
  void AppendPrimaryMwiString(std::size_t row);
  void AppendLanguage(std::size_t row);
  void AppendListInDirectory(std::size_t row);
  void AlternateContactRuleStep(DataItem item, std::size_t call_handler_row);
  void AppendTransferValue(DataItem item, std::size_t rule_row);
  void AppendVoiceName(std::size_t row);

  TableCache& tables_;
  std::vector<DataItem> ticked_items_;
  QString root_path_;
  QString output_folder_;
  ExportLog& log_;
  RowSink& sink_;

  Column subscriber_alias_, subscriber_call_handler_, subscriber_cos_, subscriber_location_, subscriber_id_,
      first_name_, last_name_, display_name_, password_, billing_id_, language_, list_in_directory_,
      subscriber_extension_, stream_path_;
  Column call_handler_id_, call_handler_extension_, cos_id_, location_id_;

  ChildTable alternate_extensions_, mwi_devices_, contact_rules_;

  QString line_;
  std::vector<std::size_t> child_rows_;
  // The subscriber's alternate contact rules, found at its first ticked item.
  std::optional<std::vector<std::size_t>> contact_rule_rows_;
};

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_SUBSCRIBER_ROWS_H_
