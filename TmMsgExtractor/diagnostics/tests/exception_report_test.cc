// Exception reports in the event log, and the message module that gives their
// texts.
#include "TmMsgExtractor/diagnostics/exception_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <string>

#include "TmMsgExtractor/diagnostics/event_log_writer.h"
#include "TmMsgExtractor/diagnostics/message_module.h"
#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/tests/log_manager_lines.h"
#include "korvel/logmgr/logmgr.h"
#include "korvel/sample/event_messages.h"
#include "platform/com/runtime.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::WriteFile;

constexpr wchar_t kUnit[] = L"TmMsgExtractor\\diagnostics\\tests\\exception_report_test";

// A traced method as the extractor writes them, whose body throws `thrown`.
template <typename Thrown>
HRESULT TracedMethodThrowing(Thrown thrown) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"ExceptionReportTest::TracedMethodThrowing()", hr);
  try {
    throw thrown;
  } catch (...) {
    hr = ReportCaughtException(kUnit, 85);
  }
  return hr;
}

class ExceptionReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KORVEL_REGISTRY", registry_.c_str(), 1);
    setenv("KORVEL_EVENT_LOG", events_.c_str(), 1);
    setenv("EXCEPTION_REPORT_TEST_DIR", folder_.path().c_str(), 1);
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

  // The log manager's file, the event source's message files and, when
  // given, the help server.
  void WriteRegistry(const std::string& help_server) {
    WriteFile(registry_, TestRegistry(manager_file_) +
                             (help_server.empty() ? "" : "\"Help Web Server\"=\"" + help_server + "\"\r\n") +
                             EventSourceKey(message_file_, message_file_));
  }
  // The event source's message file, as the installation names it, and
  // `category_file`.
  void RegisterCategoryFile(const std::string& category_file) {
    WriteFile(registry_, TestRegistry(manager_file_) +
                             EventSourceKey("%EXCEPTION_REPORT_TEST_DIR%/QoTmEventMessages.mc", category_file));
  }
  std::vector<std::string> LastEvent() const { return ReadEventStrings(events_).back(); }

  TempFolder folder_;
  const std::string registry_ = folder_ / "registry.reg";
  const std::string events_ = folder_ / "events.jsonl";
  const std::string manager_file_ = folder_ / "QoLogMgr.log";
  const std::string message_file_ = folder_ / "QoTmEventMessages.mc";
};

// The help link cache lives for the process, so its whole story is one test.
TEST_F(ExceptionReportTest, TheHelpLinkIsTriedUntilBuiltAndThenReused) {
  ReportException(kUnit, 85, E_FAIL);
  std::vector<std::string> event = LastEvent();
  ASSERT_EQ(event.size(), 5u);
  EXPECT_EQ(event[0] + " " + event[1] + " " + event[2],
            "TmMsgExtractor\\diagnostics\\tests\\exception_report_test 85 80004005H");
  EXPECT_EQ(event[3].substr(0, 4), "\r\n0x");
  EXPECT_EQ(event[4], "");

  WriteRegistry("http://help.example/");
  ReportException(kUnit, 86, E_FAIL);
  const std::string link = "\r\nFor more information, click: http://help.example/";
  EXPECT_EQ(LastEvent().at(4), link);

  // Built once: neither the address nor the message file is read again.
  WriteRegistry("http://elsewhere.example/");
  std::remove(message_file_.c_str());
  ReportException(kUnit, 87, E_FAIL);
  EXPECT_EQ(LastEvent().at(1), "87");
  EXPECT_EQ(LastEvent().at(4), link);
}

