// The lists of the store: subscribers, the messages of an inbox, and the
// audio attachments of a message. A list reads its entries' ids when First is
// called, so a filter set before First governs the whole walk.
#include <sqlite3.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "korvel/zad/blob_stream.h"
#include "korvel/zad/objects.h"
#include "korvel/zad/property_value.h"
#include "platform/com/stream.h"

namespace korvel::zad {

namespace {

// What tells the subscriber list and a message list apart.
struct ListKind {
  const char* table;
  const char* id_column;
  const char* owner_column;  // null: the list is not one owner's
  QOPROPTAG filter_tag;
  const char* filter_column;
  HRESULT (*make_entry)(std::shared_ptr<Store> store, std::int64_t id, IUnknown** entry);
};

HRESULT MakeMailUserEntry(std::shared_ptr<Store> store, std::int64_t id, IUnknown** entry) {
  IQoZadMailUser* user = nullptr;
  HRESULT hr = NewMailUser(std::move(store), id, &user);
  *entry = user;
  return hr;
}

HRESULT MakeMessageEntry(std::shared_ptr<Store> store, std::int64_t id, IUnknown** entry) {
  IQoZadMessage* message = nullptr;
  HRESULT hr = NewMessage(std::move(store), id, &message);
  *entry = message;
  return hr;
}

constexpr ListKind kSubscribers{"MailUser", "MailUserID", nullptr, QOP_IS_SUBSCRIBER, "IsSubscriber",
                                MakeMailUserEntry};
constexpr ListKind kMessages{"Message", "MessageID", "OwnerID", QOP_SEARCH_FOLDER, "Folder", MakeMessageEntry};

LONG ClampedCount(std::int64_t count) {
  return count > std::numeric_limits<LONG>::max() ? std::numeric_limits<LONG>::max() : static_cast<LONG>(count);
}

// The integer of a filter value, or nothing for a value that is not an integer.
std::optional<std::int64_t> FilterInteger(const VARIANT& value) {
  switch (value.vt) {
    case VT_I2:
      return value.iVal;
    case VT_I4:
      return value.lVal;
    case VT_UI1:
      return value.bVal;
    case VT_BOOL:
      return value.boolVal != 0 ? 1 : 0;
    default:
      return std::nullopt;
  }
}

class EntryList final : public ComObject<IQoZadIterator> {
 public:
  EntryList(std::shared_ptr<Store> store, const ListKind& kind, std::optional<std::int64_t> owner_id)
      : store_(std::move(store)), kind_(kind), owner_id_(owner_id) {}

  HRESULT get_Count(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    if (HRESULT fault = store_->FaultFor("get_Count", owner_id_); FAILED(fault)) return fault;
    Statement statement;
    HRESULT hr = Query("COUNT(*)", "", &statement);
    if (SUCCEEDED(hr)) hr = statement.Step();
    if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
    *count = ClampedCount(sqlite3_column_int64(statement.get(), 0));
    return S_OK;
  }

  HRESULT First(IUnknown** entry) override {
    if (entry == nullptr) return E_POINTER;
    *entry = nullptr;
    ids_.clear();
    started_ = false;
    Statement statement;
    HRESULT hr = Query(kind_.id_column, std::string(" ORDER BY ") + kind_.id_column, &statement);
    while (SUCCEEDED(hr) && (hr = statement.Step()) == S_OK) {
      ids_.push_back(sqlite3_column_int64(statement.get(), 0));
    }
    if (FAILED(hr)) return hr;
    started_ = true;
    position_ = 0;
    return HandOutCurrent("First", entry);
  }

  HRESULT Next(IUnknown** entry) override {
    if (entry == nullptr) return E_POINTER;
    *entry = nullptr;
    if (!started_) return E_UNEXPECTED;
    if (position_ < ids_.size()) ++position_;
    return HandOutCurrent("Next", entry);
  }

  HRESULT SimpleFilter(QOPROPTAG tag, LONG filter_operator, VARIANT* value) override {
    if (HRESULT fault = store_->FaultFor("SimpleFilter", owner_id_); FAILED(fault)) return fault;
    if (value == nullptr) return E_POINTER;
    if (filter_) return E_UNEXPECTED;
    std::optional<std::int64_t> wanted = FilterInteger(*value);
    if (tag != kind_.filter_tag || filter_operator != QO_FILTER_EQUAL || !wanted) return E_INVALIDARG;
    filter_ = wanted;
    return S_OK;
  }

  HRESULT SetFilter(IUnknown* filter) override {
    if (HRESULT fault = store_->FaultFor("SetFilter", owner_id_); FAILED(fault)) return fault;
    if (filter != nullptr) return E_INVALIDARG;
    filter_.reset();
    return S_OK;
  }

 private:
  // SELECT `what` over the entries the list's owner and filter select.
  HRESULT Query(const std::string& what, const std::string& order, Statement* statement) {
    std::string sql = "SELECT " + what + " FROM " + kind_.table + " WHERE 1";
    if (owner_id_) sql += std::string(" AND ") + kind_.owner_column + " = ?1";
    if (filter_) sql += std::string(" AND ") + kind_.filter_column + " = ?2";
    sql += order;
    HRESULT hr = store_->Prepare(sql.c_str(), statement);
    if (SUCCEEDED(hr) && owner_id_) hr = statement->BindInt64(1, *owner_id_);
    if (SUCCEEDED(hr) && filter_) hr = statement->BindInt64(2, *filter_);
    return hr;
  }

