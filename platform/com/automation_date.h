// Conversion of automation dates (DATE: days since 1899-12-30 00:00 with the
// time of day as the fraction) into calendar fields.
//
// A negative date keeps the day in its integer part and counts the time
// forward from that day's midnight in the absolute value of its fraction:
// -1.25 is 1899-12-29 06:00, and -0.5 is the same moment as 0.5.
#ifndef KORVEL_PLATFORM_COM_AUTOMATION_DATE_H_
#define KORVEL_PLATFORM_COM_AUTOMATION_DATE_H_

#include "platform/com/variant.h"
#include "platform/wintypes.h"

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;      // 1 to 12
  WORD wDayOfWeek;  // 0 Sunday to 6 Saturday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// Calendar fields of a date, rounded to the nearest second (wMilliseconds is
// 0). FALSE for a value that is not a number or lies outside the years 100 to
// 9999.
int VariantTimeToSystemTime(DATE date, SYSTEMTIME* time);

#endif  // KORVEL_PLATFORM_COM_AUTOMATION_DATE_H_
