// The registry file of a sample server: every value the kit reads, in the
// regedit export format (UTF-16LE with byte-order mark, CR LF line ends).
#ifndef KORVEL_SAMPLE_REGISTRY_WRITER_H_
#define KORVEL_SAMPLE_REGISTRY_WRITER_H_

#include <cstdint>
#include <filesystem>
#include <string>

#include "korvel/sample/status.h"

namespace korvel_sample {

// Paths are absolute and use '/'.
struct ServerRegistry {
  std::string root_path;  // ends in '/'
  std::string message_store;
  std::string log_file;
  std::string event_message_file;
};

// Version 4.0, build 5, patch 3: past the oldest server the export accepts
// (4.0 build 4 patch 10).
inline constexpr std::uint32_t kVersionNumber = 0x00040000;
inline constexpr std::uint32_t kBuildNumber = 0x00050003;
inline constexpr std::uint32_t kServerStateRunning = 32;
inline constexpr const char* kServiceAccount = "KORVEL\\qotmsvc";
inline constexpr const char* kHelpWebServer = "http://help.halvern.example/";
inline constexpr const char* kEventSource = "NorvaneKorvel_QoTm";

// The file's text, UTF-8, before its encoding.
std::string RegistryText(const ServerRegistry& registry);

Status WriteRegistryFile(const ServerRegistry& registry, const std::filesystem::path& path);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_REGISTRY_WRITER_H_
