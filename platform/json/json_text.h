// The pieces of the JSON lines that the event log and the central log manager
// stand-ins append to their files.
#ifndef KORVEL_PLATFORM_JSON_JSON_TEXT_H_
#define KORVEL_PLATFORM_JSON_JSON_TEXT_H_

#include <string>
#include <string_view>

namespace json_text {

// The current time as UTC ISO 8601 with milliseconds: 2024-05-01T12:34:56.789Z.
std::string CurrentUtcTime();

// Appends `text` as a JSON string in UTF-8, quotes included. Characters that
// UTF-8 cannot carry become U+FFFD.
void AppendJsonString(std::string* out, std::wstring_view text);

}  // namespace json_text

#endif  // KORVEL_PLATFORM_JSON_JSON_TEXT_H_
