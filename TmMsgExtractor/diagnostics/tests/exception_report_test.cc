#include "TmMsgExtractor/diagnostics/exception_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <string>

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
  EXPECT_EQ(event[0], "TmMsgExtractor\\diagnostics\\tests\\exception_report_test");
  EXPECT_EQ(event[1] + " " + event[2], "85 80004005H");
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

  // Innermost first: the stack walk itself is left out, the report comes first.
  EXPECT_TRUE(std::regex_search(stack, std::regex("^\r\n0x[0-9A-F]{8,16} [^\r\n]+: ReportException\\(")))
      << stack;
  EXPECT_EQ(stack.find("GetStackTrace"), std::string::npos);
  // The outermost frame, the process's entry point, is left out.
  EXPECT_EQ(stack.find(": _start + "), std::string::npos);
  EXPECT_TRUE(stack.ends_with("\r\n"));

  const std::regex this_frame(
      "0x[0-9A-F]{8,16} exception_report_test: [^\r\n]*TheStackNamesTheCallingFunctionWithItsSourceLine_Test::"
      "TestBody\\(\\) \\+ [0-9]+ bytes\r\n\t\t[^\r\n]*/exception_report_test\\.cc, Line ([0-9]+)\r\n");
  std::smatch frame;
  ASSERT_TRUE(std::regex_search(stack, frame, this_frame)) << stack;
  EXPECT_EQ(std::stoi(frame[1]), call_line) << stack;
}

}  // namespace
