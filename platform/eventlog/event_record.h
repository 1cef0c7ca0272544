// One event of the event log and the two forms in which it is kept: a JSON
// line for the event log file and a line of text for syslog.
#ifndef KORVEL_PLATFORM_EVENTLOG_EVENT_RECORD_H_
#define KORVEL_PLATFORM_EVENTLOG_EVENT_RECORD_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/wintypes.h"

namespace eventlog {

struct EventRecord {
  std::wstring_view source;
  WORD type = 0;
  WORD category = 0;
  DWORD event_id = 0;
  std::vector<std::wstring_view> strings;
  // The event's binary data; most events have none.
  std::string_view data;
};

// {"time":"...","source":"...","type":1,"category":0,"event":100,"strings":["...",...]}
// in UTF-8, with "data":"<lower-case hex>" after the strings when the event
// has data. Characters that UTF-8 cannot carry (a lone surrogate) become
// U+FFFD; control characters are escaped.
std::string EventJsonLine(std::string_view time, const EventRecord& event);

// "Event 100, category 0: first | second": the insertion strings, whose
// line breaks and tabs become blanks so that the event stays one syslog line.
std::string EventSyslogText(const EventRecord& event);

}  // namespace eventlog

#endif  // KORVEL_PLATFORM_EVENTLOG_EVENT_RECORD_H_
