#include "platform/com/runtime.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <thread>

#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/com/guid.h"
#include "platform/com/stream.h"

namespace {

constexpr CLSID kRecorderClass = MakeGuid("a1b2c3d4-0000-4000-8000-00000000beef");

class Recorder final : public ComObject<IUnknown> {};

HRESULT CreateRecorder(REFIID iid, void** object) {
  ComPtr<Recorder> recorder = MakeComObject<Recorder>();
  return recorder ? recorder->QueryInterface(iid, object) : E_OUTOFMEMORY;
}

class Runtime : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    ASSERT_EQ(CoRegisterComponentClass(kRecorderClass, L"Test.Recorder.1", CreateRecorder), S_OK);
  }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(Runtime, CreatesOnlyRegisteredClassesOnThreadsThatStartedTheRuntime) {
  void* object = &object;
  EXPECT_EQ(CoCreateInstance(kRecorderClass, nullptr, CLSCTX_INPROC_SERVER, UuidOf<IStream>(), &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(MakeGuid("a1b2c3d4-0000-4000-8000-000000000000"), nullptr, CLSCTX_INPROC_SERVER,
                             UuidOf<IUnknown>(), &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  CoUninitialize();
  HRESULT elsewhere = S_OK;
  std::thread([&] {
    elsewhere = CoCreateInstance(kRecorderClass, nullptr, CLSCTX_INPROC_SERVER, UuidOf<IUnknown>(), &object);
  }).join();
  EXPECT_EQ(elsewhere, CO_E_NOTINITIALIZED);
}

TEST(Guid, RandomIdsAreDistinctVersion4WithStandardText) {
  const std::wregex form(L"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
  std::set<std::wstring> seen;
  for (int i = 0; i < 200; ++i) {
    GUID guid{};
    ASSERT_EQ(CoCreateGuid(&guid), S_OK);
    EXPECT_TRUE(std::regex_match(*seen.insert(GuidToString(guid)).first, form));
  }
  EXPECT_EQ(seen.size(), 200u);
  EXPECT_EQ(GuidToString(MakeGuid("0A1B2C3D-4E5F-4061-8A7B-8C9DAEBFC0D1")), L"0a1b2c3d-4e5f-4061-8a7b-8c9daebfc0d1");
}

}  // namespace
