#include "TmMsgExtractor/diagnostics/message_module.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TmMsgExtractor/diagnostics/event_log_writer.h"
#include "TmMsgExtractor/diagnostics/tests/log_manager_lines.h"
#include "korvel/sample/event_messages.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::WriteFile;

class MessageModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KORVEL_REGISTRY", (folder_ / "registry.reg").c_str(), 1);
    setenv("MESSAGE_MODULE_TEST_DIR", folder_.path().c_str(), 1);
    // The message file korvel-sample installs for the event source.
    WriteFile(folder_ / "events.mc", korvel_sample::EventMessageFileText());
    WriteFile(folder_ / "categories.mc", "MessageId=1\r\nLanguage=English\r\nExtraction\r\n.\r\n");
  }

  void Register(const std::string& event_file, const std::string& category_file) {
    WriteFile(folder_ / "registry.reg",
              "Windows Registry Editor Version 5.00\r\n" + EventSourceKey(event_file, category_file));
  }

  static std::wstring Text(const CMessageModule& module, DWORD id, const LPCWSTR* arguments, bool category,
                           HRESULT* result = nullptr) {
    CBstr text(L"stale");
    const HRESULT hr = module.GetMessageText(text, id, arguments, category);
    if (result != nullptr) *result = hr;
    return text.c_str();
  }

  TempFolder folder_;
};

TEST_F(MessageModuleTest, OneFileForBothRolesGivesNoSeparateCategoryModule) {
  Register("%MESSAGE_MODULE_TEST_DIR%/events.mc", "%MESSAGE_MODULE_TEST_DIR%/events.mc");
  CMessageModule module(L"NorvaneKorvel_QoTm");
  EXPECT_TRUE(module.HasMessageModule());
  EXPECT_FALSE(module.HasCategoryModule());
  const std::wstring address(3000, L'a');  // longer than a first buffer
  const LPCWSTR arguments[] = {address.c_str(), nullptr};
  EXPECT_EQ(Text(module, 105, arguments, false), L"\r\nFor more information, click: " + address);
  EXPECT_EQ(Text(module, 105, arguments, true), L"\r\nFor more information, click: " + address);
  // Without arguments the insertion stays as written.
  EXPECT_EQ(Text(module, 105, nullptr, false), L"\r\nFor more information, click: %1");
}

TEST_F(MessageModuleTest, ADifferentCategoryFileAnswersForCategories) {
  Register("%MESSAGE_MODULE_TEST_DIR%/events.mc", "%MESSAGE_MODULE_TEST_DIR%/categories.mc");
  CMessageModule module(L"NorvaneKorvel_QoTm");
  EXPECT_TRUE(module.HasCategoryModule());
  EXPECT_EQ(Text(module, 1, nullptr, true), L"Extraction");
  HRESULT hr = S_OK;
  EXPECT_EQ(Text(module, 1, nullptr, false, &hr), L"");
  EXPECT_EQ(hr, HRESULT_FROM_WIN32(317));

  // The comparison is of the texts: another spelling of the same file loads it again.
  Register("%MESSAGE_MODULE_TEST_DIR%/events.mc", "%MESSAGE_MODULE_TEST_DIR%/./events.mc");
  EXPECT_TRUE(CMessageModule(L"NorvaneKorvel_QoTm").HasCategoryModule());
}

TEST_F(MessageModuleTest, AnEventLogWriterThatCouldNotOpenFailsEveryReport) {
  CEventLogWriter nameless(nullptr, nullptr);
  EXPECT_EQ(nameless.LastError(), HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(nameless.Report(EVENTLOG_ERROR_TYPE, 0, 100, nullptr, 0, 0, nullptr, nullptr),
            HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE));
  setenv("KORVEL_EVENT_LOG", (folder_ / "missing/events.jsonl").c_str(), 1);
  CEventLogWriter writer(L"NorvaneKorvel_QoTm", nullptr);
  EXPECT_EQ(writer.Report(EVENTLOG_ERROR_TYPE, 0, 100, nullptr, 0, 0, nullptr, nullptr), HRESULT_FROM_WIN32(3));
  unsetenv("KORVEL_EVENT_LOG");
}

}  // namespace
