#include "platform/eventlog/message_library.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/codepage/codepage.h"
#include "platform/eventlog/last_error.h"
#include "platform/eventlog/message_format.h"
#include "platform/eventlog/message_table.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::WriteFile;

// Header lists spanning lines, sticky severity and facility, numbering by
// "+N" and by the previous message, two languages and comments.
const char kMessageFile[] =
    "; Messages of the test source\r\n"
    "MessageIdTypedef=DWORD\r\n"
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
    "               Warning = 0x2 : STATUS_SEVERITY_WARNING\r\n"
    "               Error=0x3:STATUS_SEVERITY_ERROR)\r\n"
    "LanguageNames=(English=0x409:MSG00409 German=0x407:MSG00407)\r\n"
    "\r\n"
    "MessageId=100\r\n"
    "SymbolicName=MSG_EXCEPTION\r\n"
    "Language=English\r\n"
    "Exception in %1;\r\n"
    "line %2.\r\n"
    ".\r\n"
    "Language=German\r\n"
    "Ausnahme in %1\r\n"
    ".\r\n"
    "MessageId=+5\r\n"
    "Severity=Error\r\n"
    "Facility=Application\r\n"
    "Language=English\r\n"
    "%nFor more information, click: %1\r\n"
    ".\r\n"
    "messageid=\n"
    "language=english\n"
    "   indented text stays\n"
    "  .  \n";

class MessageLibraryTest : public ::testing::Test {
 protected:
  std::wstring Path(const std::string& name) { return codepage::Utf8ToWide(folder_ / name); }

  HMODULE Load(const std::string& bytes) {
    WriteFile(folder_ / "messages.mc", bytes);
    return LoadLibraryW(Path("messages.mc").c_str());
  }

  // The message as the event log's reader asks for it: the maximum width and
  // the arguments as an array.
  std::wstring Message(HMODULE module, DWORD id, DWORD language, const std::vector<LPCWSTR>& arguments, DWORD* error) {
    std::vector<LPCWSTR> terminated = arguments;
    terminated.push_back(nullptr);
    wchar_t buffer[512];
    SetLastError(ERROR_SUCCESS);
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_MAX_WIDTH_MASK |
                                      FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                  module, id, language, buffer, 511, terminated.data());
    *error = GetLastError();
    return std::wstring(buffer, length);
  }

  TempFolder folder_;
};

TEST_F(MessageLibraryTest, NumbersMessagesAsTheMessageCompilerDoes) {
  HMODULE module = Load(kMessageFile);
  ASSERT_NE(module, nullptr) << GetLastError();
  DWORD error = 0;
  EXPECT_EQ(Message(module, 100, 0x400, {L"a.cc", L"85"}, &error), L"Exception in a.cc; line 85.");
  EXPECT_EQ(Message(module, 100, 0x407, {L"a.cc"}, &error), L"Ausnahme in a.cc");
  EXPECT_EQ(Message(module, 100, 0x40C, {L"a.cc"}, &error), L"");
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));

  // Error severity in the top bits, the Application facility below them.
  EXPECT_EQ(Message(module, 105, 0, {L"http://help/"}, &error), L"");
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
  EXPECT_EQ(Message(module, 0xCFFF0069, 0, {L"http://help/"}, &error), L"\r\nFor more information, click: http://help/");
  // Severity and facility carry over; an empty MessageId is the next number.
  EXPECT_EQ(Message(module, 0xCFFF006A, 0, {}, &error), L"   indented text stays");
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(MessageLibraryTest, RefusesWhatIsNotAMessageFile) {
  const char* malformed[] = {
      "just some text\r\n",
      "MessageId=1\r\nLanguage=English\r\nx\r\n.\r\nMessageId=1\r\nLanguage=English\r\ny\r\n.\r\n",
      "MessageId=1\r\nLanguage=English\r\nthe text never ends\r\n",
  };
  for (const char* bytes : malformed) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(Load(bytes), nullptr) << bytes;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << bytes;
  }

  EXPECT_EQ(LoadLibraryW(Path("missing.mc").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  // A named pipe without a writer would block a reader forever.
  ASSERT_EQ(mkfifo((folder_ / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(LoadLibraryW(Path("pipe").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

TEST_F(MessageLibraryTest, ReportsTooSmallBuffersTooLongTextsAndUnofferedFlags) {
  HMODULE module = Load("MessageId=1\nLanguage=English\nx-%1\n.\n"
                        "MessageId=2\nLanguage=English\n%1!65535s!\n.\n"
                        "MessageId=3\nLanguage=English\n%1!65536s!\n.\n");
  ASSERT_NE(module, nullptr);
  const LPCWSTR arguments[] = {L"abc", nullptr};
  const DWORD flags = FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_MAX_WIDTH_MASK | FORMAT_MESSAGE_ARGUMENT_ARRAY;
  std::vector<wchar_t> buffer(2 * kLongestFormattedMessage);
  // "x-abc" and its terminator need six characters.
  EXPECT_EQ(FormatMessageW(flags, module, 1, 0, buffer.data(), 6, arguments), 5u);
  EXPECT_EQ(std::wstring(buffer.data()), L"x-abc");
  EXPECT_EQ(FormatMessageW(flags, module, 1, 0, buffer.data(), 5, arguments), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  // Beyond the longest message: more data, whatever the buffer.
  const DWORD size = static_cast<DWORD>(buffer.size());
  EXPECT_EQ(FormatMessageW(flags, module, 2, 0, buffer.data(), size, arguments), kLongestFormattedMessage);
  EXPECT_EQ(FormatMessageW(flags, module, 3, 0, buffer.data(), size, arguments), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
  FreeLibrary(module);
}

}  // namespace
