#include "platform/eventlog/event_record.h"

#include <cstdio>
#include <ctime>

#include "platform/codepage/codepage.h"

namespace eventlog {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendJsonString(std::string* out, std::wstring_view text) {
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

}  // namespace

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

std::string EventJsonLine(std::string_view time, const EventRecord& event) {
  std::string line = "{\"time\":\"";
  line += time;
  line += "\",\"source\":";
  AppendJsonString(&line, event.source);
  line += ",\"type\":" + std::to_string(event.type) + ",\"category\":" + std::to_string(event.category) +
          ",\"event\":" + std::to_string(event.event_id) + ",\"strings\":[";
  for (std::size_t i = 0; i < event.strings.size(); ++i) {
    if (i > 0) line += ',';
    AppendJsonString(&line, event.strings[i]);
  }
  line += ']';
  if (!event.data.empty()) {
    line += ",\"data\":\"";
    for (char byte : event.data) {
      line.push_back(kHexDigits[static_cast<unsigned char>(byte) >> 4]);
      line.push_back(kHexDigits[static_cast<unsigned char>(byte) & 0xF]);
    }
    line += '"';
  }
  line += '}';
  return line;
}

std::string EventSyslogText(const EventRecord& event) {
  std::wstring text = L"Event " + std::to_wstring(event.event_id) + L", category " +
                      std::to_wstring(event.category) + L":";
  for (std::size_t i = 0; i < event.strings.size(); ++i) {
    text += i == 0 ? L" " : L" | ";
    for (wchar_t c : event.strings[i]) text.push_back(c == L'\r' || c == L'\n' || c == L'\t' ? L' ' : c);
  }
  return codepage::WideToUtf8(text);
}

}  // namespace eventlog
