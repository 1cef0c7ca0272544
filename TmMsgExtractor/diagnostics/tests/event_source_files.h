// The event log side of the extractor's tests: registry text for the event
// source and the log manager, and the events read back from the event log
// file (KORVEL_EVENT_LOG).
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_EVENT_SOURCE_FILES_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_EVENT_SOURCE_FILES_H_

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "TmMsgExtractor/diagnostics/tests/temp_folder.h"
#include "platform/codepage/codepage.h"

// A REG_EXPAND_SZ value line: the text's UTF-16LE bytes and terminator.
inline std::string ExpandStringValue(const std::string& name, const std::string& text) {
  const std::string bytes = codepage::WideToUtf16Le(codepage::Utf8ToWide(text)) + std::string(2, '\0');
  std::string line = "\"" + name + "\"=hex(2):";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", static_cast<unsigned char>(bytes[i]));
    line += byte;
  }
  return line + "\r\n";
}

// The registration of the extractor's event source; an empty category file
// leaves its value out.
inline std::string EventSourceKey(const std::string& event_file, const std::string& category_file) {
  std::string text =
      "\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\EventLog\\Application\\NorvaneKorvel_QoTm]\r\n" +
      ExpandStringValue("EventMessageFile", event_file);
  if (!category_file.empty()) text += ExpandStringValue("CategoryMessageFile", category_file);
  return text;
}

// The insertion strings of each event in the event log file, UTF-8, with the
// escapes the event log writes.
inline std::vector<std::vector<std::string>> ReadEventStrings(const std::string& path) {
  std::vector<std::vector<std::string>> events;
  std::istringstream in(ReadFile(path));
  for (std::string json; std::getline(in, json);) {
    std::vector<std::string> strings;
    std::size_t at = json.find("\"strings\":[");
    if (at == std::string::npos) continue;
    at += 11;
    while (at < json.size() && json[at] == '"') {
      std::string value;
      for (++at; at < json.size() && json[at] != '"'; ++at) {
        if (json[at] != '\\') {
          value.push_back(json[at]);
          continue;
        }
        const char escaped = json[++at];
        if (escaped == 'u') {
          value.push_back(static_cast<char>(std::stoi(json.substr(at + 1, 4), nullptr, 16)));
          at += 4;
        } else {
          value.push_back(escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped == 't' ? '\t' : escaped);
        }
      }
      strings.push_back(value);
      at += 1;
      if (at < json.size() && json[at] == ',') ++at;
    }
    events.push_back(strings);
  }
  return events;
}

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_EVENT_SOURCE_FILES_H_
