#include "korvel/logmgr/logmgr.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "korvel/logmgr/json_line.h"
#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/runtime.h"

namespace {

using korvel::logmgr::AppendJsonString;

TEST(JsonLine, EscapesWhatJsonMustAndWritesUtf8) {
  std::string out;
  AppendJsonString(&out, std::wstring(L"a\"b\\c\nd\re\tf\x01g\0h \u00e9\u65e5\U0001F600", 19));
  EXPECT_EQ(out, "\"a\\\"b\\\\c\\nd\\re\\tf\\u0001g\\u0000h \xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\"");
  out.clear();
  AppendJsonString(&out, std::wstring(1, static_cast<wchar_t>(0xD800)));  // no character at all
  EXPECT_EQ(out, "\"\xEF\xBF\xBD\"");
}

TEST(JsonLine, TimeIsUtcIso8601WithMilliseconds) {
  EXPECT_TRUE(std::regex_match(korvel::logmgr::CurrentUtcTime(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)")));
}

class LogManager : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    saved_tmpdir_ = tmp != nullptr ? tmp : "";
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/logmgr-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    log_path_ = folder_ + "/central.log";
    PointRegistryAt(log_path_);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    korvel::logmgr::RegisterClasses();
  }

  void TearDown() override {
    CoUninitialize();
    setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
    std::filesystem::remove_all(folder_);
  }

  void PointRegistryAt(const std::string& log_path) {
    std::string registry = folder_ + "/registry.reg";
    std::ofstream out(registry);
    out << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Halvern\\QoLogMgr\\1.0]\r\n";
    if (!log_path.empty()) out << "\"Log File\"=\"" << log_path << "\"\r\n";
    setenv("KORVEL_REGISTRY", registry.c_str(), 1);
  }

  static std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The line without its time and process id, which differ from run to run.
  static std::string Stable(const std::string& line) {
    static const std::regex prefix(R"(^\{"time":"[0-9T:.Z-]{24}","pid":)" + std::to_string(getpid()) + ",");
    return std::regex_replace(line, prefix, "{");
  }

  static ComPtr<IQoLogMgr> StartedLog() {
    ComPtr<IQoLogMgr> log;
    EXPECT_EQ(CoCreateInstance(UuidOf<QoLogMgr>(), nullptr, CLSCTX_INPROC_SERVER, UuidOf<IQoLogMgr>(),
                               log.ReleaseAndGetVoidAddressOf()),
              S_OK);
    if (log) {
      EXPECT_EQ(log->Startup(), S_OK);
    }
    return log;
  }

  // WriteSimpleDiagnostic as the extractor calls it: by name, on a fresh
  // instance, with (-1, -1, text, -1) in declared order.
  static HRESULT SendDiagnostic(const wchar_t* text, std::vector<VARIANT>* arguments = nullptr) {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"QoLogMgr.QoLogMgr.1", &clsid);
    if (FAILED(hr)) return hr;
    ComPtr<IDispatch> dispatch;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, UuidOf<IDispatch>(),
                          dispatch.ReleaseAndGetVoidAddressOf());
    if (FAILED(hr)) return hr;
    wchar_t name[] = L"WriteSimpleDiagnostic";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    hr = dispatch->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> standard(4);
    for (VARIANT& argument : standard) {
      VariantInit(&argument);
      argument.vt = VT_I4;
      argument.lVal = -1;
    }
    standard[1].vt = VT_BSTR;  // reversed: the text, third declared, is second from the end
    standard[1].bstrVal = SysAllocString(text);
    std::vector<VARIANT>& used = arguments != nullptr ? *arguments : standard;
    DISPPARAMS params{used.data(), nullptr, static_cast<UINT>(used.size()), 0};
    EXCEPINFO exception{};
    UINT bad_argument = 99;
    hr = dispatch->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception,
                          &bad_argument);
    if (hr == DISP_E_EXCEPTION) hr = exception.scode;
    if (hr == DISP_E_TYPEMISMATCH) {
      EXPECT_LT(bad_argument, used.size());
    }
    ClearExcepInfo(&exception);
    for (VARIANT& argument : standard) VariantClear(&argument);
    return hr;
  }

  std::string saved_tmpdir_;
  std::string folder_;
  std::string log_path_;
};

