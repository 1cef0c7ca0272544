// Writes a complete sample voice-mail server into one folder: registry file,
// directory database, stream files, message store and event message file.
#ifndef KORVEL_SAMPLE_SAMPLE_SERVER_H_
#define KORVEL_SAMPLE_SAMPLE_SERVER_H_

#include <cstdint>
#include <filesystem>
#include <string>

#include "korvel/sample/status.h"

namespace korvel_sample {

// What the sample writes into its folder; with --force exactly these are replaced.
inline constexpr const char* kRegistryFile = "registry.reg";
inline constexpr const char* kDirectoryFile = "KorvelDb.sqlite";
inline constexpr const char* kStoreFile = "MessageStore.sqlite";
inline constexpr const char* kStreamFolder = "Stream Files";
inline constexpr const char* kEventMessageFile = "QoTmEventMessages.mc";
// Named in the registry, written by the log manager, never by the sample.
inline constexpr const char* kLogFile = "QoLogMgr.log";

inline constexpr int kDefaultSubscribers = 60;
inline constexpr int kDefaultMessages = 120;
inline constexpr std::uint64_t kDefaultSeed = 1;
inline constexpr int kMaxSubscribers = 1000000;
inline constexpr int kMaxMessages = 1000000;

struct SampleOptions {
  std::filesystem::path dir;
  int subscribers = kDefaultSubscribers;  // exported ones (types 1 and 3)
  int messages = kDefaultMessages;        // in the whole store
  std::uint64_t seed = kDefaultSeed;
  bool force = false;  // replace the sample's files in a folder that is not empty
};

struct SampleReport {
  std::filesystem::path dir;  // absolute
  std::uint64_t seed = 0;
  int subscribers = 0;        // all types
  int exported_subscribers = 0;
  int voice_files = 0;
  int mail_users = 0;
  int messages = 0;
  int attachments = 0;
};

// The fewest exported subscribers the sample takes: one per special case.
int MinimumSubscribers();

Status WriteSampleServer(const SampleOptions& options, SampleReport* report);

// What was made and the environment that points the kit at it, as shell lines.
std::string DescribeSample(const SampleReport& report);

// `text` as one shell word.
std::string ShellQuoted(const std::string& text);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_SAMPLE_SERVER_H_
