#include "korvel/logmgr/json_line.h"

#include <cstdio>
#include <ctime>

#include "platform/codepage/codepage.h"

namespace korvel::logmgr {

std::string CurrentUtcTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm fields{};
  gmtime_r(&now.tv_sec, &fields);
  char text[40];
  size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &fields);
  std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(now.tv_nsec / 1000000));
  return text;
}

void AppendJsonString(std::string* out, std::wstring_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out->push_back('"');
  for (char byte : codepage::WideToUtf8(text)) {
    switch (byte) {
      case '"':
        *out += "\\\"";
        break;
      case '\\':
        *out += "\\\\";
        break;
      case '\n':
        *out += "\\n";
        break;
      case '\r':
        *out += "\\r";
        break;
      case '\t':
        *out += "\\t";
        break;
      default:
        if (unsigned char code = static_cast<unsigned char>(byte); code < 0x20) {
          *out += "\\u00";
          out->push_back(kHex[code >> 4]);
          out->push_back(kHex[code & 0xF]);
        } else {
          out->push_back(byte);
        }
    }
  }
  out->push_back('"');
}

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
