#include "korvel/logmgr/logmgr.h"

#include <gtest/gtest.h>
#include <stdlib.h>
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
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;

class LogManager : public ::testing::Test {
 protected:
  void SetUp() override {
    PointRegistryAt(log_path_);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    korvel::logmgr::RegisterClasses();
  }
  void TearDown() override { CoUninitialize(); }

  void PointRegistryAt(const std::string& log_path) {
    std::ofstream out(registry_);
    out << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Halvern\\QoLogMgr\\1.0]\r\n";
    if (!log_path.empty()) out << "\"Log File\"=\"" << log_path << "\"\r\n";
    setenv("KORVEL_REGISTRY", registry_.c_str(), 1);
  }

  // The file's lines without their time and process id, which differ from run to run.
  static std::vector<std::string> Lines(const std::string& path) {
    static const std::regex prefix(R"(^\{"time":"[0-9T:.Z-]{24}","pid":)" + std::to_string(getpid()) + ",");
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(std::regex_replace(line, prefix, "{"));
    return lines;
  }

  template <typename T>
  static ComPtr<T> Create() {
    ComPtr<T> object;
    EXPECT_EQ(CoCreateInstance(UuidOf<QoLogMgr>(), nullptr, CLSCTX_INPROC_SERVER, UuidOf<T>(),
                               object.ReleaseAndGetVoidAddressOf()),
              S_OK);
    return object;
  }

  // WriteSimpleDiagnostic by name with (-1, -1, text, -1) as the extractor
  // sends them, reversed as automation passes them, less the last `dropped`;
  // the exception's code when it raises one.
  static HRESULT SendDiagnostic(const wchar_t* text, VARTYPE text_type = VT_BSTR, std::size_t dropped = 0) {
    std::vector<VARIANT> arguments(4 - dropped);
    for (VARIANT& argument : arguments) {
      argument.vt = VT_I4;
      argument.lVal = -1;
    }
    arguments[1].vt = text_type;
    arguments[1].bstrVal = text_type == VT_BSTR ? SysAllocString(text) : nullptr;
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(kLogManagerProgId, &clsid), S_OK);
    ComPtr<IDispatch> dispatch = Create<IDispatch>();
    wchar_t name[] = L"WriteSimpleDiagnostic";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    EXCEPINFO exception{};
    HRESULT hr = dispatch->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception,
                                  nullptr);
    if (hr == DISP_E_EXCEPTION) hr = exception.scode;
    ClearExcepInfo(&exception);
    for (VARIANT& argument : arguments) VariantClear(&argument);
    return hr;
  }

  TempFolder folder_;
  const std::string log_path_ = folder_ / "central.log";
  const std::string registry_ = folder_ / "registry.reg";
};

TEST_F(LogManager, WritesOneJsonLinePerTraceUnderTheModulesHandleAfterWhatIsThere) {
  std::ofstream(log_path_) << "earlier line\n";
  ComPtr<IQoLogMgr> log = Create<IQoLogMgr>();
  DWORD handle = 7;
  EXPECT_EQ(log->RegisterModule(nullptr, &handle), E_UNEXPECTED);  // Startup comes first
  EXPECT_EQ(handle, 0u);
  ASSERT_EQ(log->Startup(), S_OK);
  BSTR module = SysAllocString(L"MsgExtractor");
  ASSERT_EQ(log->RegisterModule(module, &handle), S_OK);
  SysFreeString(module);
  EXPECT_EQ(handle, 1u);
  BOOL enabled = FALSE;
  ASSERT_EQ(log->IsLevelEnabled(handle, 0, &enabled), S_OK);
  EXPECT_TRUE(enabled);
  BSTR quoted = SysAllocString(L"Mailuser \"o'neil\" done\n");
  ASSERT_EQ(log->Write(handle, 17, quoted, -1), S_OK);
  ASSERT_EQ(log->Write(0, 11, quoted, -1), S_OK);  // a module that failed to register
  SysFreeString(quoted);
  ASSERT_EQ(log->Write(handle, 11, nullptr, -1), S_OK);
  EXPECT_EQ(Lines(log_path_),
            (std::vector<std::string>{
                "earlier line",
                R"({"module":"MsgExtractor","handle":1,"level":17,"text":"Mailuser \"o'neil\" done\n"})",
                R"({"module":"","handle":0,"level":11,"text":"Mailuser \"o'neil\" done\n"})",
                R"({"module":"MsgExtractor","handle":1,"level":11,"text":""})"}));
}

TEST_F(LogManager, ReportsBadArgumentsAndAnUnwritableFileMakesNoFolderAndFallsBackToTheTemporaryFolder) {
  EXPECT_EQ(SendDiagnostic(L"short of one", VT_BSTR, 1), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(SendDiagnostic(nullptr, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_FALSE(std::filesystem::exists(log_path_));
  PointRegistryAt(folder_ / "no-such-folder/central.log");
  EXPECT_TRUE(FAILED(Create<IQoLogMgr>()->Startup()));
  EXPECT_EQ(SendDiagnostic(L"Exception caught"), HRESULT_FROM_WIN32(3));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "no-such-folder"));
  PointRegistryAt("");  // no value: the temporary folder
  korvel::test::ScopedEnvironmentVariable tmpdir("TMPDIR", folder_.path());
  EXPECT_EQ(korvel::logmgr::LogFilePath(), folder_ / "QoLogMgr.log");
}

}  // namespace
