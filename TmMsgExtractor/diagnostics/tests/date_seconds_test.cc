#include "TmMsgExtractor/diagnostics/date_seconds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/com/automation_date.h"

namespace {

// A date from its day number (days since 1899-12-30) and time of day.
DATE Date(int day, int seconds_of_day = 0) { return day + seconds_of_day / 86400.0; }

TEST(DateToSeconds, CoversExactlyTheThirtyTwoBitSpanAndCountsLeapDays) {
  EXPECT_EQ(DateToSeconds(Date(25569)), 0);
  EXPECT_EQ(DateToSeconds(Date(50424, 11647)), 2147483647);
  EXPECT_EQ(DateToSeconds(Date(50424, 11648)), -1);
  EXPECT_EQ(DateToSeconds(Date(25568, 86399)), -1);
  EXPECT_EQ(DateToSeconds(Date(25404, 73060)), -1);
  EXPECT_EQ(DateToSeconds(Date(0)), -1);
  EXPECT_EQ(DateToSeconds(Date(36586)), 951868800);
  EXPECT_EQ(DateToSeconds(Date(45351, 43200)), 1709208000);
  EXPECT_THROW(DateToSeconds(std::nan("")), HRESULT);
}

TEST(FormatSeconds, PrintsTheFieldsInEnglishWithoutZoneConversion) {
  auto header_date = [](LONG seconds) {
    return std::wstring(FormatSeconds(seconds, L"%a, %d %b %Y %H:%M:%S GMT").c_str());
  };
  EXPECT_EQ(header_date(0), L"Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(header_date(DateToSeconds(Date(39150, 61542))), L"Fri, 09 Mar 2007 17:05:42 GMT");
  EXPECT_EQ(header_date(-1), L"");
  EXPECT_TRUE(FormatSeconds(0, std::wstring(200, L'x').c_str()).IsEmpty());
}

}  // namespace
