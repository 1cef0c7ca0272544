// The component, its sessions and the way from a session to the subscriber list.
#include <optional>
#include <string>
#include <vector>

#include "korvel/zad/objects.h"
#include "platform/codepage/codepage.h"
#include "platform/com/runtime.h"
#include "platform/registry/registry.h"

namespace korvel::zad {

namespace {

constexpr wchar_t kStoreKey[] = L"Software\\Halvern\\Zad\\1.0";
constexpr wchar_t kStoreValue[] = L"Message Store";

thread_local std::string last_logon_failure;

constexpr char kNoStoreValue[] =
    "the registry has no \"Message Store\" value under HKEY_LOCAL_MACHINE\\Software\\Halvern\\Zad\\1.0";

// The store file named in the registry; nothing when the value is missing,
// empty or not text.
std::optional<std::wstring> StorePath() {
  HKEY key = nullptr;
  if (const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStoreKey, 0, KEY_READ, &key); status != ERROR_SUCCESS) {
    last_logon_failure = status == ERROR_FILE_NOT_FOUND ? kNoStoreValue : RegistryLastError();
    return std::nullopt;
  }
  std::optional<std::wstring> path;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key, kStoreValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, kStoreValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) ==
        ERROR_SUCCESS) {
      std::wstring value(text.data());  // up to the first terminator
      if (!value.empty()) path = std::move(value);
    }
  }
  RegCloseKey(key);
  if (!path) last_logon_failure = kNoStoreValue;
  return path;
}

class MailUsers final : public ComObject<IQoZadMailUsers> {
 public:
  explicit MailUsers(std::shared_ptr<Store> store) : store_(std::move(store)) {}

  HRESULT get_Subscribers(IQoZadIterator** subscribers) override {
    if (subscribers == nullptr) return E_POINTER;
    *subscribers = nullptr;
    if (HRESULT fault = store_->FaultFor("get_Subscribers", std::nullopt); FAILED(fault)) return fault;
    return NewSubscriberList(store_, subscribers);
  }

 private:
  std::shared_ptr<Store> store_;
};

class Directory final : public ComObject<IQoZadDirectory> {
 public:
  explicit Directory(std::shared_ptr<Store> store) : store_(std::move(store)) {}

  HRESULT get_MailUsers(IQoZadMailUsers** mail_users) override {
    if (mail_users == nullptr) return E_POINTER;
    *mail_users = nullptr;
    if (HRESULT fault = store_->FaultFor("get_MailUsers", std::nullopt); FAILED(fault)) return fault;
    return HandOut<MailUsers>(mail_users, store_);
  }

 private:
  std::shared_ptr<Store> store_;
};

class Session final : public ComObject<IQoZadSession> {
 public:
  HRESULT Logon() override {
    store_.reset();
    last_logon_failure.clear();
    std::optional<std::wstring> path = StorePath();
    if (!path) return QO_E_LOGON_FAILED;
    std::shared_ptr<Store> store;
    HRESULT hr = Store::Open(codepage::WideToUtf8(*path), &store, &last_logon_failure);
    if (FAILED(hr)) return hr;
    if (HRESULT fault = store->FaultFor("Logon", std::nullopt); FAILED(fault)) {
      last_logon_failure = "the store's Fault table makes Logon fail";
      return fault;
    }
    store_ = std::move(store);
    return S_OK;
  }

  HRESULT GetDirectory(LONG, IQoZadDirectory** directory) override {
    if (directory == nullptr) return E_POINTER;
    *directory = nullptr;
    if (!store_) return E_UNEXPECTED;
    if (HRESULT fault = store_->FaultFor("GetDirectory", std::nullopt); FAILED(fault)) return fault;
    return HandOut<Directory>(directory, store_);
  }

 private:
  std::shared_ptr<Store> store_;
};

class Manager final : public ComObject<IQoZadComponent, IQoZadManager> {
 public:
  HRESULT Initialize(LONG) override {
    initialized_ = true;
    return S_OK;
  }

  HRESULT CreateZadSession(IQoZadSession** session) override {
    if (session == nullptr) return E_POINTER;
    *session = nullptr;
    if (!initialized_) return E_UNEXPECTED;
    return HandOut<Session>(session);
  }

 private:
  bool initialized_ = false;
};

}  // namespace

HRESULT CreateManager(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComPtr<Manager> manager = MakeComObject<Manager>();
  if (!manager) return E_OUTOFMEMORY;
  return manager->QueryInterface(iid, object);
}

void RegisterClasses() { CoRegisterComponentClass(UuidOf<QoZadManager>(), nullptr, CreateManager); }

std::string LastLogonFailure() { return last_logon_failure; }

}  // namespace korvel::zad
