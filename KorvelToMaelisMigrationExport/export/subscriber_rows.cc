#include "KorvelToMaelisMigrationExport/export/subscriber_rows.h"

#include <cmath>
#include <utility>

#include "KorvelToMaelisMigrationExport/export/directory_queries.h"
#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/voice_names.h"

namespace export_engine {
namespace {

constexpr int kAlternateExtensionFields = 9;

Status MissingColumn(QStringView column, QStringView query) {
  return Status::Failure(
      QStringLiteral("Column %1 cannot be found in the result of %2").arg(column.toString(), query.toString()),
      QString::fromLatin1(kProgramSource), error_number::kItemNotFound);
}

Status TypeMismatch() {
  return Status::Failure(QStringLiteral("Type mismatch"), QString::fromLatin1(kProgramSource),
                         error_number::kTypeMismatch);
}

// A stored number as plain decimal text; none when the text is no number.
std::optional<QString> AsDecimalNumber(QStringView text) {
  const QStringView trimmed = text.trimmed();
  bool ok = false;
  const qlonglong whole = trimmed.toLongLong(&ok);
  if (ok) return QString::number(whole);
  const double number = trimmed.toDouble(&ok);
  if (ok && std::isfinite(number)) return QString::number(number, 'g', 15);
  return std::nullopt;
}

// A stored truth value: a number (non-zero is true) or the words true/false.
std::optional<bool> AsBoolean(QStringView text) {
  const QStringView trimmed = text.trimmed();
  bool ok = false;
  const double number = trimmed.toDouble(&ok);
  if (ok) return number != 0;
  if (trimmed.compare(u"true", Qt::CaseInsensitive) == 0) return true;
  if (trimmed.compare(u"false", Qt::CaseInsensitive) == 0) return false;
  return std::nullopt;
}

}  // namespace

bool IsSkipLine(QStringView line) {
  for (const char16_t* skip : kSkipLines) {
    if (line == QStringView(skip)) return true;
  }
  return false;
}

SubscriberRows::SubscriberRows(TableCache& tables, std::vector<DataItem> ticked_items, QString root_path,
                               QString output_folder, ExportLog& log, RowSink& sink)
    : tables_(tables),
      ticked_items_(std::move(ticked_items)),
      root_path_(std::move(root_path)),
      output_folder_(std::move(output_folder)),
      log_(log),
      sink_(sink) {
  const RecordTable& subscribers = tables_.subscribers();
  const QStringView subscriber_query = directory_query::kSubscribers;
  subscriber_alias_ = FindColumn(subscribers, u"alias", subscriber_query);
  subscriber_call_handler_ = FindColumn(subscribers, u"CallHandlerObjectID", subscriber_query);
  subscriber_cos_ = FindColumn(subscribers, u"COSObjectID", subscriber_query);
  subscriber_location_ = FindColumn(subscribers, u"LocationObjectID", subscriber_query);
  subscriber_id_ = FindColumn(subscribers, u"SubscriberObjectID", subscriber_query);
  first_name_ = FindColumn(subscribers, u"FirstName", subscriber_query);
  last_name_ = FindColumn(subscribers, u"LastName", subscriber_query);
  display_name_ = FindColumn(subscribers, u"DisplayName", subscriber_query);
  password_ = FindColumn(subscribers, u"PWDTMF", subscriber_query);
  billing_id_ = FindColumn(subscribers, u"BillingID", subscriber_query);
  language_ = FindColumn(subscribers, u"Language", subscriber_query);
  list_in_directory_ = FindColumn(subscribers, u"ListInDirectory", subscriber_query);
  subscriber_extension_ = FindColumn(subscribers, u"DTMFAccessID", subscriber_query);
  stream_path_ = FindColumn(subscribers, u"StreamPath", subscriber_query);
  call_handler_id_ = FindColumn(tables_.call_handlers(), u"CallHandlerObjectID", directory_query::kCallHandlers);
  call_handler_extension_ = FindColumn(tables_.call_handlers(), u"DTMFAccessID", directory_query::kCallHandlers);
  cos_id_ = FindColumn(tables_.classes_of_service(), u"COSOBjectID", directory_query::kClassesOfService);
  location_id_ = FindColumn(tables_.locations(), u"LocationObjectID", directory_query::kLocations);

  // All three from one state of the directory.
  tables_.database().BeginReadGroup();
  alternate_extensions_ = ReadChildTable(directory_query::kAlternateExtensions);
  mwi_devices_ = ReadChildTable(directory_query::kPrimaryMwiDevices);
  contact_rules_ = ReadChildTable(directory_query::kAlternateContactRules);
  tables_.database().EndReadGroup();
}

SubscriberRows::ChildTable SubscriberRows::ReadChildTable(QStringView query) {
  ChildTable table;
  table.status = tables_.database().Select(query, {}, &table.rows);
  if (!table.status.ok()) return table;
  table.parent = table.rows.ColumnIndex(u"ParentObjectID");
  if (!table.parent) {
    table.status = MissingColumn(u"ParentObjectID", query);
    table.rows.Reset({});
    return table;
  }
  table.rows.BuildIndex(*table.parent);
  return table;
}

void SubscriberRows::FindChildRows(const ChildTable& table, const QString& parent_id, std::vector<std::size_t>* rows) {
  rows->clear();
  for (std::optional<std::size_t> row = table.rows.FindFirst(*table.parent, parent_id); row;
       row = table.rows.FindNext(*table.parent, *row)) {
    rows->push_back(*row);
  }
}

SubscriberRows::Column SubscriberRows::FindColumn(const RecordTable& table, QStringView name, QStringView query) {
  return {name, query, table.ColumnIndex(name)};
}

void SubscriberRows::LogFailure(const Status& failure) { log_.WriteLogLine(failure.RunLogLine()); }

void SubscriberRows::LogMissingColumn(const Column& column) { LogFailure(MissingColumn(column.name, column.query)); }

QString SubscriberRows::Value(const RecordTable& table, std::size_t row, const Column& column) {
  if (!column.index) {
    LogMissingColumn(column);
    return QString();
  }
  return table.Text(row, *column.index).toString();
}

QString SubscriberRows::Value(const RecordTable& table, std::size_t row, QStringView column, QStringView query) {
  return Value(table, row, FindColumn(table, column, query));
}

std::optional<QString> SubscriberRows::Alias(std::size_t row) {
  const RecordTable& subscribers = tables_.subscribers();
  if (!subscriber_alias_.index) {
    LogMissingColumn(subscriber_alias_);
    return std::nullopt;
  }
  if (subscribers.IsNull(row, *subscriber_alias_.index)) return std::nullopt;
  return subscribers.Text(row, *subscriber_alias_.index).toString();
}

std::optional<std::size_t> SubscriberRows::Find(const RecordTable& table, const Column& column, const QString& id) {
  if (!column.index) {
    // A search on a column the table lacks finds nothing.
    LogMissingColumn(column);
    return std::nullopt;
  }
  return table.FindFirst(*column.index, id);
}

void SubscriberRows::Export(std::size_t row) {
  const RecordTable& subscribers = tables_.subscribers();

  // A null alias cannot form the "Alias=" line; that is no failure.
  const std::optional<QString> alias = Alias(row);
  if (alias) log_.WriteLogLine(QStringLiteral("\r\nAlias=") + *alias);
  if (alias && alias->compare(u"EAdmin", Qt::CaseInsensitive) == 0) {
    log_.WriteLogLine(kSkipLines[0]);
    return;
  }

  line_.clear();
  const std::optional<std::size_t> call_handler =
      Find(tables_.call_handlers(), call_handler_id_, Value(subscribers, row, subscriber_call_handler_));
  if (!call_handler) {
    log_.WriteLogLine(kSkipLines[1]);
    return;
  }
  if (!Find(tables_.classes_of_service(), cos_id_, Value(subscribers, row, subscriber_cos_))) {
    log_.WriteLogLine(kSkipLines[2]);
    return;
  }
  if (!Find(tables_.locations(), location_id_, Value(subscribers, row, subscriber_location_))) {
    log_.WriteLogLine(kSkipLines[3]);
    return;
  }

  contact_rule_rows_.reset();
  for (DataItem item : ticked_items_) {
    AppendItemValue(item, row, *call_handler);
    AlternateContactRuleStep(item, *call_handler);
    if (item == DataItem::kVoiceName) AppendVoiceName(row);
  }
  EndCsvLine(line_);
  const Status written = sink_.WriteRow(line_);
  if (!written.ok()) LogFailure(written);
}

void SubscriberRows::AppendItemValue(DataItem item, std::size_t row, std::size_t call_handler_row) {
  const RecordTable& subscribers = tables_.subscribers();
  switch (item) {
    case DataItem::kAlias:
      return Append(Value(subscribers, row, subscriber_alias_));
    case DataItem::kFirstName:
      return Append(Value(subscribers, row, first_name_));
    case DataItem::kLastName:
      return Append(Value(subscribers, row, last_name_));
    case DataItem::kDisplayName:
      return Append(Value(subscribers, row, display_name_));
    case DataItem::kEncryptedPassword:
      return Append(Value(subscribers, row, password_));
    case DataItem::kPrimaryExtension:
      return Append(Value(tables_.call_handlers(), call_handler_row, call_handler_extension_));
    case DataItem::kAllAlternateExtensions:
      return AppendAlternateExtensions(row);
    case DataItem::kPrimaryMwiString:
      return AppendPrimaryMwiString(row);
    case DataItem::kBillingId:
      return Append(Value(subscribers, row, billing_id_));
    case DataItem::kLanguage:
      return AppendLanguage(row);
    case DataItem::kListInDirectory:
      return AppendListInDirectory(row);
    case DataItem::kTransferAction:
    case DataItem::kTransferType:
    case DataItem::kTransferNumber:
    case DataItem::kRingsToWait:
    case DataItem::kVoiceName:
      return;  // from the contact rule and voice-name steps
  }
}

void SubscriberRows::AppendAlternateExtensions(std::size_t row) {
  const QString subscriber = Value(tables_.subscribers(), row, subscriber_id_);
  const RecordTable& extensions = alternate_extensions_.rows;
  std::size_t count = 0;
  if (!alternate_extensions_.status.ok()) {
    LogFailure(alternate_extensions_.status);
  } else if (const std::optional<int> column = extensions.ColumnIndex(u"DTMFAccessID"); !column) {
    LogFailure(MissingColumn(u"DTMFAccessID", directory_query::kAlternateExtensions));
  } else {
    FindChildRows(alternate_extensions_, subscriber, &child_rows_);
    count = child_rows_.size();
    for (std::size_t extension : child_rows_) Append(extensions.Text(extension, *column));
  }
  for (std::size_t i = count; i < kAlternateExtensionFields; ++i) Append(u"");
}

void SubscriberRows::AppendPrimaryMwiString(std::size_t row) {
  const RecordTable& subscribers = tables_.subscribers();
  const QString subscriber = Value(subscribers, row, subscriber_id_);
  if (!mwi_devices_.status.ok()) {
    LogFailure(mwi_devices_.status);
    return Append(u"");
  }
  FindChildRows(mwi_devices_, subscriber, &child_rows_);
  if (child_rows_.size() != 1) {
    Append(u"");
    log_.WriteLogLine(
        u"(error) search for primary MWI device for this subscriber did not return a single row as expected");
    return;
  }
  const RecordTable& devices = mwi_devices_.rows;
  const std::optional<int> mwi = devices.ColumnIndex(u"MWIExtension");
  if (!mwi) {
    LogFailure(MissingColumn(u"MWIExtension", directory_query::kPrimaryMwiDevices));
    return Append(u"");
  }
  if (!subscriber_extension_.index) {
    LogMissingColumn(subscriber_extension_);
    return Append(u"");
  }
  QString value = devices.Text(child_rows_.front(), *mwi).toString();
  value.replace(QLatin1Char('X'), subscribers.Text(row, *subscriber_extension_.index).toString(),
                Qt::CaseInsensitive);
  Append(value);
}

void SubscriberRows::AppendLanguage(std::size_t row) {
  const QString stored = Value(tables_.subscribers(), row, language_);
  if (stored.isEmpty()) return Append(u"");
  const std::optional<QString> number = AsDecimalNumber(stored);
  if (!number) {
    LogFailure(TypeMismatch());
    return Append(u"");
  }
  Append(*number);
}

void SubscriberRows::AppendListInDirectory(std::size_t row) {
  const RecordTable& subscribers = tables_.subscribers();
  if (!list_in_directory_.index) {
    LogMissingColumn(list_in_directory_);
    return Append(u"");
  }
  if (subscribers.IsNull(row, *list_in_directory_.index)) return Append(u"0");
  const std::optional<bool> listed = AsBoolean(subscribers.Text(row, *list_in_directory_.index));
  if (!listed) {
    LogFailure(TypeMismatch());
    return Append(u"");
  }
  Append(*listed ? u"1" : u"0");
}

// Every ticked entry consults the alternate contact rule, and each one that
// finds no single rule logs it, so the log shows the gap once per entry. The
// rule is looked up once per subscriber: the answer is the same for all its
// entries.
void SubscriberRows::AlternateContactRuleStep(DataItem item, std::size_t call_handler_row) {
  const bool transfer = IsTransferItem(item);
  if (!contact_rules_.status.ok()) {
    LogFailure(contact_rules_.status);
    if (transfer) Append(u"");
    return;
  }
  if (!contact_rule_rows_) {
    contact_rule_rows_.emplace();
    FindChildRows(contact_rules_, Value(tables_.call_handlers(), call_handler_row, call_handler_id_),
                  &*contact_rule_rows_);
  }
  if (contact_rule_rows_->size() != 1) {
    log_.WriteLogLine(u"(error) could not find alternate contact rule for this subscriber.");
    if (transfer) Append(u"");
    return;
  }
  if (transfer) AppendTransferValue(item, contact_rule_rows_->front());
}

void SubscriberRows::AppendTransferValue(DataItem item, std::size_t rule_row) {
  const RecordTable& rules = contact_rules_.rows;
  const QStringView query = directory_query::kAlternateContactRules;
  switch (item) {
    case DataItem::kTransferAction:
      return Append(Value(rules, rule_row, u"Action", query));
    case DataItem::kTransferType: {
      const std::optional<int> column = rules.ColumnIndex(u"TransferType");
      if (column && rules.IsNull(rule_row, *column)) return Append(u"0");
      return Append(Value(rules, rule_row, u"TransferType", query));
    }
    case DataItem::kTransferNumber:
      return Append(Value(rules, rule_row, u"Extension", query));
    case DataItem::kRingsToWait: {
      const QString rings = Value(rules, rule_row, u"TransferRings", query);
      return Append(rings == u"0" ? QStringView(u"1") : QStringView(rings));
    }
    default:
      return;
  }
}

void SubscriberRows::AppendVoiceName(std::size_t row) {
  const std::optional<QString> alias = Alias(row);
  const QString stream_path = Value(tables_.subscribers(), row, stream_path_);
  Status failure;
  const QString file_name =
      ExportVoiceName(alias, stream_path, root_path_, output_folder_, &failure,
                      [this](int recording, const QString& target) { return sink_.CarryVoiceName(recording, target); });
  if (!failure.ok()) LogFailure(failure);
  Append(file_name);
}

}  // namespace export_engine
