#include "korvel/sample/sample_server.h"

#include <string>
#include <vector>
#include <system_error>

#include "korvel/sample/directory_builder.h"
#include "korvel/sample/directory_writer.h"
#include "korvel/sample/event_messages.h"
#include "korvel/sample/file_output.h"
#include "korvel/sample/registry_writer.h"
#include "korvel/sample/store_builder.h"
#include "korvel/sample/store_writer.h"
#include "korvel/sample/stream_files_writer.h"

namespace fs = std::filesystem;

namespace korvel_sample {
namespace {

Status Failure(const fs::path& path, std::string_view what, const std::error_code& error) {
  return Status::Error(path.string() + ": " + std::string(what) + " (" + error.message() + ")");
}

// Removes only what the sample itself writes. A link is removed, never
// followed, so nothing outside the folder is touched.
Status RemoveEarlierSample(const fs::path& dir) {
  // A journal left beside a new database would be played back into it.
  std::vector<std::string> files = {kRegistryFile, kEventMessageFile};
  for (const std::string database : {kDirectoryFile, kStoreFile}) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) files.push_back(database + suffix);
  }
  std::error_code error;
  for (const std::string& name : files) {
    if (fs::remove(dir / name, error); error) return Failure(dir / name, "cannot remove", error);
  }
  if (fs::remove_all(dir / kStreamFolder, error); error) {
    return Failure(dir / kStreamFolder, "cannot remove", error);
  }
  return Status::Ok();
}

Status PrepareFolder(const fs::path& dir, bool force) {
  std::error_code error;
  const fs::file_status status = fs::status(dir, error);
  if (error && error != std::errc::no_such_file_or_directory) {
    return Failure(dir, "cannot look at the folder", error);
  }
  if (!fs::exists(status)) {
    if (fs::create_directories(dir, error); error) {
      return Failure(dir, "cannot create the folder", error);
    }
    return Status::Ok();
  }
  if (!fs::is_directory(status)) return Status::Error(dir.string() + ": not a folder");
  const bool empty = fs::is_empty(dir, error);
  if (error) return Failure(dir, "cannot read the folder", error);
  if (empty) return Status::Ok();
  if (!force) {
    return Status::Error(dir.string() +
                         ": the folder is not empty (--force replaces the sample in it)");
  }
  return RemoveEarlierSample(dir);
}

Status AbsoluteFolder(const fs::path& dir, fs::path* absolute) {
  std::error_code error;
  *absolute = fs::absolute(dir, error).lexically_normal();
  if (error) return Failure(dir, "cannot make the path absolute", error);
  if (!absolute->has_filename() && absolute->has_relative_path()) {
    *absolute = absolute->parent_path();
  }
  return Status::Ok();
}

Status CheckOptions(const SampleOptions& options) {
  if (options.dir.empty()) return Status::Error("no folder given");
  if (options.subscribers < MinimumSubscribers() || options.subscribers > kMaxSubscribers) {
    return Status::Error("the subscriber count must be from " +
                         std::to_string(MinimumSubscribers()) + " to " +
                         std::to_string(kMaxSubscribers));
  }
  if (options.messages < 0 || options.messages > kMaxMessages) {
    return Status::Error("the message count must be from 0 to " + std::to_string(kMaxMessages));
  }
  return Status::Ok();
}

bool IsPlainShellCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("_-./:=@%+,").find(c) != std::string_view::npos;
}

}  // namespace

int MinimumSubscribers() { return SpecialSubscriberCount(); }

Status WriteSampleServer(const SampleOptions& options, SampleReport* report) {
  Status status = CheckOptions(options);
  if (!status.ok()) return status;
  fs::path dir;
  status = AbsoluteFolder(options.dir, &dir);
  if (status.ok()) status = PrepareFolder(dir, options.force);
  if (!status.ok()) return status;

  const fs::path stream_folder = dir / kStreamFolder;
  const Directory directory = BuildDirectory(options.subscribers, options.seed, stream_folder.string());
  const MessageStore store = BuildMessageStore(directory, options.messages, options.seed);

  *report = SampleReport{};
  report->dir = dir;
  report->seed = options.seed;
  status = WriteStreamFiles(directory, stream_folder, &report->voice_files);
  if (status.ok()) status = WriteDirectoryDatabase(directory, dir / kDirectoryFile);
  if (status.ok()) status = WriteMessageStore(store, dir / kStoreFile);
  if (status.ok()) status = WriteWholeFile(dir / kEventMessageFile, EventMessageFileText());
  if (status.ok()) {
    // Written last: a registry file means the rest of the sample is complete.
    const ServerRegistry registry{dir.string() + "/", (dir / kStoreFile).string(),
                                  (dir / kLogFile).string(), (dir / kEventMessageFile).string()};
    status = WriteRegistryFile(registry, dir / kRegistryFile);
  }
  if (!status.ok()) return status;

  report->subscribers = static_cast<int>(directory.subscribers.size());
  for (const Subscriber& subscriber : directory.subscribers) {
    if (subscriber.type == 1 || subscriber.type == 3) ++report->exported_subscribers;
  }
  report->mail_users = static_cast<int>(store.mail_users.size());
  report->messages = static_cast<int>(store.messages.size());
  for (const Message& message : store.messages) {
    report->attachments += static_cast<int>(message.attachments.size());
  }
  return Status::Ok();
}

std::string ShellQuoted(const std::string& text) {
  bool plain = !text.empty();
  for (char c : text) plain = plain && IsPlainShellCharacter(c);
  if (plain) return text;
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted.push_back(c);
    }
  }
  return quoted + "'";
}

std::string DescribeSample(const SampleReport& report) {
  const auto count = [](int n) { return std::to_string(n); };
  std::string text = "Sample voice-mail server in " + report.dir.string() + " (seed " +
                     std::to_string(report.seed) + "):\n";
  text += "  " + std::string(kRegistryFile) + "          server registry values\n";
  text += "  " + std::string(kDirectoryFile) + "       directory: " + count(report.subscribers) +
          " subscribers, " + count(report.exported_subscribers) + " of types 1 and 3\n";
  text += "  " + std::string(kStreamFolder) + "/         " + count(report.voice_files) +
          " voice names\n";
  text += "  " + std::string(kStoreFile) + "   message store: " + count(report.mail_users) +
          " mail users, " + count(report.messages) + " messages, " + count(report.attachments) +
          " audio attachments\n";
  text += "  " + std::string(kEventMessageFile) + "  event messages of " + kEventSource + "\n";
  text += "Environment:\n";
  text += "export KORVEL_REGISTRY=" + ShellQuoted((report.dir / kRegistryFile).string()) + "\n";
  text += "export KORVEL_DB_CONNECT=" +
          ShellQuoted("sqlite:" + (report.dir / kDirectoryFile).string()) + "\n";
  return text;
}

}  // namespace korvel_sample
