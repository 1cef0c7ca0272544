#include "platform/com/automation_date.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr std::int64_t kFirstDay = -657434;  // 0100-01-01
constexpr std::int64_t kLastDay = 2958465;   // 9999-12-31
constexpr std::int64_t kUnixEpochDay = 25569;  // 1970-01-01
constexpr std::int64_t kSecondsPerDay = 86400;

// The proleptic Gregorian date of a day counted from 1970-01-01.
void CivilFromDays(std::int64_t days, std::int64_t* year, unsigned* month, unsigned* day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned shifted_month = (5 * day_of_year + 2) / 153;
  *day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
  *month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
  *year = static_cast<std::int64_t>(year_of_era) + era * 400 + (*month <= 2);
}

}  // namespace

int VariantTimeToSystemTime(DATE date, SYSTEMTIME* time) {
  if (time == nullptr || !std::isfinite(date)) return FALSE;
  const double whole_days = std::trunc(date);
  if (whole_days < static_cast<double>(kFirstDay) || whole_days > static_cast<double>(kLastDay)) return FALSE;
  std::int64_t day = static_cast<std::int64_t>(whole_days);
  std::int64_t seconds = std::llround(std::fabs(date - whole_days) * kSecondsPerDay);
  if (seconds == kSecondsPerDay) {
    // Rounded up to the next midnight, which is the next calendar day for
    // negative dates too: their time counts forward from the day's start.
    ++day;
    seconds = 0;
    if (day > kLastDay) return FALSE;
  }
  std::int64_t year = 0;
  unsigned month = 0;
  unsigned day_of_month = 0;
  CivilFromDays(day - kUnixEpochDay, &year, &month, &day_of_month);
  time->wYear = static_cast<WORD>(year);
  time->wMonth = static_cast<WORD>(month);
  // 1899-12-30, day 0, was a Saturday.
  time->wDayOfWeek = static_cast<WORD>(((day + 6) % 7 + 7) % 7);
  time->wDay = static_cast<WORD>(day_of_month);
  time->wHour = static_cast<WORD>(seconds / 3600);
  time->wMinute = static_cast<WORD>(seconds / 60 % 60);
  time->wSecond = static_cast<WORD>(seconds % 60);
  time->wMilliseconds = 0;
  return TRUE;
}
