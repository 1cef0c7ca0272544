#include "TmMsgExtractor/diagnostics/date_seconds.h"

#include <locale.h>

#include <cstdint>
#include <ctime>
#include <cwchar>

#include "platform/com/automation_date.h"
#include "platform/com/hresult.h"

namespace {

// Days of the year before each month, counted so that the first of the month
// adds 1; one more from March on in a leap year.
constexpr int kDaysBeforeMonth[12] = {-1, 30, 58, 89, 119, 150, 180, 211, 242, 272, 303, 333};
constexpr int kDaysFrom1900To1970 = 25567;

bool FitsLong(std::int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

LONG UtcFieldsToSeconds(int years_since_1900, int month, int day, int hour, int minute, int second) {
  std::int64_t years = years_since_1900;
  if (years < 69 || years > 139) return -1;
  if (month < 0 || month > 11) {
    years += month / 12;
    month %= 12;
    if (month < 0) {
      month += 12;
      --years;
    }
    if (years < 69 || years > 139) return -1;
  }
  std::int64_t days = 365 * years + (years - 1) / 4 + kDaysBeforeMonth[month] + day - kDaysFrom1900To1970;
  if (month >= 2 && years % 4 == 0) ++days;
  if (!FitsLong(days)) return -1;
  std::int64_t seconds = days * 24 + hour;
  if (!FitsLong(seconds)) return -1;
  seconds = seconds * 60 + minute;
  if (!FitsLong(seconds)) return -1;
  seconds = seconds * 60 + second;
  if (!FitsLong(seconds)) return -1;
  // A moment before 1970 has no breakdown in the platform's time functions.
  if (seconds < 0) return -1;
  return static_cast<LONG>(seconds);
}

LONG DateToSeconds(DATE date) {
  SYSTEMTIME fields{};
  if (!VariantTimeToSystemTime(date, &fields)) throw E_FAIL;
  return UtcFieldsToSeconds(fields.wYear - 1900, fields.wMonth - 1, fields.wDay, fields.wHour, fields.wMinute,
                            fields.wSecond);
}

CBstr FormatSeconds(LONG seconds, const wchar_t* format) {
  CBstr text;
  if (seconds < 0 || format == nullptr || CLocale() == static_cast<locale_t>(nullptr)) return text;
  const std::time_t moment = seconds;
  std::tm broken_down{};
  if (gmtime_r(&moment, &broken_down) == nullptr) return text;
  wchar_t buffer[128];
  const size_t length = wcsftime_l(buffer, sizeof buffer / sizeof buffer[0], format, &broken_down, CLocale());
  if (length == 0) return text;
  text = buffer;
  return text;
}
