// The extractor's diagnostics: the trace log and its extraction log file,
// method traces, exception reports in the event log and the message module
// that gives their texts, and the registry values they read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <string>

#include "TmMsgExtractor/diagnostics/event_log_writer.h"
#include "TmMsgExtractor/diagnostics/exception_report.h"
#include "TmMsgExtractor/diagnostics/message_module.h"
#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/registry_key.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/tests/log_manager_lines.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"
#include "korvel/logmgr/logmgr.h"
#include "korvel/sample/event_messages.h"
#include "platform/com/runtime.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::WriteFile;

constexpr wchar_t kUnit[] = L"TmMsgExtractor\\diagnostics\\tests\\diagnostics_test";

// A traced method as the extractor writes them, whose body throws `thrown`.
template <typename Thrown>
HRESULT TracedMethodThrowing(Thrown thrown) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"DiagnosticsTest::TracedMethodThrowing()", hr);
  try {
    throw thrown;
  } catch (...) {
    hr = ReportCaughtException(kUnit, 85);
  }
  return hr;
}

HRESULT TracedMethod(bool fail) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CTest::TracedMethod()", hr);
  if (fail) {
    hr = E_INVALIDARG;
    TraceFailedCall(L"spThing->Call()", hr);
  }
  return hr;
}

// Every test starts with a registry naming the log manager's file and the
// event source's message file, and an event log file of its own.
class DiagnosticsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KORVEL_REGISTRY", registry_.c_str(), 1);
    setenv("KORVEL_EVENT_LOG", events_.c_str(), 1);
    setenv("DIAGNOSTICS_TEST_DIR", folder_.path().c_str(), 1);
    // The message file korvel-sample installs for the event source.
    WriteFile(message_file_, korvel_sample::EventMessageFileText());
    WriteRegistry("");
    korvel::logmgr::RegisterClasses();
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
  }
  void TearDown() override {
    CoUninitialize();
    unsetenv("KORVEL_EVENT_LOG");
  }

  // The log manager's file, the event source's message file and, when given,
  // the help server.
  void WriteRegistry(const std::string& help_server) {
    WriteFile(registry_, TestRegistry(manager_file_) +
                             (help_server.empty() ? "" : "\"Help Web Server\"=\"" + help_server + "\"\r\n") +
                             EventSourceKey(message_file_, message_file_));
  }
  // The event source's message file, as the installation names it, and
  // `category_file`.
  void RegisterCategoryFile(const std::string& category_file) {
    WriteFile(registry_, TestRegistry(manager_file_) +
                             EventSourceKey("%DIAGNOSTICS_TEST_DIR%/QoTmEventMessages.mc", category_file));
  }
  std::vector<std::string> LastEvent() const { return ReadEventStrings(events_).back(); }
  std::vector<LogManagerLine> ManagerLines() const { return ReadLogManagerLines(manager_file_); }

  TempFolder folder_;
  const std::string registry_ = folder_ / "registry.reg";
  const std::string events_ = folder_ / "events.jsonl";
  const std::string manager_file_ = folder_ / "QoLogMgr.log";
  const std::string message_file_ = folder_ / "QoTmEventMessages.mc";
  const std::string log_path_ = folder_ / "MsgExtraction.log";
};

TEST_F(DiagnosticsTest, NothingIsTracedWithoutAStartedLogManager) {
  CTraceLog early;
  EXPECT_EQ(early.Trace(LOG_LEVEL_ERROR, L"early %d", 1), static_cast<HRESULT>(0x80042516));
  EXPECT_TRUE(ManagerLines().empty());

  WriteFile(registry_, TestRegistry(folder_ / "no-such-folder/QoLogMgr.log"));
  CTraceLog log;
  EXPECT_EQ(log.Initialize(nullptr, L"MsgExtractor", nullptr), E_FAIL);
  EXPECT_EQ(log.Trace(LOG_LEVEL_INFO, L"x"), E_LOG_NOT_INITIALIZED);
}

TEST_F(DiagnosticsTest, MessagesReachEveryOutletWholeAndTheLogFileIsFramedAndAppended) {
  WriteFile(log_path_, "old content\r\n");
  testing::internal::CaptureStdout();
  for (const std::wstring& message : {std::wstring(1500, L'x'), std::wstring(L"Mailuser caf\u00E9 done\n")}) {
    CTraceLog log;
    ASSERT_EQ(log.Initialize(nullptr, L"MsgExtractor", nullptr), S_OK);
    ASSERT_EQ(log.OpenLogFile(FromSystemText(log_path_).c_str()), S_OK);
    log.LogMessage(LOG_LEVEL_INFO, message.c_str());
    log.Trace(LOG_LEVEL_METHOD, L"only %s", L"here");
  }
  const std::string console = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(console.starts_with(std::string(1500, 'x') + "\nMailuser caf")) << console;
  // The log manager's lines are cut at 1024 characters; traces reach only it.
  const std::vector<LogManagerLine> lines = ManagerLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].text, std::string(1024, 'x'));
  EXPECT_EQ(lines[1].text, "only here");
  // The file in the ANSI code page with CR LF line ends.
  const std::string time = "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]";
  const std::regex framed("old content\r\n"
                          "\r\n\r\nLogFile Started at " + time + " \r\nx{1500}\r\nLogFile closed at " + time +
                          " \r\n"
                          "\r\n\r\nLogFile Started at " + time + " \r\nMailuser caf\xE9 done\r\n\r\n"
                          "LogFile closed at " + time + " \r\n");
  EXPECT_TRUE(std::regex_match(ReadFile(log_path_), framed)) << ReadFile(log_path_);
}

