#include "platform/eventlog/event_record.h"

#include <string>

#include "platform/codepage/codepage.h"
#include "platform/json/json_text.h"

namespace eventlog {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

using json_text::AppendJsonString;

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
