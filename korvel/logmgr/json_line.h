// The JSON lines of the log file.
#ifndef KORVEL_KORVEL_LOGMGR_JSON_LINE_H_
#define KORVEL_KORVEL_LOGMGR_JSON_LINE_H_

#include <array>
#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace korvel::logmgr {

// The current time as UTC ISO 8601 with milliseconds: 2024-05-01T12:34:56.789Z.
std::string CurrentUtcTime();

// Appends `text` as a JSON string in UTF-8, quotes included. Characters that
// UTF-8 cannot carry become U+FFFD.
void AppendJsonString(std::string* out, std::wstring_view text);

std::string TraceLine(std::string_view time, int pid, std::wstring_view module, DWORD handle, LONG level,
                      std::wstring_view text);

std::string DiagnosticLine(std::string_view time, int pid, std::wstring_view text,
                           const std::array<LONG, 3>& arguments);

}  // namespace korvel::logmgr

#endif  // KORVEL_KORVEL_LOGMGR_JSON_LINE_H_
