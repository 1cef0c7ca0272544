#include "TmMsgExtractor/diagnostics/wide_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(WideFormat, LowerSIsWideUpperSIsAnsiAndNullIsTheNullText) {
  EXPECT_EQ(FormatWide(L"[%s|%S]", L"caf\u00E9 \u20AC", "caf\xE9 \x80"), L"[caf\u00E9 \u20AC|caf\u00E9 \u20AC]");
  EXPECT_EQ(FormatWide(L"%hs %ls %ws %lS", "a", L"b", L"c", L"d"), L"a b c d");
  EXPECT_EQ(FormatWide(L"%c%C%lc", L'\u00E9', 'x', L'y'), L"\u00E9xy");
  EXPECT_EQ(FormatWide(L"<%s><%S>", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)),
            L"<(null)><(null)>");
}

TEST(WideFormat, IntegersOfEverySizeAsTheLogLinesShowThem) {
  EXPECT_EQ(FormatWide(L"%s returned 0x%08x", L"pZadMsg->get_Sender()", static_cast<std::int32_t>(0x80004005)),
            L"pZadMsg->get_Sender() returned 0x80004005");
  EXPECT_EQ(FormatWide(L"Exit Return:0x%08X ", 0x1AB), L"Exit Return:0x000001AB ");
  EXPECT_EQ(FormatWide(L"%d of %i, %u, %o, %X", -3, 12, 4000000000u, 8, 255), L"-3 of 12, 4000000000, 10, FF");
  EXPECT_EQ(FormatWide(L"%ld %I32d", static_cast<std::int32_t>(-7), 9), L"-7 9");
  EXPECT_EQ(FormatWide(L"%I64d %lld %hd", static_cast<long long>(-5000000000), 1LL << 40, 70000),
            L"-5000000000 1099511627776 4464");
}

TEST(WideFormat, WidthPrecisionAndFlagsWithoutALengthLimit) {
  EXPECT_EQ(FormatWide(L"[%5s][%-5s][%.2s][%*s][%-*d][%.*S]", L"ab", L"ab", L"abcdef", 4, L"z", 3, 7, 1, "xyz"),
            L"[   ab][ab   ][ab][   z][7  ][x]");
  EXPECT_EQ(FormatWide(L"[%*s]", -3, L"a"), L"[a  ]");
  EXPECT_EQ(FormatWide(L"[%+d][% d][%#x][%05.1f][%e]", 5, 5, 255, 3.14159, 1.5), L"[+5][ 5][0xff][003.1][1.500000e+00]");
  EXPECT_EQ(FormatWide(L"%5000d", 7).size(), 5000u);
}

TEST(WideFormat, OddConversionsAreHarmless) {
  EXPECT_EQ(FormatWide(L"100%% done, ends in %"), L"100% done, ends in %");
  EXPECT_EQ(FormatWide(L"%y%d", 4), L"%y4");
  EXPECT_EQ(FormatWide(nullptr), L"");
  // %n stores nothing but keeps the arguments after it in line.
  int count = -1;
  EXPECT_EQ(FormatWide(L"ab%n%d", &count, 42), L"ab42");
  EXPECT_EQ(count, -1);
}

}  // namespace
