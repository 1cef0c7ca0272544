#include "korvel/logmgr/json_line.h"

#include <string>

#include "platform/json/json_text.h"

namespace korvel::logmgr {

using json_text::AppendJsonString;

std::string TraceLine(std::string_view time, int pid, std::wstring_view module, DWORD handle, LONG level,
                      std::wstring_view text) {
  std::string line = "{\"time\":\"";
  line += time;
  line += "\",\"pid\":" + std::to_string(pid) + ",\"module\":";
  AppendJsonString(&line, module);
  line += ",\"handle\":" + std::to_string(handle) + ",\"level\":" + std::to_string(level) + ",\"text\":";
  AppendJsonString(&line, text);
  line += '}';
  return line;
}

std::string DiagnosticLine(std::string_view time, int pid, std::wstring_view text,
                           const std::array<LONG, 3>& arguments) {
  std::string line = "{\"time\":\"";
  line += time;
  line += "\",\"pid\":" + std::to_string(pid) + ",\"diagnostic\":";
  AppendJsonString(&line, text);
  line += ",\"args\":[" + std::to_string(arguments[0]) + ',' + std::to_string(arguments[1]) + ',' +
          std::to_string(arguments[2]) + "]}";
  return line;
}

}  // namespace korvel::logmgr
