#include "platform/eventlog/event_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "platform/eventlog/last_error.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::ReadFile;

class EventLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_file_ = folder_ / "events.jsonl";
    setenv("KORVEL_EVENT_LOG", log_file_.c_str(), 1);
  }
  void TearDown() override { unsetenv("KORVEL_EVENT_LOG"); }

  TempFolder folder_;
  std::string log_file_;
};

// The line after its time, which is checked separately.
std::string WithoutTime(const std::string& line) {
  static const std::regex kTime(R"(^\{"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z",)");
  EXPECT_TRUE(std::regex_search(line, kTime)) << line;
  return std::regex_replace(line, kTime, "{");
}

TEST_F(EventLogTest, AnEventIsOneJsonLineWithEveryStringEscaped) {
  HANDLE log = OpenEventLogW(nullptr, L"Source \"Q\"");
  ASSERT_NE(log, nullptr);
  const wchar_t lone_surrogate[] = {L'a', static_cast<wchar_t>(0xD800), L'\0'};
  LPCWSTR strings[] = {L"C:\\src\\a.cc", L"85", L"line\r\n\t\ttab \x01 \"quoted\"", L"Caf\u00e9 \U0001F600",
                       lone_surrogate, nullptr};
  const unsigned char data[] = {0x00, 0xAB, 0x7F};
  ASSERT_TRUE(ReportEventW(log, EVENTLOG_ERROR_TYPE, 3, 100, nullptr, 6, sizeof data, strings,
                           const_cast<unsigned char*>(data)));
  ASSERT_TRUE(ReportEventW(log, EVENTLOG_INFORMATION_TYPE, 0, 0xC0000064, nullptr, 0, 0, nullptr, nullptr));
  EXPECT_TRUE(CloseEventLog(log));

  const std::string text = ReadFile(log_file_);
  const std::size_t first_end = text.find('\n');
  ASSERT_NE(first_end, std::string::npos);
  EXPECT_EQ(WithoutTime(text.substr(0, first_end)),
            "{\"source\":\"Source \\\"Q\\\"\",\"type\":1,\"category\":3,\"event\":100,\"strings\":["
            "\"C:\\\\src\\\\a.cc\",\"85\",\"line\\r\\n\\t\\ttab \\u0001 \\\"quoted\\\"\","
            "\"Caf\xC3\xA9 \xF0\x9F\x98\x80\",\"a\xEF\xBF\xBD\",\"\"],\"data\":\"00ab7f\"}");
  EXPECT_EQ(WithoutTime(text.substr(first_end + 1)),
            "{\"source\":\"Source \\\"Q\\\"\",\"type\":4,\"category\":0,\"event\":3221225572,\"strings\":[]}\n");
}

TEST_F(EventLogTest, AnUnwritableFileOrTooFewStringsFailTheReport) {
  HANDLE log = OpenEventLogW(L".", L"NorvaneKorvel_QoTm");
  ASSERT_NE(log, nullptr);
  EXPECT_FALSE(ReportEventW(log, EVENTLOG_ERROR_TYPE, 0, 100, nullptr, 2, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  setenv("KORVEL_EVENT_LOG", (folder_ / "missing/events.jsonl").c_str(), 1);
  EXPECT_FALSE(ReportEventW(log, EVENTLOG_ERROR_TYPE, 0, 100, nullptr, 0, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(CloseEventLog(log));
  EXPECT_FALSE(std::filesystem::exists(log_file_));
}

}  // namespace
