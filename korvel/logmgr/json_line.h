// The JSON lines of the log file.
#ifndef KORVEL_KORVEL_LOGMGR_JSON_LINE_H_
#define KORVEL_KORVEL_LOGMGR_JSON_LINE_H_

#include <array>
#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace korvel::logmgr {

std::string TraceLine(std::string_view time, int pid, std::wstring_view module, DWORD handle, LONG level,
                      std::wstring_view text);

std::string DiagnosticLine(std::string_view time, int pid, std::wstring_view text,
                           const std::array<LONG, 3>& arguments);

}  // namespace korvel::logmgr

#endif  // KORVEL_KORVEL_LOGMGR_JSON_LINE_H_
