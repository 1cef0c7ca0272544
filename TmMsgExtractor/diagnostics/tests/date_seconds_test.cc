#include "TmMsgExtractor/diagnostics/date_seconds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/com/automation_date.h"

namespace {

DATE Date(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  SYSTEMTIME fields{year, month, 0, day, hour, minute, second, 0};
  DATE date = 0;
  EXPECT_TRUE(SystemTimeToVariantTime(&fields, &date));
  return date;
}

TEST(DateToSeconds, CoversExactlyTheThirtyTwoBitSpanAndCountsLeapDays) {
  EXPECT_EQ(DateToSeconds(Date(1970, 1, 1)), 0);
  EXPECT_EQ(DateToSeconds(Date(2038, 1, 19, 3, 14, 7)), 2147483647);
  EXPECT_EQ(DateToSeconds(Date(2038, 1, 19, 3, 14, 8)), -1);
  EXPECT_EQ(DateToSeconds(Date(1969, 12, 31, 23, 59, 59)), -1);
  EXPECT_EQ(DateToSeconds(Date(1969, 7, 20, 20, 17, 40)), -1);
  EXPECT_EQ(DateToSeconds(Date(1899, 12, 30)), -1);
  EXPECT_EQ(DateToSeconds(Date(2000, 3, 1)), 951868800);
  EXPECT_EQ(DateToSeconds(Date(2024, 2, 29, 12, 0, 0)), 1709208000);
  EXPECT_THROW(DateToSeconds(std::nan("")), HRESULT);
}

TEST(FormatSeconds, PrintsTheFieldsInEnglishWithoutZoneConversion) {
  auto header_date = [](LONG seconds) {
    return std::wstring(FormatSeconds(seconds, L"%a, %d %b %Y %H:%M:%S GMT").c_str());
  };
  EXPECT_EQ(header_date(0), L"Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(header_date(DateToSeconds(Date(2007, 3, 9, 17, 5, 42))), L"Fri, 09 Mar 2007 17:05:42 GMT");
  EXPECT_EQ(header_date(-1), L"");
  EXPECT_TRUE(FormatSeconds(0, std::wstring(200, L'x').c_str()).IsEmpty());
}

}  // namespace
