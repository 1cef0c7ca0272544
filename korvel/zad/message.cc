// A message: its properties, its sender, its subject and its audio.
#include <sqlite3.h>

#include "korvel/zad/objects.h"
#include "korvel/zad/property_value.h"

namespace korvel::zad {

namespace {

constexpr PropertyColumn kMessageProperties[] = {
    {QOP_DELIVERY_TIME, "DeliveryTime"},
    {QOP_HAS_UNKNOWN_SENDER, "HasUnknownSender"},
    {QOP_SENDER_ADDRESS_TYPE, "SenderAddressType"},
    {QOP_SENDER_EMAIL_ADDRESS, "SenderEmailAddress"},
    {QOP_IMPORTANCE, "Importance"},
    {QOP_SENSITIVITY, "Sensitivity"},
    {QOP_SEARCH_FOLDER, "Folder"},
    {QOP_MESSAGE_ID, "MessageID"},
};

class Message final : public ComObject<IQoZadMessage> {
 public:
  Message(std::shared_ptr<Store> store, std::int64_t id) : store_(std::move(store)), id_(id) {}

  HRESULT GetMany(VARIANT* tags, VARIANT* values) override {
    if (values != nullptr) VariantInit(values);
    if (HRESULT fault = store_->FaultFor("GetMany", id_); FAILED(fault)) return fault;
    return GetManyFromRow(*store_, "Message", "MessageID", id_, kMessageProperties, tags, values);
  }

  HRESULT get_Sender(IQoZadMailUser** sender) override {
    if (sender == nullptr) return E_POINTER;
    *sender = nullptr;
    if (HRESULT fault = store_->FaultFor("get_Sender", id_); FAILED(fault)) return fault;
    Statement statement;
    HRESULT hr = store_->QueryRow(
        "SELECT MailUserID FROM Message JOIN MailUser ON MailUserID = SenderID WHERE MessageID = ?1", id_,
        &statement);
    if (FAILED(hr)) return hr;
    return NewMailUser(store_, sqlite3_column_int64(statement.get(), 0), sender);
  }

  HRESULT get_Subject(BSTR* subject) override {
    if (subject == nullptr) return E_POINTER;
    *subject = nullptr;
    if (HRESULT fault = store_->FaultFor("get_Subject", id_); FAILED(fault)) return fault;
    Statement statement;
    HRESULT hr = store_->QueryRow("SELECT Subject FROM Message WHERE MessageID = ?1", id_, &statement);
    if (FAILED(hr)) return hr;
    return ColumnToBstr(statement.get(), 0, subject);
  }

  HRESULT get_AllAudioStreams(IQoZadAudioList** streams) override {
    if (streams == nullptr) return E_POINTER;
    *streams = nullptr;
    if (HRESULT fault = store_->FaultFor("get_AllAudioStreams", id_); FAILED(fault)) return fault;
    return NewAudioList(store_, id_, streams);
  }

 private:
  std::shared_ptr<Store> store_;
  const std::int64_t id_;
};

}  // namespace

HRESULT NewMessage(std::shared_ptr<Store> store, std::int64_t message_id, IQoZadMessage** message) {
  return HandOut<Message>(message, std::move(store), message_id);
}

}  // namespace korvel::zad