TEST_F(LogManager, WritesOneJsonLinePerTraceUnderTheModulesHandle) {
  ComPtr<IQoLogMgr> log = StartedLog();
  ASSERT_TRUE(log);
  BSTR module = SysAllocString(L"MsgExtractor");
  DWORD handle = 0;
  ASSERT_EQ(log->RegisterModule(module, &handle), S_OK);
  SysFreeString(module);
  EXPECT_EQ(handle, 1u);
  BOOL enabled = FALSE;
  ASSERT_EQ(log->IsLevelEnabled(handle, 0, &enabled), S_OK);
  EXPECT_TRUE(enabled);

  BSTR text = SysAllocString(L"Method < CMsgHelper::Run() > Entry");
  ASSERT_EQ(log->Write(handle, 0, text, -1), S_OK);
  SysFreeString(text);
  BSTR quoted = SysAllocString(L"Mailuser \"o'neil\" done\n");
  ASSERT_EQ(log->Write(handle, 17, quoted, -1), S_OK);
  ASSERT_EQ(log->Write(0, 11, quoted, -1), S_OK);  // a module that failed to register
  SysFreeString(quoted);
  ASSERT_EQ(log->Write(handle, 11, nullptr, -1), S_OK);

  std::vector<std::string> lines = Lines(log_path_);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(Stable(lines[0]),
            R"({"module":"MsgExtractor","handle":1,"level":0,"text":"Method < CMsgHelper::Run() > Entry"})");
  EXPECT_EQ(Stable(lines[1]),
            R"({"module":"MsgExtractor","handle":1,"level":17,"text":"Mailuser \"o'neil\" done\n"})");
  EXPECT_EQ(Stable(lines[2]), R"({"module":"","handle":0,"level":11,"text":"Mailuser \"o'neil\" done\n"})");
  EXPECT_EQ(Stable(lines[3]), R"({"module":"MsgExtractor","handle":1,"level":11,"text":""})");
}

TEST_F(LogManager, AppendsToWhatIsThereAndNeedsStartupFirst) {
  std::ofstream(log_path_) << "earlier line\n";
  ComPtr<IQoLogMgr> log;
  ASSERT_EQ(CoCreateInstance(UuidOf<QoLogMgr>(), nullptr, CLSCTX_INPROC_SERVER, UuidOf<IQoLogMgr>(),
                             log.ReleaseAndGetVoidAddressOf()),
            S_OK);
  DWORD handle = 7;
  EXPECT_EQ(log->RegisterModule(nullptr, &handle), E_UNEXPECTED);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(log->Write(1, 11, nullptr, -1), E_UNEXPECTED);
  ASSERT_EQ(log->Startup(), S_OK);
  ASSERT_EQ(log->Write(1, 11, nullptr, -1), S_OK);
  std::vector<std::string> lines = Lines(log_path_);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "earlier line");
}

TEST_F(LogManager, StartupFailsWhenTheFileCannotBeOpenedForAppending) {
  PointRegistryAt(folder_ + "/no-such-folder/central.log");
  ComPtr<IQoLogMgr> log;
  ASSERT_EQ(CoCreateInstance(UuidOf<QoLogMgr>(), nullptr, CLSCTX_INPROC_SERVER, UuidOf<IQoLogMgr>(),
                             log.ReleaseAndGetVoidAddressOf()),
            S_OK);
  EXPECT_TRUE(FAILED(log->Startup()));
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/no-such-folder"));
}

TEST_F(LogManager, WithoutARegistryValueWritesIntoTheTemporaryFolder) {
  PointRegistryAt("");
  setenv("TMPDIR", folder_.c_str(), 1);
  EXPECT_EQ(korvel::logmgr::LogFilePath(), folder_ + "/QoLogMgr.log");
  ComPtr<IQoLogMgr> log = StartedLog();
  ASSERT_TRUE(log);
  ASSERT_EQ(log->Write(1, 11, nullptr, -1), S_OK);
  EXPECT_EQ(Lines(folder_ + "/QoLogMgr.log").size(), 1u);
}

TEST_F(LogManager, WriteSimpleDiagnosticAppendsADiagnosticLine) {
  ASSERT_EQ(SendDiagnostic(L"Exception caught /src/MsgHelper.cc 85 80004005H"), S_OK);
  std::vector<std::string> lines = Lines(log_path_);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(Stable(lines[0]), R"({"diagnostic":"Exception caught /src/MsgHelper.cc 85 80004005H","args":[-1,-1,-1]})");
}

TEST_F(LogManager, WriteSimpleDiagnosticReportsAnUnwritableFileThroughItsException) {
  PointRegistryAt(folder_ + "/no-such-folder/central.log");
  EXPECT_EQ(SendDiagnostic(L"Exception caught"), HRESULT_FROM_WIN32(3));
}

TEST_F(LogManager, WriteSimpleDiagnosticChecksItsArguments) {
  std::vector<VARIANT> three(3);
  for (VARIANT& argument : three) {
    VariantInit(&argument);
    argument.vt = VT_I4;
  }
  EXPECT_EQ(SendDiagnostic(nullptr, &three), DISP_E_BADPARAMCOUNT);
  std::vector<VARIANT> four(4);
  for (VARIANT& argument : four) {
    VariantInit(&argument);
    argument.vt = VT_I4;
  }
  // Declared order read forwards instead of reversed: the text is not where it belongs.
  four[2].vt = VT_BSTR;
  four[2].bstrVal = nullptr;
  EXPECT_EQ(SendDiagnostic(nullptr, &four), DISP_E_TYPEMISMATCH);
  EXPECT_TRUE(Lines(log_path_).empty());

  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(CoCreateInstance(UuidOf<QoLogMgr>(), nullptr, CLSCTX_INPROC_SERVER, UuidOf<IDispatch>(),
                             dispatch.ReleaseAndGetVoidAddressOf()),
            S_OK);
  wchar_t other[] = L"WriteDiagnostic";
  LPOLESTR names[] = {other};
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(dispatch->Invoke(1, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, nullptr, nullptr,
                             nullptr),
            DISP_E_MEMBERNOTFOUND);
}

}  // namespace
