#include "KorvelToMaelisMigrationExport/reconcile/message_store_walk.h"

#include "KorvelToMaelisMigrationExport/reconcile/audio_digest.h"
#include "TmMsgExtractor/MailboxHelper.h"
#include "TmMsgExtractor/PropertyRequest.h"
#include "TmMsgExtractor/diagnostics/bstr.h"
#include "TmMsgExtractor/diagnostics/variant.h"
#include "korvel/zad/zad.h"
#include "platform/com/com_ptr.h"
#include "platform/com/runtime.h"

namespace reconcile {
namespace {

QString Failure(const char* step, HRESULT hr) {
  return QStringLiteral("%1 failed with 0x%2")
      .arg(QLatin1StringView(step))
      .arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
}

QString FromBstr(const wchar_t* text) { return text == nullptr ? QString() : QString::fromWCharArray(text); }

class StoreWalk {
 public:
  bool Open(QString* error) {
    korvel::zad::RegisterClasses();
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(hr)) return Fail(error, Failure("starting the component runtime", hr));
    com_started_ = true;
    ComPtr<IQoZadComponent> component;
    if (FAILED(hr = CoCreateInstance(UuidOf<QoZadManager>(), nullptr, CLSCTX_SERVER, UuidOf<IQoZadComponent>(),
                                     component.ReleaseAndGetVoidAddressOf())) ||
        FAILED(hr = component->Initialize(0)) || FAILED(hr = component.As(&manager_)) ||
        FAILED(hr = manager_->CreateZadSession(session_.ReleaseAndGetAddressOf())) ||
        FAILED(hr = session_->Logon())) {
      return Fail(error, Failure("logging in to the message store", hr));
    }
    ComPtr<IQoZadDirectory> directory;
    ComPtr<IQoZadMailUsers> mail_users;
    CVariant is_subscriber;
    is_subscriber = static_cast<SHORT>(1);
    if (FAILED(hr = session_->GetDirectory(0, directory.ReleaseAndGetAddressOf())) ||
        FAILED(hr = directory->get_MailUsers(mail_users.ReleaseAndGetAddressOf())) ||
        FAILED(hr = mail_users->get_Subscribers(subscribers_.ReleaseAndGetAddressOf())) ||
        FAILED(hr = subscribers_->SimpleFilter(QOP_IS_SUBSCRIBER, QO_FILTER_EQUAL, is_subscriber.Get())) ||
        FAILED(hr = subscribers_->get_Count(&count_))) {
      return Fail(error, Failure("listing the store's subscribers", hr));
    }
    return true;
  }

  bool Walk(const std::function<void(StoredMailbox&&)>& visit, QString* error) {
    ComPtr<IUnknown> item;
    HRESULT hr = subscribers_->First(item.ReleaseAndGetAddressOf());
    while (hr == S_OK) {
      StoredMailbox mailbox;
      ComPtr<IQoZadMailUser> mail_user;
      if (const HRESULT as = item.As(&mail_user); FAILED(as)) {
        mailbox.failure = Failure("reading the subscriber", as);
      } else {
        ReadMailbox(mail_user.Get(), mailbox);
      }
      visit(std::move(mailbox));
      hr = subscribers_->Next(item.ReleaseAndGetAddressOf());
    }
    if (FAILED(hr)) return Fail(error, Failure("walking the store's subscribers", hr));
    return true;
  }

  int count() const { return static_cast<int>(count_); }

  ~StoreWalk() {
    subscribers_.Reset();
    session_.Reset();
    manager_.Reset();
    if (com_started_) CoUninitialize();
  }

 private:
  static bool Fail(QString* error, QString text) {
    *error = std::move(text);
    return false;
  }

  void ReadMailbox(IQoZadMailUser* mail_user, StoredMailbox& mailbox) {
    CBstr display_name;
    if (SUCCEEDED(mail_user->get_DisplayName(display_name.Receive()))) mailbox.display_name = FromBstr(display_name.c_str());
    CPropertyRequest properties({QOP_ALIAS});
    HRESULT hr = mail_user->GetMany(properties.Tags(), properties.ReceiveValues());
    if (SUCCEEDED(hr)) hr = properties.CheckValues();
    if (SUCCEEDED(hr) && properties.Value(0).vt != VT_BSTR) hr = E_FAIL;
    if (FAILED(hr)) {
      mailbox.failure = Failure("reading the alias", hr);
      return;
    }
    mailbox.alias = FromBstr(properties.Value(0).bstrVal);
    CMailboxHelper helper(CBstr(properties.Value(0).bstrVal), CBstr(), CBstr(), 0);

    ComPtr<IQoZadFolder> inbox;
    ComPtr<IQoZadIterator> messages;
    if (FAILED(hr = mail_user->get_Inbox(inbox.ReleaseAndGetAddressOf())) ||
        FAILED(hr = inbox->get_All(messages.ReleaseAndGetAddressOf()))) {
      mailbox.failure = Failure("opening the inbox", hr);
      return;
    }
    for (const LONG folder : {QO_SEARCH_FOLDER_NewVoiceFilter, QO_SEARCH_FOLDER_SavedVoiceFilter}) {
      CVariant filter;
      filter = folder;
      if (FAILED(hr = messages->SetFilter(nullptr)) ||
          FAILED(hr = messages->SimpleFilter(QOP_SEARCH_FOLDER, QO_FILTER_EQUAL, filter.Get()))) {
        mailbox.failure = Failure("choosing a folder", hr);
        return;
      }
      ComPtr<IUnknown> item;
      hr = messages->First(item.ReleaseAndGetAddressOf());
      while (hr == S_OK) {
        StoredMessage message;
        message.saved = folder == QO_SEARCH_FOLDER_SavedVoiceFilter;
        ReadMessage(helper, item, message);
        mailbox.messages.push_back(std::move(message));
        hr = messages->Next(item.ReleaseAndGetAddressOf());
      }
      if (FAILED(hr)) {
        mailbox.failure = Failure("walking the messages", hr);
        return;
      }
    }
  }

  void ReadMessage(CMailboxHelper& helper, ComPtr<IUnknown>& item, StoredMessage& message) {
    CCombinedAudio audio;
    ComPtr<IQoZadMessage> stored;
    HRESULT hr = item.As(&stored);
    if (SUCCEEDED(hr)) hr = helper.ReadOneMsg(stored.Get(), audio);
    if (FAILED(hr)) {
      message.failure = Failure("reading the message", hr);
      return;
    }
    MessageFileAudio joined = DigestOfJoinedAudio(audio);
    message.failure = joined.damage;
    message.digest = std::move(joined.digest);
    message.audio_bytes = joined.audio_bytes;
  }

  ComPtr<IQoZadManager> manager_;
  ComPtr<IQoZadSession> session_;
  ComPtr<IQoZadIterator> subscribers_;
  LONG count_ = 0;
  bool com_started_ = false;
};

}  // namespace

bool WalkMessageStore(const std::function<void(int mailbox_count)>& started,
                      const std::function<void(StoredMailbox&&)>& visit, QString* error) {
  StoreWalk walk;
  if (!walk.Open(error)) return false;
  started(walk.count());
  return walk.Walk(visit, error);
}

}  // namespace reconcile
