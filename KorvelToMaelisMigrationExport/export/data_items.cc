#include "KorvelToMaelisMigrationExport/export/data_items.h"

#include <iterator>

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

namespace export_engine {
namespace {

constexpr const char16_t* kAliasHeaders[] = {u"Alias"};
constexpr const char16_t* kFirstNameHeaders[] = {u"FirstName"};
constexpr const char16_t* kLastNameHeaders[] = {u"LastName"};
constexpr const char16_t* kDisplayNameHeaders[] = {u"DisplayName"};
constexpr const char16_t* kPasswordHeaders[] = {u"VoiceMailPasswordHash"};
constexpr const char16_t* kExtensionHeaders[] = {u"Extension"};
constexpr const char16_t* kAlternateHeaders[] = {u"Extension_ALT1", u"Extension_ALT2", u"Extension_ALT3",
                                                 u"Extension_ALT4", u"Extension_ALT5", u"Extension_ALT6",
                                                 u"Extension_ALT7", u"Extension_ALT8", u"Extension_ALT9"};
constexpr const char16_t* kMwiHeaders[] = {u"MWIExtension"};
constexpr const char16_t* kBillingHeaders[] = {u"BillingID"};
constexpr const char16_t* kLanguageHeaders[] = {u"Language"};
constexpr const char16_t* kDirectoryHeaders[] = {u"ListInDirectory"};
constexpr const char16_t* kActionHeaders[] = {u"TransferAction"};
constexpr const char16_t* kTypeHeaders[] = {u"TransferType"};
constexpr const char16_t* kNumberHeaders[] = {u"TransferExtension"};
constexpr const char16_t* kRingsHeaders[] = {u"TransferRings"};
constexpr const char16_t* kVoiceNameHeaders[] = {u"VoiceName"};

constexpr DataItemInfo kCatalogue[] = {
    {DataItem::kAlias, 1, 3, kAliasHeaders, true},
    {DataItem::kFirstName, 2, 23, kFirstNameHeaders, true},
    {DataItem::kLastName, 3, 28, kLastNameHeaders, true},
    {DataItem::kDisplayName, 4, 17, kDisplayNameHeaders, false},
    {DataItem::kEncryptedPassword, 5, 127, kPasswordHeaders, false},
    {DataItem::kPrimaryExtension, 6, 40, kExtensionHeaders, true},
    {DataItem::kAllAlternateExtensions, 7, 4, kAlternateHeaders, false},
    {DataItem::kPrimaryMwiString, 8, 42, kMwiHeaders, false},
    {DataItem::kBillingId, 9, 7, kBillingHeaders, false},
    {DataItem::kLanguage, 10, 27, kLanguageHeaders, false},
    {DataItem::kListInDirectory, 11, 30, kDirectoryHeaders, false},
    {DataItem::kTransferAction, 12, 130, kActionHeaders, false},
    {DataItem::kTransferType, 13, 60, kTypeHeaders, false},
    {DataItem::kTransferNumber, 14, 59, kNumberHeaders, false},
    {DataItem::kRingsToWait, 15, 44, kRingsHeaders, false},
    {DataItem::kVoiceName, 16, 68, kVoiceNameHeaders, false},
};

static_assert(std::size(kCatalogue) == 16);

}  // namespace

std::span<const DataItemInfo> DataItemCatalogue() { return kCatalogue; }

const DataItemInfo& DataItemInfoOf(DataItem item) { return kCatalogue[static_cast<int>(item)]; }

QString DataItemLabel(DataItem item) { return localisation::myLoadResString(DataItemInfoOf(item).text_id); }

std::optional<DataItem> DataItemForLabel(QStringView label) {
  for (const DataItemInfo& info : kCatalogue) {
    if (label.compare(DataItemLabel(info.item), Qt::CaseInsensitive) == 0) return info.item;
  }
  return std::nullopt;
}

bool IsTransferItem(DataItem item) {
  return item == DataItem::kTransferAction || item == DataItem::kTransferType || item == DataItem::kTransferNumber ||
         item == DataItem::kRingsToWait;
}

std::vector<DataItemEntry> CatalogueEntries() {
  std::vector<DataItemEntry> entries;
  for (const DataItemInfo& info : kCatalogue) entries.push_back({DataItemLabel(info.item), true});
  return entries;
}

}  // namespace export_engine