TEST_F(DiagnosticsTest, MethodTracesReachTheLogManagerOnly) {
  ASSERT_EQ(g_TraceLog.Initialize(nullptr, L"MsgExtractor", nullptr), S_OK);
  testing::internal::CaptureStdout();
  EXPECT_EQ(TracedMethod(false), S_OK);
  EXPECT_EQ(TracedMethod(true), E_INVALIDARG);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  g_TraceLog.Uninitialize();
  std::vector<std::string> lines;
  for (const LogManagerLine& line : ManagerLines()) lines.push_back(std::to_string(line.level) + " " + line.text);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       std::to_string(LOG_LEVEL_METHOD) + " Method < CTest::TracedMethod() > Entry",
                       std::to_string(LOG_LEVEL_METHOD) + " Method < CTest::TracedMethod() > Exit Return:0x00000000 ",
                       std::to_string(LOG_LEVEL_METHOD) + " Method < CTest::TracedMethod() > Entry",
                       std::to_string(LOG_LEVEL_ERROR) + " spThing->Call() returned 0x80070057",
                       std::to_string(LOG_LEVEL_METHOD) + " Method < CTest::TracedMethod() > Exit Return:0x80070057 "}));
}

// The help link cache lives for the process, so its whole story is one test.
TEST_F(DiagnosticsTest, TheHelpLinkIsTriedUntilBuiltAndThenReused) {
  ReportException(kUnit, 85, E_FAIL);
  std::vector<std::string> event = LastEvent();
  ASSERT_EQ(event.size(), 5u);
  EXPECT_EQ(event[0] + " " + event[1] + " " + event[2],
            "TmMsgExtractor\\diagnostics\\tests\\diagnostics_test 85 80004005H");
  EXPECT_EQ(event[4], "");

  WriteRegistry("http://help.example/");
  ReportException(kUnit, 86, E_FAIL);
  const std::string link = "\r\nFor more information, click: http://help.example/";
  EXPECT_EQ(LastEvent().at(4), link);

  // Built once: neither the address nor the message file is read again.
  WriteRegistry("http://elsewhere.example/");
  std::remove(message_file_.c_str());
  ReportException(kUnit, 87, E_FAIL);
  EXPECT_EQ(LastEvent().at(4), link);
}

TEST_F(DiagnosticsTest, AThrownCodeIsReturnedAndReportedInLowerCaseHexAnythingElseAsEFail) {
  EXPECT_EQ(TracedMethodThrowing(E_OUTOFMEMORY), MakeHresult(0x8007000E));
  EXPECT_EQ(LastEvent().at(2), "8007000eH");
  // The thrown value is the result even when it is not a failure.
  EXPECT_EQ(TracedMethodThrowing(S_FALSE), S_FALSE);
  EXPECT_EQ(LastEvent().at(2), "00000001H");
  EXPECT_EQ(TracedMethodThrowing(std::runtime_error("not an HRESULT")), E_FAIL);
  EXPECT_EQ(LastEvent().at(2), "80004005H");
  const LogManagerLine diagnostic = ReadLogManagerLines(manager_file_).back();
  EXPECT_EQ(diagnostic.diagnostic,
            "Exception caught TmMsgExtractor\\diagnostics\\tests\\diagnostics_test 85 80004005H");
  EXPECT_EQ(diagnostic.args, "[-1,-1,-1]");
}

