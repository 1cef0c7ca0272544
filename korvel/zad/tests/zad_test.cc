#include "korvel/zad/zad.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "korvel/zad/tests/test_store.h"
#include "platform/com/com_ptr.h"
#include "platform/com/runtime.h"
#include "platform/com/safearray.h"
#include "platform/com/stream.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;

struct Variant {
  Variant() { VariantInit(&v); }
  // A number of type VT_I2 or VT_I4, as filters take them.
  Variant(VARTYPE type, LONG number) : Variant() {
    v.vt = type;
    if (type == VT_I2) v.iVal = static_cast<SHORT>(number);
    else v.lVal = number;
  }
  ~Variant() { VariantClear(&v); }
  VARIANT v;
};

class ZadStore : public ::testing::Test {
 protected:
  void SetUp() override {
    PointRegistryAt(store_path_);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    korvel::zad::RegisterClasses();
  }
  void TearDown() override { CoUninitialize(); }

  void PointRegistryAt(const std::string& store_path) {
    std::ofstream(registry_path_) << "Windows Registry Editor Version 5.00\r\n\r\n"
                                  << "[HKEY_LOCAL_MACHINE\\Software\\Halvern\\Zad\\1.0]\r\n"
                                  << "\"Message Store\"=\"" << store_path << "\"\r\n";
    setenv("KORVEL_REGISTRY", registry_path_.c_str(), 1);
  }

  // A store of the full layout holding `rows`.
  void MakeStore(const std::string& rows) { TestStore(store_path_).Sql(rows); }

  // Create, Initialize, query, CreateZadSession, Logon: the log-in as the
  // extractor makes it.
  static HRESULT LogOn(ComPtr<IQoZadSession>* session) {
    ComPtr<IQoZadComponent> component;
    ComPtr<IQoZadManager> manager;
    HRESULT hr = CoCreateInstance(UuidOf<QoZadManager>(), nullptr, 0x15, UuidOf<IQoZadComponent>(),
                                  component.ReleaseAndGetVoidAddressOf());
    if (SUCCEEDED(hr)) hr = component->Initialize(0);
    if (SUCCEEDED(hr)) hr = component.As(&manager);
    if (SUCCEEDED(hr)) hr = manager->CreateZadSession(session->ReleaseAndGetAddressOf());
    return SUCCEEDED(hr) ? (*session)->Logon() : hr;
  }

