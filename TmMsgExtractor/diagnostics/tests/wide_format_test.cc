#include "TmMsgExtractor/diagnostics/wide_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(WideFormat, LowerSIsWideUpperSIsAnsiAndNullIsTheNullText) {
  EXPECT_EQ(FormatWide(L"[%s|%S]", L"caf\u00E9 \u20AC", "caf\xE9 \x80"), L"[caf\u00E9 \u20AC|caf\u00E9 \u20AC]");
  EXPECT_EQ(FormatWide(L"<%s><%S>", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)),
            L"<(null)><(null)>");
}

TEST(WideFormat, WritesCodesAndCountsAsTheLogLinesShowThemWithoutALengthLimit) {
  EXPECT_EQ(FormatWide(L"%s returned 0x%08x", L"pZadMsg->get_Sender()", static_cast<std::int32_t>(0x80004005)),
            L"pZadMsg->get_Sender() returned 0x80004005");
  EXPECT_EQ(FormatWide(L"Exit Return:0x%08X VT=0x%X, %d of %d", 0x1AB, 8, -3, 12),
            L"Exit Return:0x000001AB VT=0x8, -3 of 12");
  EXPECT_EQ(FormatWide(L"%5000d", 7).size(), 5000u);
  EXPECT_EQ(FormatWide(L"100%% done, ends in %"), L"100% done, ends in %");
  EXPECT_EQ(FormatWide(nullptr), L"");
  // %n stores nothing but keeps the arguments after it in line.
  int count = -1;
  EXPECT_EQ(FormatWide(L"ab%n%d", &count, 42), L"ab42");
  EXPECT_EQ(count, -1);
}

}  // namespace
