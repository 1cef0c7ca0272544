// The sixteen data items an administrator can tick, in list order. Each has a
// label from the string table (so it is translated), fixed CSV header names
// and a value rule (subscriber_rows.h). A list entry is tied to its item by
// comparing its text with the item's label as currently loaded, ignoring case.
#ifndef KORVEL_EXPORT_EXPORT_DATA_ITEMS_H_
#define KORVEL_EXPORT_EXPORT_DATA_ITEMS_H_

#include <optional>
#include <span>
#include <vector>

#include <QString>
#include <QStringView>

namespace export_engine {

enum class DataItem {
  kAlias,
  kFirstName,
  kLastName,
  kDisplayName,
  kEncryptedPassword,
  kPrimaryExtension,
  kAllAlternateExtensions,
  kPrimaryMwiString,
  kBillingId,
  kLanguage,
  kListInDirectory,
  kTransferAction,
  kTransferType,
  kTransferNumber,
  kRingsToWait,
  kVoiceName,
};

struct DataItemInfo {
  DataItem item;
  int position;  // 1 to 16, the item's place in the list
  int text_id;   // its label in the string table
  std::span<const char16_t* const> header_names;
  bool required;  // an export without it is refused
};

// All sixteen, in list order.
std::span<const DataItemInfo> DataItemCatalogue();

const DataItemInfo& DataItemInfoOf(DataItem item);

// The item's label in the current language.
QString DataItemLabel(DataItem item);

// The item whose current label equals `label`, ignoring case.
std::optional<DataItem> DataItemForLabel(QStringView label);

// Transfer items take their values from the subscriber's alternate contact rule.
bool IsTransferItem(DataItem item);

// One entry of the data-item list.
struct DataItemEntry {
  QString label;
  bool ticked = false;
};

// The list as the program fills it: every item, in list order, ticked.
std::vector<DataItemEntry> CatalogueEntries();

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_DATA_ITEMS_H_
