#include "TmMsgExtractor/diagnostics/trace_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <string>

#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/tests/log_manager_lines.h"
#include "TmMsgExtractor/diagnostics/tests/temp_folder.h"
#include "korvel/logmgr/logmgr.h"
#include "platform/com/runtime.h"

namespace {

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

  TempFolder folder_;
  const std::string manager_file_ = folder_ / "QoLogMgr.log";
};

TEST_F(TraceLogTest, NothingIsWrittenBeforeInitialize) {
  CTraceLog log;
  EXPECT_EQ(log.Trace(LOG_LEVEL_ERROR, L"early %d", 1), static_cast<HRESULT>(0x80042516));
  EXPECT_EQ(E_LOG_NOT_INITIALIZED, static_cast<HRESULT>(0x80042516));
  EXPECT_TRUE(ManagerLines().empty());
}

TEST_F(TraceLogTest, TracesReachTheLogManagerCutAt1024WhileMessagesStayWhole) {
  const std::string log_path = folder_ / "MsgExtraction.log";
  const std::wstring long_text(1500, L'x');
  {
    CTraceLog log;
    ASSERT_EQ(log.Initialize(nullptr, L"MsgExtractor", nullptr), S_OK);
    EXPECT_TRUE(log.IsRegistered());
    EXPECT_EQ(log.Initialize(nullptr, L"Other", nullptr), S_OK);
    ASSERT_EQ(log.OpenLogFile(FromSystemText(log_path).c_str()), S_OK);
    testing::internal::CaptureStdout();
    log.LogMessage(LOG_LEVEL_INFO, long_text.c_str());
    log.Trace(LOG_LEVEL_METHOD, L"only %s", L"here");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(1500, 'x') + "\n");
  }
  const std::vector<LogManagerLine> lines = ManagerLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].module, "MsgExtractor");
  EXPECT_EQ(lines[0].level, LOG_LEVEL_INFO);
  EXPECT_EQ(lines[0].text, std::string(1024, 'x'));
  EXPECT_EQ(lines[1].level, LOG_LEVEL_METHOD);
  EXPECT_EQ(lines[1].text, "only here");

  const std::string file = ReadFile(log_path);
  EXPECT_NE(file.find("\r\n" + std::string(1500, 'x') + "\r\n"), std::string::npos);
  EXPECT_EQ(file.find("only here"), std::string::npos);
}

TEST_F(TraceLogTest, FramesTheLogFileAndAppendsInTheAnsiCodePageWithCrLf) {
  const std::string log_path = folder_ / "MsgExtraction.log";
  WriteFile(log_path, "old content\r\n");
  for (const wchar_t* message : {L"first caf\u00E9", L"Mailuser bob done\n"}) {
    CTraceLog log;
    ASSERT_EQ(log.Initialize(nullptr, L"MsgExtractor", nullptr), S_OK);
    ASSERT_EQ(log.OpenLogFile(FromSystemText(log_path).c_str()), S_OK);
    testing::internal::CaptureStdout();
    log.LogMessage(LOG_LEVEL_INFO, message);
    testing::internal::GetCapturedStdout();
  }
  const std::string time = "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]";
  const std::regex framed("old content\r\n"
                          "\r\n\r\nLogFile Started at " + time + " \r\n"
                          "first caf\xE9\r\n"
                          "LogFile closed at " + time + " \r\n"
                          "\r\n\r\nLogFile Started at " + time + " \r\n"
                          "Mailuser bob done\r\n\r\n"
                          "LogFile closed at " + time + " \r\n");
  EXPECT_TRUE(std::regex_match(ReadFile(log_path), framed)) << ReadFile(log_path);
}

TEST_F(TraceLogTest, ASecondLogFileClosesTheFirstWithItsClosingLine) {
  const std::string first = folder_ / "first.log";
  const std::string second = folder_ / "second.log";
  {
    CTraceLog log;
    ASSERT_EQ(log.OpenLogFile(FromSystemText(first).c_str()), S_OK);
    ASSERT_EQ(log.OpenLogFile(FromSystemText(second).c_str()), S_OK);
  }
  EXPECT_NE(ReadFile(first).find("LogFile closed at "), std::string::npos);
  EXPECT_NE(ReadFile(second).find("LogFile closed at "), std::string::npos);
}

