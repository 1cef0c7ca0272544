#include "TmMsgExtractor/diagnostics/trace_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/tests/log_manager_lines.h"
#include "korvel/logmgr/logmgr.h"
#include "platform/com/runtime.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::ReadFile;
using korvel::test::WriteFile;

class TraceLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KORVEL_REGISTRY", (folder_ / "registry.reg").c_str(), 1);
    WriteFile(folder_ / "registry.reg", TestRegistry(manager_file_));
    korvel::logmgr::RegisterClasses();
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
  }
  void TearDown() override { CoUninitialize(); }

  std::vector<LogManagerLine> ManagerLines() const { return ReadLogManagerLines(manager_file_); }
  // Opens the extraction log and writes `message` with LogMessage.
  void LogToFile(CTraceLog& log, const std::string& path, const wchar_t* message) {
    ASSERT_EQ(log.OpenLogFile(FromSystemText(path).c_str()), S_OK);
    testing::internal::CaptureStdout();
    log.LogMessage(LOG_LEVEL_INFO, message);
    console_ += testing::internal::GetCapturedStdout();
  }

  TempFolder folder_;
  const std::string manager_file_ = folder_ / "QoLogMgr.log";
  const std::string log_path_ = folder_ / "MsgExtraction.log";
  std::string console_;
};

TEST_F(TraceLogTest, NothingIsTracedWithoutAStartedLogManager) {
  CTraceLog early;
  EXPECT_EQ(early.Trace(LOG_LEVEL_ERROR, L"early %d", 1), static_cast<HRESULT>(0x80042516));
  EXPECT_TRUE(ManagerLines().empty());

  WriteFile(folder_ / "registry.reg", TestRegistry(folder_ / "no-such-folder/QoLogMgr.log"));
  CTraceLog log;
  EXPECT_EQ(log.Initialize(nullptr, L"MsgExtractor", nullptr), E_FAIL);
  EXPECT_EQ(log.Trace(LOG_LEVEL_INFO, L"x"), E_LOG_NOT_INITIALIZED);
}

TEST_F(TraceLogTest, MessagesReachEveryOutletWholeAndTheLogFileIsFramedAndAppended) {
  WriteFile(log_path_, "old content\r\n");
  for (const std::wstring& message : {std::wstring(1500, L'x'), std::wstring(L"Mailuser caf\u00E9 done\n")}) {
    CTraceLog log;
    ASSERT_EQ(log.Initialize(nullptr, L"MsgExtractor", nullptr), S_OK);
    LogToFile(log, log_path_, message.c_str());
    log.Trace(LOG_LEVEL_METHOD, L"only %s", L"here");
  }
  EXPECT_TRUE(console_.starts_with(std::string(1500, 'x') + "\nMailuser caf")) << console_;
  // The log manager's lines are cut at 1024 characters; traces reach only it.
  const std::vector<LogManagerLine> lines = ManagerLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].module, "MsgExtractor");
  EXPECT_EQ(lines[0].level, LOG_LEVEL_INFO);
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

HRESULT TracedMethod(bool fail) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CTest::TracedMethod()", hr);
  if (fail) {
    hr = E_INVALIDARG;
    TraceFailedCall(L"spThing->Call()", hr);
  }
  return hr;
}

TEST_F(TraceLogTest, MethodTracesReachTheLogManagerOnly) {
  ASSERT_EQ(g_TraceLog.Initialize(nullptr, L"MsgExtractor", nullptr), S_OK);
  testing::internal::CaptureStdout();
  EXPECT_EQ(TracedMethod(false), S_OK);
  EXPECT_EQ(TracedMethod(true), E_INVALIDARG);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  g_TraceLog.Uninitialize();
  const std::vector<LogManagerLine> lines = ManagerLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text, "Method < CTest::TracedMethod() > Entry");
  EXPECT_EQ(lines[0].level, LOG_LEVEL_METHOD);
  EXPECT_EQ(lines[1].text, "Method < CTest::TracedMethod() > Exit Return:0x00000000 ");
  EXPECT_EQ(lines[3].text, "spThing->Call() returned 0x80070057");
  EXPECT_EQ(lines[3].level, LOG_LEVEL_ERROR);
  EXPECT_EQ(lines[4].text, "Method < CTest::TracedMethod() > Exit Return:0x80070057 ");
}

}  // namespace
