// Reading back what the diagnostics wrote: the log manager stand-in's JSON
// lines and the events of the event log file (KORVEL_EVENT_LOG), and the
// registry texts that point the log manager and the event source at a test's
// own files.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_LOG_MANAGER_LINES_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TESTS_LOG_MANAGER_LINES_H_

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

using korvel::test::ReadFile;

// Each line of the JSON lines file at `path`.
inline std::vector<QJsonObject> ReadJsonLines(const std::string& path) {
  std::vector<QJsonObject> objects;
  for (const QByteArray& line : QByteArray::fromStdString(ReadFile(path)).split('\n')) {
    if (!line.isEmpty()) objects.push_back(QJsonDocument::fromJson(line).object());
  }
  return objects;
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
  for (const QJsonObject& json : ReadJsonLines(path)) {
    const auto text = [&](const char* key) { return json[key].toString().toStdString(); };
    lines.push_back({text("module"), static_cast<long>(json["level"].toInteger(-1)), text("text"), text("diagnostic"),
                     QJsonDocument(json["args"].toArray()).toJson(QJsonDocument::Compact).toStdString()});
  }
  return lines;
}

// The insertion strings of each event in the event log file, UTF-8.
inline std::vector<std::vector<std::string>> ReadEventStrings(const std::string& path) {
  std::vector<std::vector<std::string>> events;
  for (const QJsonObject& json : ReadJsonLines(path)) {
    if (!json["strings"].isArray()) continue;
    std::vector<std::string>& strings = events.emplace_back();
    for (const QJsonValue& text : json["strings"].toArray()) strings.push_back(text.toString().toStdString());
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