TEST_F(ExceptionReportTest, AThrownCodeIsReturnedAndReportedInLowerCaseHexAnythingElseAsEFail) {
  EXPECT_EQ(TracedMethodThrowing(E_OUTOFMEMORY), MakeHresult(0x8007000E));
  EXPECT_EQ(LastEvent().at(2), "8007000eH");
  // The thrown value is the result even when it is not a failure.
  EXPECT_EQ(TracedMethodThrowing(S_FALSE), S_FALSE);
  EXPECT_EQ(LastEvent().at(2), "00000001H");
  EXPECT_EQ(TracedMethodThrowing(std::runtime_error("not an HRESULT")), E_FAIL);
  EXPECT_EQ(LastEvent().at(2), "80004005H");
  const LogManagerLine diagnostic = ReadLogManagerLines(manager_file_).back();
  EXPECT_EQ(diagnostic.diagnostic,
            "Exception caught TmMsgExtractor\\diagnostics\\tests\\exception_report_test 85 80004005H");
  EXPECT_EQ(diagnostic.args, "[-1,-1,-1]");
}

TEST_F(ExceptionReportTest, TheStackNamesTheCallingFunctionWithItsSourceLine) {
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
      "0x[0-9A-F]{8,16} exception_report_test: [^\r\n]*TheStackNamesTheCallingFunctionWithItsSourceLine_Test::"
      "TestBody\\(\\) \\+ [0-9]+ bytes\r\n\t\t[^\r\n]*/exception_report_test\\.cc, Line ([0-9]+)\r\n");
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

TEST_F(ExceptionReportTest, TheMessageModuleAnswersForCategoriesFromTheEventFileUnlessAnotherIsNamed) {
  RegisterCategoryFile("%EXCEPTION_REPORT_TEST_DIR%/QoTmEventMessages.mc");
  CMessageModule module(L"NorvaneKorvel_QoTm");
  EXPECT_TRUE(module.HasMessageModule());
  EXPECT_FALSE(module.HasCategoryModule());
  const std::wstring address(3000, L'a');  // longer than a first buffer
  const LPCWSTR arguments[] = {address.c_str(), nullptr};
  EXPECT_EQ(Text(module, 105, arguments, false), L"\r\nFor more information, click: " + address);
  EXPECT_EQ(Text(module, 105, arguments, true), L"\r\nFor more information, click: " + address);
  // Without arguments the insertion stays as written.
  EXPECT_EQ(Text(module, 105, nullptr, false), L"\r\nFor more information, click: %1");

  WriteFile(folder_ / "categories.mc", "MessageId=1\r\nLanguage=English\r\nExtraction\r\n.\r\n");
  RegisterCategoryFile("%EXCEPTION_REPORT_TEST_DIR%/categories.mc");
  CMessageModule categories(L"NorvaneKorvel_QoTm");
  EXPECT_TRUE(categories.HasCategoryModule());
  EXPECT_EQ(Text(categories, 1, nullptr, true), L"Extraction");
  HRESULT hr = S_OK;
  EXPECT_EQ(Text(categories, 1, nullptr, false, &hr), L"");
  EXPECT_EQ(hr, HRESULT_FROM_WIN32(317));
  // The comparison is of the texts: another spelling of the same file loads it again.
  RegisterCategoryFile("%EXCEPTION_REPORT_TEST_DIR%/./QoTmEventMessages.mc");
  EXPECT_TRUE(CMessageModule(L"NorvaneKorvel_QoTm").HasCategoryModule());
}

TEST_F(ExceptionReportTest, AnEventLogWriterThatCouldNotOpenFailsEveryReport) {
  CEventLogWriter nameless(nullptr, nullptr);
  EXPECT_EQ(nameless.LastError(), HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(nameless.Report(EVENTLOG_ERROR_TYPE, 0, 100, nullptr, 0, 0, nullptr, nullptr),
            HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE));
  setenv("KORVEL_EVENT_LOG", (folder_ / "missing/events.jsonl").c_str(), 1);
  CEventLogWriter writer(L"NorvaneKorvel_QoTm", nullptr);
  EXPECT_EQ(writer.Report(EVENTLOG_ERROR_TYPE, 0, 100, nullptr, 0, 0, nullptr, nullptr), HRESULT_FROM_WIN32(3));
}

}  // namespace