TEST_F(DiagnosticsTest, TheStackNamesTheCallingFunctionWithItsSourceLine) {
  const int call_line = __LINE__ + 1;
  EXPECT_EQ(TracedMethodThrowing(E_FAIL), E_FAIL);
  const std::string stack = LastEvent().at(3);
  // Innermost first: the stack walk itself is left out, the report comes
  // first; so is the outermost frame, the process's entry point.
  EXPECT_TRUE(std::regex_search(stack, std::regex("^\r\n0x[0-9A-F]{8,16} [^\r\n]+: ReportException\\(")))
      << stack;
  EXPECT_EQ(stack.find("GetStackTrace"), std::string::npos);
  EXPECT_EQ(stack.find(": _start + "), std::string::npos);
  EXPECT_TRUE(stack.ends_with("\r\n"));
  const std::regex this_frame(
      "0x[0-9A-F]{8,16} extractor_diagnostics_test: [^\r\n]*TheStackNamesTheCallingFunctionWithItsSourceLine_Test::"
      "TestBody\\(\\) \\+ [0-9]+ bytes\r\n\t\t[^\r\n]*/diagnostics_test\\.cc, Line ([0-9]+)\r\n");
  std::smatch frame;
  ASSERT_TRUE(std::regex_search(stack, frame, this_frame)) << stack;
  EXPECT_EQ(std::stoi(frame[1]), call_line) << stack;
}

std::wstring Text(const CMessageModule& module, DWORD id, const LPCWSTR* arguments, bool category,
                  HRESULT* result = nullptr) {
  CBstr text(L"stale");
  const HRESULT hr = module.GetMessageText(text, id, arguments, category);
  if (result != nullptr) *result = hr;
  return text.c_str();
}

TEST_F(DiagnosticsTest, TheMessageModuleAnswersForCategoriesFromTheEventFileUnlessAnotherIsNamed) {
  RegisterCategoryFile("%DIAGNOSTICS_TEST_DIR%/QoTmEventMessages.mc");
  CMessageModule module(L"NorvaneKorvel_QoTm");
  EXPECT_TRUE(module.HasMessageModule());
  EXPECT_FALSE(module.HasCategoryModule());
  const std::wstring address(3000, L'a');  // longer than a first buffer
  const LPCWSTR arguments[] = {address.c_str(), nullptr};
  EXPECT_EQ(Text(module, 105, arguments, false), L"\r\nFor more information, click: " + address);
  // Without arguments the insertion stays as written.
  EXPECT_EQ(Text(module, 105, nullptr, false), L"\r\nFor more information, click: %1");

  WriteFile(folder_ / "categories.mc", "MessageId=1\r\nLanguage=English\r\nExtraction\r\n.\r\n");
  RegisterCategoryFile("%DIAGNOSTICS_TEST_DIR%/categories.mc");
  CMessageModule categories(L"NorvaneKorvel_QoTm");
  EXPECT_TRUE(categories.HasCategoryModule());
  EXPECT_EQ(Text(categories, 1, nullptr, true), L"Extraction");
  HRESULT hr = S_OK;
  EXPECT_EQ(Text(categories, 1, nullptr, false, &hr), L"");
  EXPECT_EQ(hr, HRESULT_FROM_WIN32(317));
  // The comparison is of the texts: another spelling of the same file loads it again.
  RegisterCategoryFile("%DIAGNOSTICS_TEST_DIR%/./QoTmEventMessages.mc");
  EXPECT_TRUE(CMessageModule(L"NorvaneKorvel_QoTm").HasCategoryModule());
}

TEST_F(DiagnosticsTest, AnEventLogThatCannotBeWrittenFailsTheReport) {
  setenv("KORVEL_EVENT_LOG", (folder_ / "missing/events.jsonl").c_str(), 1);
  CEventLogWriter writer(L"NorvaneKorvel_QoTm", nullptr);
  EXPECT_EQ(writer.Report(EVENTLOG_ERROR_TYPE, 0, 100, nullptr, 0, 0, nullptr, nullptr), HRESULT_FROM_WIN32(3));
}

TEST_F(DiagnosticsTest, ReadsStringsOfAnyLengthWithAndWithoutExpansion) {
  const std::string long_value(700, 'v');  // 2800 bytes as wide text
  WriteFile(registry_, "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Halvern]\r\n\"Long\"=\"" + long_value +
                "%EXTRACTOR_TEST_TAIL%\"\r\n"
                "\"Edges\"=\"%EXTRACTOR_TEST_UNSET%x-100%%-50%\"\r\n");
  setenv("EXTRACTOR_TEST_TAIL", "END", 1);
  unsetenv("EXTRACTOR_TEST_UNSET");
  CRegistryKey key(true);
  CBstr text(L"unchanged");
  EXPECT_EQ(key.GetString(L"Missing", text, true, false), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(std::wstring(text.c_str()), L"unchanged");
  EXPECT_EQ(key.GetString(L"Long", text, true, false), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text.c_str()), std::wstring(700, L'v') + L"%EXTRACTOR_TEST_TAIL%");
  EXPECT_EQ(key.GetString(L"Long", text, true, true), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text.c_str()), std::wstring(700, L'v') + L"END");
  // An unset variable and the empty name of "%%" give nothing; a lone "%" stays.
  EXPECT_EQ(key.GetString(L"Edges", text, true, true), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text.c_str()), L"x-100-50%");
}

}  // namespace