  // GetDirectory, get_MailUsers, get_Subscribers and the subscriber filter;
  // the session goes when this returns, the objects stay usable.
  static ComPtr<IQoZadIterator> Subscribers() {
    ComPtr<IQoZadSession> session;
    ComPtr<IQoZadDirectory> directory;
    ComPtr<IQoZadMailUsers> mail_users;
    ComPtr<IQoZadIterator> subscribers;
    EXPECT_EQ(LogOn(&session), S_OK);
    if (!session) return subscribers;
    EXPECT_EQ(session->GetDirectory(0, directory.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(directory->get_MailUsers(mail_users.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(mail_users->get_Subscribers(subscribers.ReleaseAndGetAddressOf()), S_OK);
    Variant one(VT_I2, 1);
    EXPECT_EQ(subscribers->SimpleFilter(QOP_IS_SUBSCRIBER, QO_FILTER_EQUAL, &one.v), S_OK);
    return subscribers;
  }

  template <typename T>
  static ComPtr<T> Entry(IQoZadIterator* list, bool first) {
    ComPtr<IUnknown> entry;
    EXPECT_EQ(first ? list->First(entry.ReleaseAndGetAddressOf()) : list->Next(entry.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<T> typed;
    if (entry) {
      EXPECT_EQ(entry.As(&typed), S_OK);
    }
    return typed;
  }

  // The messages of `user`, of one folder unless `folder` is 0.
  static ComPtr<IQoZadIterator> Messages(IQoZadMailUser* user, LONG folder) {
    ComPtr<IQoZadFolder> inbox;
    ComPtr<IQoZadIterator> messages;
    EXPECT_EQ(user->get_Inbox(inbox.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(inbox->get_All(messages.ReleaseAndGetAddressOf()), S_OK);
    Variant value(VT_I4, folder);
    if (folder != 0) {
      EXPECT_EQ(messages->SimpleFilter(QOP_SEARCH_FOLDER, QO_FILTER_EQUAL, &value.v), S_OK);
    }
    return messages;
  }

  TempFolder folder_;
  const std::string store_path_ = folder_ / "MessageStore.sqlite";
  const std::string registry_path_ = folder_ / "registry.reg";
};

// GetMany with `tags` in an array whose lower bound is `lower`; the answer
// comes with the same bounds.
template <typename T>
HRESULT GetMany(T* object, std::initializer_list<LONG> tags, Variant* values, LONG lower = 0) {
  Variant request;
  request.v.vt = VT_ARRAY | VT_VARIANT;
  request.v.parray = SafeArrayCreateVector(VT_VARIANT, lower, static_cast<ULONG>(tags.size()));
  VARIANT* element = static_cast<VARIANT*>(request.v.parray->pvData);
  for (LONG tag : tags) {
    element->vt = VT_I4;
    (element++)->lVal = tag;
  }
  const HRESULT hr = object->GetMany(&request.v, &values->v);
  if (SUCCEEDED(hr)) {
    EXPECT_EQ(values->v.vt, VT_ARRAY | VT_VARIANT);
    EXPECT_EQ(values->v.parray->rgsabound[0].lLbound, lower);
    EXPECT_EQ(values->v.parray->rgsabound[0].cElements, tags.size());
  }
  return hr;
}

const VARIANT& At(const Variant& values, LONG index) {
  return static_cast<const VARIANT*>(values.v.parray->pvData)[index];
}

TEST_F(ZadStore, ValuesKeepTheirPropertysTypeOnlyWhenTheyFit) {
  MakeStore(R"sql(
    INSERT INTO MailUser VALUES (1, 42, 'n', 1), (2, 'big', 'n', 70000);
    INSERT INTO Message VALUES
      (10, 1, 6, 40000.75, 1, 2, 'AMIS', x'00ff', 5000000000, 2.5, NULL),
      (11, 1, 6, 40000, 'yes', 77, 7, 12, -3, NULL, NULL);
  )sql");
  ComPtr<IQoZadMailUser> user = Entry<IQoZadMailUser>(Subscribers().Get(), true);
  ASSERT_TRUE(user);
  Variant user_values;
  ASSERT_EQ(GetMany(user.Get(), {QOP_ALIAS, QOP_IS_SUBSCRIBER, 0x12340003}, &user_values, 1), S_OK);
  EXPECT_EQ(At(user_values, 0).vt, VT_I4);  // an alias stored as a number stays a number
  EXPECT_EQ(At(user_values, 0).lVal, 42);
  EXPECT_EQ(At(user_values, 1).vt, VT_I2);
  EXPECT_EQ(At(user_values, 2).vt, VT_ERROR);
  EXPECT_EQ(At(user_values, 2).scode, QO_E_NOT_FOUND);

  ComPtr<IQoZadIterator> messages = Messages(user.Get(), 0);
  ComPtr<IQoZadMessage> first = Entry<IQoZadMessage>(messages.Get(), true);
  ComPtr<IQoZadMessage> second = Entry<IQoZadMessage>(messages.Get(), false);
  ComPtr<IQoZadMailUser> sender;
  ASSERT_EQ(first->get_Sender(sender.ReleaseAndGetAddressOf()), S_OK);
  Variant sender_values;
  ASSERT_EQ(GetMany(sender.Get(), {QOP_IS_SUBSCRIBER}, &sender_values), S_OK);
  EXPECT_EQ(At(sender_values, 0).vt, VT_I4);  // too big for VT_I2
  EXPECT_EQ(At(sender_values, 0).lVal, 70000);
  EXPECT_EQ(second->get_Sender(sender.ReleaseAndGetAddressOf()), QO_E_NOT_FOUND);  // no mail user 77
  EXPECT_FALSE(sender);

  const std::initializer_list<LONG> six = {QOP_DELIVERY_TIME, QOP_HAS_UNKNOWN_SENDER, QOP_SENDER_ADDRESS_TYPE,
                                           QOP_SENDER_EMAIL_ADDRESS, QOP_IMPORTANCE, QOP_SENSITIVITY};
  Variant values;
  Variant more;
  ASSERT_EQ(GetMany(first.Get(), six, &values), S_OK);
  ASSERT_EQ(GetMany(second.Get(), six, &more), S_OK);
  // A whole-number date is an INTEGER, not a date; beyond 32 bits is not cut short.
  const VARTYPE types[] = {VT_DATE, VT_BOOL, VT_BSTR, VT_ARRAY | VT_UI1, VT_R8, VT_R8};
  const VARTYPE more_types[] = {VT_I4, VT_BSTR, VT_I4, VT_I4, VT_I4, VT_EMPTY};
  for (LONG i = 0; i < 6; ++i) {
    EXPECT_EQ(At(values, i).vt, types[i]) << i;
    EXPECT_EQ(At(more, i).vt, more_types[i]) << i;
  }
  EXPECT_EQ(At(values, 0).date, 40000.75);
  EXPECT_EQ(At(values, 1).boolVal, VARIANT_TRUE);
  EXPECT_STREQ(At(values, 2).bstrVal, L"AMIS");
  EXPECT_EQ(At(values, 4).dblVal, 5000000000.0);
  EXPECT_EQ(At(more, 4).lVal, -3);
}

TEST_F(ZadStore, GetManyRefusesARequestOfTheWrongShapeAndStreamsAreReadOnly) {
  // Message 10's two attachments are stored out of order.
  MakeStore("INSERT INTO MailUser VALUES (1, 'amy', 'Amy Adams', 1);"
            "INSERT INTO Message (MessageID, OwnerID, Folder) VALUES (10, 1, 6);"
            "INSERT INTO AudioStream VALUES (10, 2, x'5345434f4e44'), (10, 1, x'4649525354');");
  ComPtr<IQoZadMailUser> user = Entry<IQoZadMailUser>(Subscribers().Get(), true);
  ASSERT_TRUE(user);
  Variant values;
  Variant request;
  request.v.vt = VT_I4;
  EXPECT_EQ(user->GetMany(&request.v, &values.v), E_INVALIDARG);
  EXPECT_EQ(user->GetMany(nullptr, &values.v), E_POINTER);
  EXPECT_EQ(GetMany(user.Get(), {}, &values), S_OK);

  ComPtr<IQoZadMessage> message = Entry<IQoZadMessage>(Messages(user.Get(), 6).Get(), true);
  ComPtr<IQoZadAudioList> audio;
  ComPtr<IQoZadListItem> item;
  ASSERT_EQ(message->get_AllAudioStreams(audio.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(audio->First(item.ReleaseAndGetAddressOf()), S_OK);
  Variant value;
  ASSERT_EQ(item->get_Item(&value.v), S_OK);
  ComPtr<IStream> stream;
  ASSERT_EQ(value.v.punkVal->QueryInterface(UuidOf<IStream>(), stream.ReleaseAndGetVoidAddressOf()), S_OK);
  char bytes[8] = {};
  ULONG read = 0;
  ASSERT_EQ(stream->Read(bytes, sizeof bytes, &read), S_OK);
  EXPECT_EQ(std::string(bytes, read), "FIRST");
  ULARGE_INTEGER position{};
  EXPECT_EQ(stream->Seek(LARGE_INTEGER{-9}, STREAM_SEEK_END, &position), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(stream->Write("x", 1, &read), STG_E_ACCESSDENIED);
}

TEST_F(ZadStore, LogonNeedsAWholeStoreAndNeverMakesOne) {
  ComPtr<IQoZadSession> session;
  EXPECT_EQ(LogOn(&session), QO_E_LOGON_FAILED);  // the file does not exist
  EXPECT_FALSE(std::filesystem::exists(store_path_));
  ComPtr<IQoZadDirectory> directory;
  EXPECT_EQ(session->GetDirectory(0, directory.ReleaseAndGetAddressOf()), E_UNEXPECTED);
  std::ofstream(store_path_) << "plain text, not a database";
  EXPECT_EQ(LogOn(&session), QO_E_LOGON_FAILED);
  TestStore(store_path_).Sql("DROP TABLE Message");
  EXPECT_EQ(LogOn(&session), QO_E_LOGON_FAILED);
  TestStore(store_path_, false);
  EXPECT_EQ(LogOn(&session), S_OK);
  PointRegistryAt("");
  EXPECT_EQ(LogOn(&session), QO_E_LOGON_FAILED);

  PointRegistryAt(store_path_);
  MakeStore("INSERT INTO Fault VALUES ('Logon', NULL, -2147221231)");
  EXPECT_EQ(LogOn(&session), MakeHresult(0x80040111));
}

}  // namespace
