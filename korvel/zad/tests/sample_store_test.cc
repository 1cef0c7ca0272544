// The store objects against a whole sample server, as korvel-sample writes it:
// every mail user, message and attachment the sample reports is reachable in
// the order and shape the extractor relies on.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "korvel/sample/sample_server.h"
#include "korvel/zad/zad.h"
#include "platform/com/com_ptr.h"
#include "platform/com/runtime.h"
#include "platform/com/safearray.h"
#include "platform/com/stream.h"

namespace {

template <typename T>
ComPtr<T> Typed(const ComPtr<IUnknown>& entry) {
  ComPtr<T> typed;
  if (entry) {
    EXPECT_EQ(entry.As(&typed), S_OK);
  }
  return typed;
}

// Reads the first four bytes of an attachment the way the extractor does.
std::string StreamTag(IQoZadListItem* item) {
  VARIANT value;
  VariantInit(&value);
  EXPECT_EQ(item->get_Item(&value), S_OK);
  std::string tag = "<not a stream>";
  ComPtr<IStream> stream;
  if (value.vt == VT_UNKNOWN &&
      SUCCEEDED(value.punkVal->QueryInterface(UuidOf<IStream>(), stream.ReleaseAndGetVoidAddressOf()))) {
    stream->Commit(0);
    ULARGE_INTEGER size{};
    stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_END, &size);
    stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    tag.assign(4, '\0');
    ULONG read = 0;
    stream->Read(tag.data(), 4, &read);
    tag.resize(read);
  }
  VariantClear(&value);
  return tag;
}

TEST(SampleStore, EveryReportedObjectIsReachable) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/zad-sample-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path folder = pattern;
  korvel_sample::SampleOptions options;
  options.dir = folder;
  options.force = true;
  korvel_sample::SampleReport report;
  korvel_sample::Status status = korvel_sample::WriteSampleServer(options, &report);
  ASSERT_TRUE(status.ok()) << status.message();
  setenv("KORVEL_REGISTRY", (folder / korvel_sample::kRegistryFile).c_str(), 1);

  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  korvel::zad::RegisterClasses();
  ComPtr<IQoZadComponent> component;
  ASSERT_EQ(CoCreateInstance(UuidOf<QoZadManager>(), nullptr, 0x15, UuidOf<IQoZadComponent>(),
                             component.ReleaseAndGetVoidAddressOf()),
            S_OK);
  ASSERT_EQ(component->Initialize(0), S_OK);
  ComPtr<IQoZadManager> manager;
  ASSERT_EQ(component.As(&manager), S_OK);
  ComPtr<IQoZadSession> session;
  ASSERT_EQ(manager->CreateZadSession(session.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(session->Logon(), S_OK);
  ComPtr<IQoZadDirectory> directory;
  ASSERT_EQ(session->GetDirectory(0, directory.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<IQoZadMailUsers> mail_users;
  ASSERT_EQ(directory->get_MailUsers(mail_users.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<IQoZadIterator> users;
  ASSERT_EQ(mail_users->get_Subscribers(users.ReleaseAndGetAddressOf()), S_OK);

  // Unfiltered, so that every owner's messages are counted.
  LONG user_count = 0;
  ASSERT_EQ(users->get_Count(&user_count), S_OK);
  EXPECT_EQ(user_count, report.mail_users);
  int messages = 0;
  int attachments = 0;
  ComPtr<IUnknown> entry;
  for (HRESULT hr = users->First(entry.ReleaseAndGetAddressOf()); hr == S_OK;
       hr = users->Next(entry.ReleaseAndGetAddressOf())) {
    ComPtr<IQoZadMailUser> user = Typed<IQoZadMailUser>(entry);
    ComPtr<IQoZadFolder> inbox;
    ASSERT_EQ(user->get_Inbox(inbox.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IQoZadIterator> list;
    ASSERT_EQ(inbox->get_All(list.ReleaseAndGetAddressOf()), S_OK);
    for (LONG folder_filter : {QO_SEARCH_FOLDER_NewVoiceFilter, QO_SEARCH_FOLDER_SavedVoiceFilter}) {
      ASSERT_EQ(list->SetFilter(nullptr), S_OK);
      VARIANT value;
      VariantInit(&value);
      value.vt = VT_I4;
      value.lVal = folder_filter;
      ASSERT_EQ(list->SimpleFilter(QOP_SEARCH_FOLDER, 1, &value), S_OK);
      ComPtr<IUnknown> message_entry;
      for (HRESULT step = list->First(message_entry.ReleaseAndGetAddressOf()); step == S_OK;
           step = list->Next(message_entry.ReleaseAndGetAddressOf())) {
        ++messages;
        ComPtr<IQoZadMessage> message = Typed<IQoZadMessage>(message_entry);
        ComPtr<IQoZadAudioList> audio;
        ASSERT_EQ(message->get_AllAudioStreams(audio.ReleaseAndGetAddressOf()), S_OK);
        ComPtr<IQoZadListItem> item;
        for (HRESULT next = audio->First(item.ReleaseAndGetAddressOf()); next == S_OK;
             next = audio->Next(item.ReleaseAndGetAddressOf())) {
          ++attachments;
          EXPECT_EQ(StreamTag(item.Get()), "RIFF");
        }
      }
    }
  }
  EXPECT_EQ(messages, report.messages);
  EXPECT_EQ(attachments, report.attachments);
  CoUninitialize();
  std::filesystem::remove_all(folder);
}

}  // namespace
