// Reading back what the log manager stand-in wrote: one JSON object a line.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_LOG_MANAGER_LINES_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_LOG_MANAGER_LINES_H_

#include <sstream>
#include <string>
#include <vector>

#include "TmMsgExtractor/diagnostics/tests/temp_folder.h"

struct LogManagerLine {
  std::string module;
  long level = -1;
  std::string text;        // a trace line's text, UTF-8
  std::string diagnostic;  // a diagnostic's text, UTF-8
  std::string args;
};

// The string value of "key" in `json`, unescaped (ASCII escapes only, which
// is all the tests write); empty when absent.
inline std::string JsonString(const std::string& json, const std::string& key) {
  const std::string marker = "\"" + key + "\":\"";
  size_t at = json.find(marker);
  if (at == std::string::npos) return {};
  std::string value;
  for (at += marker.size(); at < json.size() && json[at] != '"'; ++at) {
    if (json[at] != '\\' || at + 1 >= json.size()) {
      value.push_back(json[at]);
      continue;
    }
    const char escaped = json[++at];
    if (escaped == 'n') {
      value.push_back('\n');
    } else if (escaped == 'r') {
      value.push_back('\r');
    } else if (escaped == 't') {
      value.push_back('\t');
    } else if (escaped == 'u' && at + 4 < json.size()) {
      value.push_back(static_cast<char>(std::stoi(json.substr(at + 1, 4), nullptr, 16)));
      at += 4;
    } else {
      value.push_back(escaped);
    }
  }
  return value;
}

inline std::vector<LogManagerLine> ReadLogManagerLines(const std::string& path) {
  std::vector<LogManagerLine> lines;
  std::istringstream in(ReadFile(path));
  for (std::string json; std::getline(in, json);) {
    LogManagerLine line;
    line.module = JsonString(json, "module");
    line.text = JsonString(json, "text");
    line.diagnostic = JsonString(json, "diagnostic");
    const size_t level = json.find("\"level\":");
    if (level != std::string::npos) line.level = std::stol(json.substr(level + 8));
    const size_t args = json.find("\"args\":");
    if (args != std::string::npos) line.args = json.substr(args + 7, json.find(']', args) - args - 6);
    lines.push_back(line);
  }
  return lines;
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

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_LOG_MANAGER_LINES_H_
