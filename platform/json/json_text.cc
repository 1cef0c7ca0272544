#include "platform/json/json_text.h"

#include <cstdio>
#include <ctime>

#include "platform/codepage/codepage.h"

namespace json_text {

std::string CurrentUtcTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm fields{};
  gmtime_r(&now.tv_sec, &fields);
  char text[48];
  std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &fields);
  std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(now.tv_nsec / 1000000));
  return text;
}

void AppendJsonString(std::string* out, std::wstring_view text) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
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
          out->push_back(kHexDigits[code >> 4]);
          out->push_back(kHexDigits[code & 0xF]);
        } else {
          out->push_back(byte);
        }
    }
  }
  out->push_back('"');
}

}  // namespace json_text
