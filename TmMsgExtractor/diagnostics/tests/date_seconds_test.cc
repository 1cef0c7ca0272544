#include "TmMsgExtractor/diagnostics/date_seconds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/com/automation_date.h"
#include "platform/com/hresult.h"

namespace {

DATE Date(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  SYSTEMTIME fields{};
  fields.wYear = year;
  fields.wMonth = month;
  fields.wDay = day;
  fields.wHour = hour;
  fields.wMinute = minute;
  fields.wSecond = second;
  DATE date = 0;
  EXPECT_TRUE(SystemTimeToVariantTime(&fields, &date));
  return date;
}

std::wstring HeaderDate(LONG seconds) {
  const CBstr text = FormatSeconds(seconds, L"%a, %d %b %Y %H:%M:%S GMT");
  return text.c_str();
}

TEST(DateToSeconds, CoversExactlyTheThirtyTwoBitSpan) {
  EXPECT_EQ(DateToSeconds(Date(1970, 1, 1)), 0);
  EXPECT_EQ(DateToSeconds(Date(2038, 1, 19, 3, 14, 7)), 2147483647);
  EXPECT_EQ(DateToSeconds(Date(2038, 1, 19, 3, 14, 8)), -1);
  EXPECT_EQ(DateToSeconds(Date(2039, 6, 1)), -1);
  EXPECT_EQ(DateToSeconds(Date(1969, 12, 31, 23, 59, 59)), -1);
  EXPECT_EQ(DateToSeconds(Date(1968, 5, 5)), -1);
  EXPECT_EQ(DateToSeconds(Date(1899, 12, 30)), -1);
}

TEST(DateToSeconds, CountsLeapDays) {
  EXPECT_EQ(DateToSeconds(Date(2000, 3, 1)), 951868800);
  EXPECT_EQ(DateToSeconds(Date(2024, 2, 29, 12, 0, 0)), 1709208000);
  EXPECT_EQ(DateToSeconds(Date(2023, 12, 31, 23, 59, 59)), 1704067199);
}

TEST(DateToSeconds, ANonDateThrowsEFail) {
  try {
    DateToSeconds(std::nan(""));
    FAIL() << "no exception";
  } catch (HRESULT hr) {
    EXPECT_EQ(hr, E_FAIL);
  }
}

TEST(UtcFieldsToSeconds, CarriesMonthsIntoTheYearAndRetestsTheRange) {
  EXPECT_EQ(UtcFieldsToSeconds(70, 12, 1, 0, 0, 0), 31536000);  // 1971-01-01
  EXPECT_EQ(UtcFieldsToSeconds(71, -12, 1, 0, 0, 0), 0);         // 1970-01-01
  EXPECT_EQ(UtcFieldsToSeconds(70, -1, 31, 0, 0, 0), -1);        // 1969-12-31
  EXPECT_EQ(UtcFieldsToSeconds(139, 12, 1, 0, 0, 0), -1);        // 2040
  EXPECT_EQ(UtcFieldsToSeconds(68, 11, 31, 0, 0, 0), -1);
}

TEST(FormatSeconds, PrintsTheFieldsInEnglishWithoutZoneConversion) {
  EXPECT_EQ(HeaderDate(0), L"Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(HeaderDate(DateToSeconds(Date(2007, 3, 9, 17, 5, 42))), L"Fri, 09 Mar 2007 17:05:42 GMT");
  EXPECT_EQ(HeaderDate(2147483647), L"Tue, 19 Jan 2038 03:14:07 GMT");
  EXPECT_EQ(HeaderDate(-1), L"");
  EXPECT_TRUE(FormatSeconds(0, std::wstring(200, L'x').c_str()).IsEmpty());
}

}  // namespace
