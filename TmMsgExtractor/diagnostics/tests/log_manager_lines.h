// Reading back what the diagnostics wrote: the log manager stand-in's JSON
// lines and the events of the event log file (KORVEL_EVENT_LOG), and the
// registry texts that point the log manager and the event source at a test's
// own files.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_LOG_MANAGER_LINES_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_LOG_MANAGER_LINES_H_

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

using korvel::test::ReadFile;

// The JSON string whose opening quote is at `at`, unescaped (ASCII escapes
// only, which is all the tests write); `at` moves past its closing quote.
inline std::string JsonStringAt(const std::string& json, size_t& at) {
  std::string value;
  for (++at; at < json.size() && json[at] != '"'; ++at) {
    char c = json[at];
    if (c == '\\' && at + 1 < json.size()) {
      c = json[++at];
      if (c == 'u' && at + 4 < json.size()) {
        c = static_cast<char>(std::stoi(json.substr(at + 1, 4), nullptr, 16));
        at += 4;
      } else if (c == 'n' || c == 'r' || c == 't') {
        c = c == 'n' ? '\n' : c == 'r' ? '\r' : '\t';
      }
    }
    value.push_back(c);
  }
  ++at;
  return value;
}

// The string value of "key" in `json`; empty when absent.
inline std::string JsonString(const std::string& json, const std::string& key) {
  size_t at = json.find("\"" + key + "\":\"");
  if (at == std::string::npos) return {};
  at += key.size() + 3;
  return JsonStringAt(json, at);
}

struct LogManagerLine {
  std::string module;
  long level = -1;
  std::string text;        // a trace line's text, UTF-8
  std::string diagnostic;  // a diagnostic's text, UTF-8
  std::string args;
};

inline std::vector<LogManagerLine> ReadLogManagerLines(const std::string& path) {
  std::vector<LogManagerLine> lines;
  std::istringstream in(ReadFile(path));
  for (std::string json; std::getline(in, json);) {
    LogManagerLine line{JsonString(json, "module"), -1, JsonString(json, "text"), JsonString(json, "diagnostic"), ""};
    const size_t level = json.find("\"level\":");
    if (level != std::string::npos) line.level = std::stol(json.substr(level + 8));
    const size_t args = json.find("\"args\":");
    if (args != std::string::npos) line.args = json.substr(args + 7, json.find(']', args) - args - 6);
    lines.push_back(line);
  }
  return lines;
}

// The insertion strings of each event in the event log file, UTF-8.
inline std::vector<std::vector<std::string>> ReadEventStrings(const std::string& path) {
  std::vector<std::vector<std::string>> events;
  std::istringstream in(ReadFile(path));
  for (std::string json; std::getline(in, json);) {
    size_t at = json.find("\"strings\":[");
    if (at == std::string::npos) continue;
    std::vector<std::string> strings;
    for (at += 11; at < json.size() && json[at] == '"';) {
      strings.push_back(JsonStringAt(json, at));
      if (at < json.size() && json[at] == ',') ++at;
    }
    events.push_back(strings);
  }
  return events;
}

// The registry file a test points KORVEL_REGISTRY at: the log manager writes
// into `log_manager_file`; `store` (when given) is the message store.
inline std::string TestRegistry(const std::string& log_manager_file, const std::string& store = "") {
  std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Halvern\\QoLogMgr\\1.0]\r\n"
      "\"Log File\"=\"" + log_manager_file + "\"\r\n";
  if (!store.empty()) {
    text += "\r\n[HKEY_LOCAL_MACHINE\\Software\\Halvern\\Zad\\1.0]\r\n\"Message Store\"=\"" + store + "\"\r\n";
  }
  return text;
}

// The registration of the extractor's event source (the values expand
// environment variables whatever their type).
inline std::string EventSourceKey(const std::string& event_file, const std::string& category_file) {
  return "\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\EventLog\\Application\\NorvaneKorvel_QoTm]\r\n"
         "\"EventMessageFile\"=\"" + event_file + "\"\r\n\"CategoryMessageFile\"=\"" + category_file + "\"\r\n";
}

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_LOG_MANAGER_LINES_H_
