// Message-store dates for the mail "Date" header: an automation date is read
// as calendar fields in universal time and turned into seconds since
// 1970-01-01 00:00:00, and seconds are formatted back, with no time-zone
// conversion on either way. Only the span the 32-bit seconds can hold,
// 1970-01-01 00:00:00 to 2038-01-19 03:14:07, gives seconds; anything else
// gives -1, which formats as an empty text.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_DATE_SECONDS_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_DATE_SECONDS_H_

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "platform/com/variant.h"
#include "platform/wintypes.h"

// Throws E_FAIL for a value that is no calendar date at all.
LONG DateToSeconds(DATE date);

// Calendar fields read as universal time: years counted from 1900 (69 to 139
// are considered), month 0 to 11 (others are carried into the year), day of
// the month, hour, minute, second. -1 outside the span above.
LONG UtcFieldsToSeconds(int years_since_1900, int month, int day, int hour, int minute, int second);

// The seconds broken down as universal time and formatted with a wcsftime
// format in the C locale; empty for negative seconds or when the text would
// need more than 127 characters.
CBstr FormatSeconds(LONG seconds, const wchar_t* format);

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_DATE_SECONDS_H_
