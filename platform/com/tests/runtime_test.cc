#include "platform/com/runtime.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>

#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/stream.h"

namespace {

constexpr CLSID kRecorderClass = MakeGuid("a1b2c3d4-0000-4000-8000-00000000beef");

// An automation object with one method, Record(LONG, BSTR): it keeps its
// arguments, and fails with its own error code through the exception report
// when the number is negative.
class Recorder final : public ComObject<IDispatch> {
 public:
  static constexpr DISPID kRecord = 7;

  HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT name_count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < name_count; ++i) {
      bool known = std::wstring(names[i]) == L"Record";
      ids[i] = known ? kRecord : DISPID_UNKNOWN;
      if (!known) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }

  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO* exception,
                 UINT*) override {
    if (id != kRecord || (flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
    if (params == nullptr || params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    const VARIANT* number = DispatchArgument(params, 0);
    const VARIANT* text = DispatchArgument(params, 1);
    if (number->vt != VT_I4 || text->vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    if (number->lVal < 0) {
      if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->bstrDescription = SysAllocString(L"negative");
        exception->scode = number->lVal;
      }
      return DISP_E_EXCEPTION;
    }
    recorded = std::to_wstring(number->lVal) + L" " + text->bstrVal;
    return S_OK;
  }

  static inline std::wstring recorded;
};

HRESULT CreateRecorder(REFIID iid, void** object) {
  ComPtr<Recorder> recorder = MakeComObject<Recorder>();
  if (!recorder) return E_OUTOFMEMORY;
  return recorder->QueryInterface(iid, object);
}

class Runtime : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    ASSERT_EQ(CoRegisterComponentClass(kRecorderClass, L"Test.Recorder.1", CreateRecorder), S_OK);
  }
  void TearDown() override {
    CoUnregisterComponentClass(kRecorderClass);
    CoUninitialize();
  }

  // Calls Record(number, text) by name, the way the extractor sends a diagnostic.
  HRESULT CallRecord(LONG number, const wchar_t* text) {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"test.recorder.1", &clsid);
    if (FAILED(hr)) return hr;
    ComPtr<IDispatch> dispatch;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, UuidOf<IDispatch>(),
                          dispatch.ReleaseAndGetVoidAddressOf());
    if (FAILED(hr)) return hr;
    wchar_t name[] = L"Record";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    hr = dispatch->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    VARIANT args[2];  // reversed: the last argument first
    VariantInit(&args[0]);
    args[0].vt = VT_BSTR;
    args[0].bstrVal = SysAllocString(text);
    VariantInit(&args[1]);
    args[1].vt = VT_I4;
    args[1].lVal = number;
    DISPPARAMS params{args, nullptr, 2, 0};
    EXCEPINFO exception{};
    hr = dispatch->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception,
                          nullptr);
    if (hr == DISP_E_EXCEPTION) hr = exception.scode;
    ClearExcepInfo(&exception);
    VariantClear(&args[0]);
    VariantClear(&args[1]);
    return hr;
  }
};

TEST_F(Runtime, CallsARegisteredAutomationObjectByName) {
  ASSERT_EQ(CallRecord(42, L"hello"), S_OK);
  EXPECT_EQ(Recorder::recorded, L"42 hello");
  EXPECT_EQ(CallRecord(-5, L"x"), -5);
}

TEST_F(Runtime, UnknownMethodNameIsReported) {
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(CoCreateInstance(kRecorderClass, nullptr, 0x15, UuidOf<IDispatch>(),
                             dispatch.ReleaseAndGetVoidAddressOf()),
            S_OK);
  wchar_t name[] = L"Erase";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(Runtime, CreationFailuresHaveThePlatformsCodes) {
  void* object = &object;
  IUnknown* outer = reinterpret_cast<IUnknown*>(&object);
  EXPECT_EQ(CoCreateInstance(kRecorderClass, outer, CLSCTX_INPROC_SERVER, UuidOf<IUnknown>(), &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(kRecorderClass, nullptr, CLSCTX_INPROC_SERVER, UuidOf<IStream>(), &object),
            E_NOINTERFACE);
  EXPECT_EQ(CoCreateInstance(MakeGuid("a1b2c3d4-0000-4000-8000-000000000000"), nullptr, CLSCTX_INPROC_SERVER,
                             UuidOf<IUnknown>(), &object),
            REGDB_E_CLASSNOTREG);
  CLSID clsid = kRecorderClass;
  EXPECT_EQ(CLSIDFromProgID(L"Test.Recorder", &clsid), CO_E_CLASSSTRING);

  ASSERT_EQ(CoUnregisterComponentClass(kRecorderClass), S_OK);
  EXPECT_EQ(CoUnregisterComponentClass(kRecorderClass), S_FALSE);
  EXPECT_EQ(CLSIDFromProgID(L"Test.Recorder.1", &clsid), CO_E_CLASSSTRING);
}

TEST_F(Runtime, ReRegisteringANameMovesItToTheNewClass) {
  constexpr CLSID kNewClass = MakeGuid("a1b2c3d4-0000-4000-8000-00000000cafe");
  ASSERT_EQ(CoRegisterComponentClass(kNewClass, L"TEST.RECORDER.1", CreateRecorder), S_OK);
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"Test.Recorder.1", &clsid), S_OK);
  EXPECT_EQ(clsid, kNewClass);
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kRecorderClass, nullptr, CLSCTX_INPROC_SERVER, UuidOf<IUnknown>(), &object),
            REGDB_E_CLASSNOTREG);
  CoUnregisterComponentClass(kNewClass);
}

TEST_F(Runtime, StartsOncePerThreadAndInOneMode) {
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  CoUninitialize();
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);

  // Another thread that never started the runtime cannot create objects.
  HRESULT elsewhere = S_OK;
  std::thread([&] {
    void* object = nullptr;
    elsewhere = CoCreateInstance(kRecorderClass, nullptr, CLSCTX_INPROC_SERVER, UuidOf<IUnknown>(), &object);
  }).join();
  EXPECT_EQ(elsewhere, CO_E_NOTINITIALIZED);
}

TEST(Guid, RandomIdsAreVersion4WithStandardText) {
  std::set<std::wstring> seen;
  for (int i = 0; i < 200; ++i) {
    GUID guid{};
    ASSERT_EQ(CoCreateGuid(&guid), S_OK);
    std::wstring text = GuidToString(guid);
    ASSERT_EQ(text.size(), 36u);
    for (std::size_t at : {8u, 13u, 18u, 23u}) EXPECT_EQ(text[at], L'-');
    EXPECT_EQ(text[14], L'4');
    EXPECT_NE(std::wstring(L"89ab").find(text[19]), std::wstring::npos);
    EXPECT_EQ(text.find_first_not_of(L"0123456789abcdef-"), std::wstring::npos);
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 200u);
  EXPECT_EQ(GuidToString(MakeGuid("0A1B2C3D-4E5F-4061-8A7B-8C9DAEBFC0D1")), L"0a1b2c3d-4e5f-4061-8a7b-8c9daebfc0d1");
  EXPECT_EQ(CoCreateGuid(nullptr), E_POINTER);
}

}  // namespace