TEST_F(TraceLogTest, AnUnopenableLogFileIsTracedWithTheSystemError) {
  CTraceLog log;
  ASSERT_EQ(log.Initialize(nullptr, L"MsgExtractor", nullptr), S_OK);
  const std::string path = folder_ / "missing-folder/MsgExtraction.log";
  EXPECT_EQ(log.OpenLogFile(FromSystemText(path).c_str()), E_FAIL);
  EXPECT_FALSE(log.IsLogFileOpen());
  const std::vector<LogManagerLine> lines = ManagerLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].level, LOG_LEVEL_ERROR);
  EXPECT_EQ(lines[0].text, "Failed to open log file " + path + ". GetLastError():2");
}

TEST_F(TraceLogTest, InitializeFailsWhenTheLogManagerCannotStart) {
  WriteFile(folder_ / "registry.reg", TestRegistry(folder_ / "no-such-folder/QoLogMgr.log"));
  CTraceLog log;
  EXPECT_EQ(log.Initialize(nullptr, L"MsgExtractor", nullptr), E_FAIL);
  EXPECT_FALSE(log.IsInitialized());
  EXPECT_EQ(log.Trace(LOG_LEVEL_INFO, L"x"), E_LOG_NOT_INITIALIZED);
}

// The method trace convention, on the process's trace log.
class MethodTraceTest : public TraceLogTest {
 protected:
  void SetUp() override {
    TraceLogTest::SetUp();
    ASSERT_EQ(g_TraceLog.Initialize(nullptr, L"MsgExtractor", nullptr), S_OK);
  }
  void TearDown() override {
    g_TraceLog.Uninitialize();
    TraceLogTest::TearDown();
  }
};

HRESULT TracedMethod(int what) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CTest::TracedMethod()", hr);
  try {
    if (what == 1) {
      hr = E_INVALIDARG;
      TraceFailedCall(L"spThing->Call()", hr);
      return hr;
    }
    if (what == 2) throw E_OUTOFMEMORY;
    if (what == 3) throw std::runtime_error("not an error code");
  } catch (...) {
    hr = ReportCaughtException(L"TmMsgExtractor\\Test", 85);
  }
  return hr;
}

TEST_F(MethodTraceTest, WritesEntryExitAndFailedCallsToTheLogManagerOnly) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(TracedMethod(0), S_OK);
  EXPECT_EQ(TracedMethod(1), E_INVALIDARG);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  const std::vector<LogManagerLine> lines = ManagerLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text, "Method < CTest::TracedMethod() > Entry");
  EXPECT_EQ(lines[0].level, LOG_LEVEL_METHOD);
  EXPECT_EQ(lines[1].text, "Method < CTest::TracedMethod() > Exit Return:0x00000000 ");
  EXPECT_EQ(lines[3].text, "spThing->Call() returned 0x80070057");
  EXPECT_EQ(lines[3].level, LOG_LEVEL_ERROR);
  EXPECT_EQ(lines[4].text, "Method < CTest::TracedMethod() > Exit Return:0x80070057 ");
}

TEST_F(MethodTraceTest, CaughtExceptionsAreReportedAndReturned) {
  EXPECT_EQ(TracedMethod(2), E_OUTOFMEMORY);
  EXPECT_EQ(TracedMethod(3), E_FAIL);
  std::vector<std::string> diagnostics;
  std::vector<std::string> exits;
  for (const LogManagerLine& line : ManagerLines()) {
    if (!line.diagnostic.empty()) diagnostics.push_back(line.diagnostic + " " + line.args);
    if (line.text.find("Exit") != std::string::npos) exits.push_back(line.text);
  }
  EXPECT_EQ(diagnostics, (std::vector<std::string>{"Exception caught TmMsgExtractor\\Test 85 8007000eH [-1,-1,-1]",
                                                   "Exception caught TmMsgExtractor\\Test 85 80004005H [-1,-1,-1]"}));
  EXPECT_EQ(exits, (std::vector<std::string>{"Method < CTest::TracedMethod() > Exit Return:0x8007000E ",
                                             "Method < CTest::TracedMethod() > Exit Return:0x80004005 "}));
}

}  // namespace