  HRESULT HandOutCurrent(const char* method, IUnknown** entry) {
    std::optional<std::int64_t> id;
    if (position_ < ids_.size()) id = ids_[position_];
    if (HRESULT fault = store_->FaultFor(method, id); FAILED(fault)) return fault;
    if (!id) return S_FALSE;
    return kind_.make_entry(store_, *id, entry);
  }

  std::shared_ptr<Store> store_;
  const ListKind& kind_;
  const std::optional<std::int64_t> owner_id_;
  std::optional<std::int64_t> filter_;
  std::vector<std::int64_t> ids_;
  std::size_t position_ = 0;
  bool started_ = false;
};

class AudioItem final : public ComObject<IQoZadListItem> {
 public:
  AudioItem(std::shared_ptr<Store> store, std::int64_t message_id, std::int64_t row_id)
      : store_(std::move(store)), message_id_(message_id), row_id_(row_id) {}

  HRESULT get_Item(VARIANT* item) override {
    if (item == nullptr) return E_POINTER;
    VariantInit(item);
    if (HRESULT fault = store_->FaultFor("get_Item", message_id_); FAILED(fault)) return fault;
    // typeof() reads the type without loading the value: a BLOB's bytes are
    // read later, piece by piece, through the stream.
    Statement type;
    HRESULT hr = store_->QueryRow("SELECT typeof(Data) = 'blob' FROM AudioStream WHERE rowid = ?1", row_id_, &type);
    if (FAILED(hr)) return hr;
    if (sqlite3_column_int(type.get(), 0) == 0) {
      Statement statement;
      hr = store_->QueryRow("SELECT Data FROM AudioStream WHERE rowid = ?1", row_id_, &statement);
      if (FAILED(hr)) return hr;
      return ColumnToVariant(statement.get(), 0, VT_EMPTY, item);
    }
    IStream* stream = nullptr;
    hr = NewAudioBlobStream(store_, row_id_, &stream);
    if (FAILED(hr)) return hr;
    item->vt = VT_UNKNOWN;
    item->punkVal = stream;
    return S_OK;
  }

  HRESULT get_Key(BSTR* key) override {
    if (key == nullptr) return E_POINTER;
    *key = nullptr;
    if (HRESULT fault = store_->FaultFor("get_Key", message_id_); FAILED(fault)) return fault;
    Statement statement;
    HRESULT hr = store_->QueryRow("SELECT Seq FROM AudioStream WHERE rowid = ?1", row_id_, &statement);
    if (FAILED(hr)) return hr;
    return ColumnToBstr(statement.get(), 0, key);
  }

 private:
  std::shared_ptr<Store> store_;
  const std::int64_t message_id_;
  const std::int64_t row_id_;
};

class AudioList final : public ComObject<IQoZadAudioList> {
 public:
  AudioList(std::shared_ptr<Store> store, std::int64_t message_id)
      : store_(std::move(store)), message_id_(message_id) {}

  HRESULT get_Count(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    if (HRESULT fault = store_->FaultFor("get_Count", message_id_); FAILED(fault)) return fault;
    Statement statement;
    HRESULT hr = store_->QueryRow("SELECT COUNT(*) FROM AudioStream WHERE MessageID = ?1", message_id_, &statement);
    if (FAILED(hr)) return hr;
    *count = ClampedCount(sqlite3_column_int64(statement.get(), 0));
    return S_OK;
  }

  HRESULT First(IQoZadListItem** item) override {
    if (item == nullptr) return E_POINTER;
    *item = nullptr;
    row_ids_.clear();
    started_ = false;
    Statement statement;
    HRESULT hr = store_->Prepare("SELECT rowid FROM AudioStream WHERE MessageID = ?1 ORDER BY Seq, rowid",
                                 &statement);
    if (SUCCEEDED(hr)) hr = statement.BindInt64(1, message_id_);
    while (SUCCEEDED(hr) && (hr = statement.Step()) == S_OK) {
      row_ids_.push_back(sqlite3_column_int64(statement.get(), 0));
    }
    if (FAILED(hr)) return hr;
    started_ = true;
    position_ = 0;
    return HandOutCurrent("First", item);
  }

  HRESULT Next(IQoZadListItem** item) override {
    if (item == nullptr) return E_POINTER;
    *item = nullptr;
    if (!started_) return E_UNEXPECTED;
    if (position_ < row_ids_.size()) ++position_;
    return HandOutCurrent("Next", item);
  }

 private:
  HRESULT HandOutCurrent(const char* method, IQoZadListItem** item) {
    if (HRESULT fault = store_->FaultFor(method, message_id_); FAILED(fault)) return fault;
    if (position_ >= row_ids_.size()) return S_FALSE;
    return HandOut<AudioItem>(item, store_, message_id_, row_ids_[position_]);
  }

  std::shared_ptr<Store> store_;
  const std::int64_t message_id_;
  std::vector<std::int64_t> row_ids_;
  std::size_t position_ = 0;
  bool started_ = false;
};

}  // namespace

HRESULT NewSubscriberList(std::shared_ptr<Store> store, IQoZadIterator** list) {
  return HandOut<EntryList>(list, std::move(store), kSubscribers, std::nullopt);
}

HRESULT NewMessageList(std::shared_ptr<Store> store, std::int64_t owner_id, IQoZadIterator** list) {
  return HandOut<EntryList>(list, std::move(store), kMessages, owner_id);
}

HRESULT NewAudioList(std::shared_ptr<Store> store, std::int64_t message_id, IQoZadAudioList** list) {
  return HandOut<AudioList>(list, std::move(store), message_id);
}

}  // namespace korvel::zad
