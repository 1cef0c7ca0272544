#include "platform/com/automation_date.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

namespace {

// "YYYY-MM-DD hh:mm:ss weekday", or "fails".
std::string Fields(DATE date) {
  SYSTEMTIME time{};
  if (!VariantTimeToSystemTime(date, &time)) return "fails";
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u %u", time.wYear, time.wMonth, time.wDay,
                time.wHour, time.wMinute, time.wSecond, time.wDayOfWeek);
  EXPECT_EQ(time.wMilliseconds, 0);
  return text;
}

TEST(AutomationDate, CountsDaysFromTheEndOf1899RoundedToTheSecondInTheYears100To9999) {
  const double second = 1.0 / 86400;
  const std::pair<DATE, const char*> cases[] = {
      {0.0, "1899-12-30 00:00:00 6"},
      {25569.0, "1970-01-01 00:00:00 4"},
      {50424.13480324074, "2038-01-19 03:14:07 2"},
      {61.0, "1900-03-01 00:00:00 4"},  // 1900 is no leap year
      // Below zero the time counts forward from the day.
      {-1.25, "1899-12-29 06:00:00 5"},
      // Half a second before midnight rounds into the next day, also below zero.
      {25569.0 + 0.6 * second, "1970-01-01 00:00:01 4"},
      {-0.0 - 86399.6 * second, "1899-12-31 00:00:00 0"},
      {-657434.99, "0100-01-01 23:45:36 5"},
      {-657435.0, "fails"},
      {2958465.5, "9999-12-31 12:00:00 5"},
      {2958465.9999999, "fails"},  // rounds into the year 10000
      {std::numeric_limits<double>::quiet_NaN(), "fails"},
  };
  for (const auto& [date, fields] : cases) EXPECT_EQ(Fields(date), fields) << date;
}

}  // namespace
