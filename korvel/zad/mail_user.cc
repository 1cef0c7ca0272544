// A mail user and its inbox.
#include <sqlite3.h>

#include "korvel/zad/objects.h"
#include "korvel/zad/property_value.h"

namespace korvel::zad {

namespace {

constexpr PropertyColumn kMailUserProperties[] = {
    {QOP_ALIAS, "Alias"},
    {QOP_IS_SUBSCRIBER, "IsSubscriber"},
};

class Inbox final : public ComObject<IQoZadFolder> {
 public:
  Inbox(std::shared_ptr<Store> store, std::int64_t owner_id) : store_(std::move(store)), owner_id_(owner_id) {}

  HRESULT get_All(IQoZadIterator** messages) override {
    if (messages == nullptr) return E_POINTER;
    *messages = nullptr;
    if (HRESULT fault = store_->FaultFor("get_All", owner_id_); FAILED(fault)) return fault;
    return NewMessageList(store_, owner_id_, messages);
  }

 private:
  std::shared_ptr<Store> store_;
  const std::int64_t owner_id_;
};

class MailUser final : public ComObject<IQoZadMailUser> {
 public:
  MailUser(std::shared_ptr<Store> store, std::int64_t id) : store_(std::move(store)), id_(id) {}

  HRESULT GetMany(VARIANT* tags, VARIANT* values) override {
    if (values != nullptr) VariantInit(values);
    if (HRESULT fault = store_->FaultFor("GetMany", id_); FAILED(fault)) return fault;
    return GetManyFromRow(*store_, "MailUser", "MailUserID", id_, kMailUserProperties, tags, values);
  }

  HRESULT get_Inbox(IQoZadFolder** inbox) override {
    if (inbox == nullptr) return E_POINTER;
    *inbox = nullptr;
    if (HRESULT fault = store_->FaultFor("get_Inbox", id_); FAILED(fault)) return fault;
    return HandOut<Inbox>(inbox, store_, id_);
  }

  HRESULT get_DisplayName(BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    if (HRESULT fault = store_->FaultFor("get_DisplayName", id_); FAILED(fault)) return fault;
    Statement statement;
    HRESULT hr = store_->QueryRow("SELECT DisplayName FROM MailUser WHERE MailUserID = ?1", id_, &statement);
    if (FAILED(hr)) return hr;
    return ColumnToBstr(statement.get(), 0, name);
  }

 private:
  std::shared_ptr<Store> store_;
  const std::int64_t id_;
};

}  // namespace

HRESULT NewMailUser(std::shared_ptr<Store> store, std::int64_t mail_user_id, IQoZadMailUser** user) {
  return HandOut<MailUser>(user, std::move(store), mail_user_id);
}

}  // namespace korvel::zad
