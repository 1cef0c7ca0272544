#include "korvel/sample/registry_writer.h"

#include <cstdio>

#include "korvel/sample/file_output.h"
#include "platform/codepage/codepage.h"

namespace korvel_sample {
namespace {

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted.push_back('\\');
    quoted.push_back(c);
  }
  return quoted + "\"";
}

std::string StringValue(std::string_view name, std::string_view text) {
  return Quoted(name) + "=" + Quoted(text) + "\r\n";
}

std::string DwordValue(std::string_view name, std::uint32_t value) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", value);
  return Quoted(name) + "=dword:" + digits + "\r\n";
}

// REG_EXPAND_SZ: the UTF-16LE bytes of the text and its terminating zero.
std::string ExpandStringValue(std::string_view name, std::string_view text) {
  const std::string bytes =
      codepage::WideToUtf16Le(codepage::Utf8ToWide(text)) + std::string(2, '\0');
  std::string line = Quoted(name) + "=hex(2):";
  char byte_text[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(byte_text, sizeof byte_text, i == 0 ? "%02x" : ",%02x",
                  static_cast<unsigned char>(bytes[i]));
    line += byte_text;
  }
  return line + "\r\n";
}

std::string Key(std::string_view path) {
  return "\r\n[HKEY_LOCAL_MACHINE\\" + std::string(path) + "]\r\n";
}

}  // namespace

std::string RegistryText(const ServerRegistry& registry) {
  std::string text = "Windows Registry Editor Version 5.00\r\n";
  text += Key("Software\\Halvern");
  text += DwordValue("Version Number", kVersionNumber);
  text += DwordValue("Build Number", kBuildNumber);
  text += Key("Software\\Halvern\\Trellium\\1.0");
  text += StringValue("Root Path", registry.root_path);
  text += DwordValue("Server State", kServerStateRunning);
  text += Key("Software\\Halvern\\Zad\\1.0");
  text += StringValue("Message Store", registry.message_store);
  text += Key("Software\\Halvern\\QoLogMgr\\1.0");
  text += StringValue("Log File", registry.log_file);
  text += StringValue("Help Web Server", kHelpWebServer);
  text += Key("SYSTEM\\CurrentControlSet\\Services\\QoTmMgr");
  text += StringValue("ObjectName", kServiceAccount);
  text += Key(std::string("System\\CurrentControlSet\\Services\\EventLog\\Application\\") +
              kEventSource);
  text += ExpandStringValue("EventMessageFile", registry.event_message_file);
  text += ExpandStringValue("CategoryMessageFile", registry.event_message_file);
  text += DwordValue("TypesSupported", 7);
  return text;
}

Status WriteRegistryFile(const ServerRegistry& registry, const std::filesystem::path& path) {
  const std::string bytes =
      "\xFF\xFE" + codepage::WideToUtf16Le(codepage::Utf8ToWide(RegistryText(registry)));
  return WriteWholeFile(path, bytes);
}

}  // namespace korvel_sample
