#include "platform/eventlog/message_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/eventlog/last_error.h"

namespace {

constexpr std::size_t kNoLimit = 1 << 20;

// The formatted text, or "error N".
std::wstring Text(std::wstring_view text, std::vector<LPCWSTR> arguments = {}, bool ignore_line_breaks = false,
                  bool ignore_inserts = false) {
  arguments.push_back(nullptr);
  eventlog::MessageFormatOptions options;
  options.ignore_line_breaks = ignore_line_breaks;
  options.ignore_inserts = ignore_inserts;
  options.arguments = arguments.data();
  std::wstring out;
  LONG result = eventlog::FormatMessageText(text, options, kNoLimit, &out);
  return result == ERROR_SUCCESS ? out : L"error " + std::to_wstring(result);
}

TEST(MessageFormatTest, EscapesStandForTheirCharacters) {
  EXPECT_EQ(Text(L"100%% sure%. %!%t%rx% y"), L"100% sure. !\t\rx y");
  EXPECT_EQ(Text(L"a%qb, cut%0 never shown"), L"aqb, cut");
  EXPECT_EQ(Text(L"one%ntwo %"), L"one\r\ntwo ");
}

TEST(MessageFormatTest, LineBreaksAreKeptOrBecomeBlanksWithTheMaximumWidth) {
  const std::wstring compiled = L"first line\r\nsecond\nthird\r\n";
  EXPECT_EQ(Text(compiled), compiled);
  EXPECT_EQ(Text(compiled, {}, true), L"first line second third");
  // A hard line break survives, also at the start and the end.
  EXPECT_EQ(Text(L"%nFor more information, click: %1\r\n", {L"http://help.example/"}, true),
            L"\r\nFor more information, click: http://help.example/");
}

TEST(MessageFormatTest, InsertsTakeNumberedArgumentsWithStringFormats) {
  std::vector<LPCWSTR> ten = {L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h", L"i", L"j"};
  EXPECT_EQ(Text(L"%2-%1-%10-%100", ten), L"b-a-j-j0");
  EXPECT_EQ(Text(L"[%1!5s!][%1!-5s!][%2!.2s!][%2!ls!][%2!6.3ws!]", {L"ab", L"wxyz"}),
            L"[   ab][ab   ][wx][wxyz][   wxy]");
  // An inserted text is taken as it is, never scanned for escapes.
  EXPECT_EQ(Text(L"%1 %2", {L"%2%n", L"x"}), L"%2%n x");
}

TEST(MessageFormatTest, InsertsWithoutTheirArgumentOrWithANonStringFormatFailUnlessIgnored) {
  for (const wchar_t* insert : {L"%2", L"%1!d!", L"%1!*s!", L"%1!s"}) {
    EXPECT_EQ(Text(insert, {L"5"}), L"error 87") << insert;
  }

  EXPECT_EQ(Text(L"%1 and %12!-3s! and %3!x%n", {}, false, true), L"%1 and %12!-3s! and %3!x\r\n");
}

TEST(MessageFormatTest, AWidthBeyondTheLimitFailsAtOnce) {
  const LPCWSTR arguments[] = {L"abc", nullptr};
  eventlog::MessageFormatOptions options;
  options.arguments = arguments;
  std::wstring out;
  // A width of a billion fails at once instead of padding.
  EXPECT_EQ(eventlog::FormatMessageText(L"%1!1000000000s!", options, 100, &out), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_TRUE(out.empty());
}

}  // namespace
