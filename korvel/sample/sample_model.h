// What a sample server holds, before it is written out: the directory, the
// voice-name recordings and the message store. Optional fields are the
// database NULLs the sample means to have.
#ifndef KORVEL_SAMPLE_SAMPLE_MODEL_H_
#define KORVEL_SAMPLE_SAMPLE_MODEL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "korvel/sample/wave.h"

namespace korvel_sample {

using OptionalText = std::optional<std::string>;
using OptionalInt = std::optional<std::int64_t>;

struct Location {
  std::string object_id;
  std::string alias;
  std::string display_name;
  std::string dial_prefix;
};

struct ClassOfService {
  std::string object_id;
  std::string alias;
  std::string display_name;
  int max_message_seconds = 0;
};

struct ContactRule {
  std::string object_id;
  std::string alias;  // 'Alternate', 'Standard', 'OffHours'
  OptionalInt action;
  OptionalInt transfer_type;
  OptionalText extension;
  OptionalInt transfer_rings;
};

struct CallHandler {
  std::string object_id;
  std::string alias;
  std::string display_name;
  OptionalText owner_id;  // the subscriber it belongs to; none for system handlers
  std::string location_id;
  OptionalText primary_extension;
  std::vector<ContactRule> contact_rules;
};

struct MwiDevice {
  std::string object_id;
  std::string alias;  // 'MWI-1' is the primary device
  OptionalText extension;
};

// A recording to place in the stream file folder.
struct VoiceFile {
  std::string relative_path;  // below "Stream Files", '/' separated
  Tone tone;
};

struct Subscriber {
  std::string object_id;
  OptionalText alias;
  int type = 1;  // 1 and 3 are exported
  OptionalText first_name;
  OptionalText last_name;
  OptionalText display_name;
  OptionalText pwdtmf;
  OptionalText billing_id;
  OptionalInt language;
  OptionalInt list_in_directory;
  std::string call_handler_id;
  std::string cos_id;
  std::string location_id;
  OptionalText stream_path;
  std::optional<VoiceFile> voice_file;  // none: the stream path names no file
  std::vector<std::string> alternate_extensions;
  std::vector<MwiDevice> mwi_devices;
};

struct Directory {
  std::vector<Location> locations;
  std::vector<ClassOfService> classes_of_service;
  std::vector<CallHandler> call_handlers;
  std::vector<Subscriber> subscribers;  // in the order the directory lists them
};

struct MailUser {
  std::int64_t id = 0;
  OptionalText alias;
  OptionalText display_name;
  bool is_subscriber = true;
};

inline constexpr int kFolderNewVoice = 6;
inline constexpr int kFolderSavedVoice = 13;

struct Message {
  std::int64_t id = 0;
  std::int64_t owner_id = 0;
  int folder = kFolderNewVoice;
  std::optional<double> delivery_time;  // automation date: days since 1899-12-30
  OptionalInt has_unknown_sender;
  OptionalInt sender_id;
  OptionalInt sender_address_type;  // 5 AMIS, 6 OMNI, 7 VPIM
  OptionalText sender_email_address;
  OptionalInt importance;   // 2 is high
  OptionalInt sensitivity;  // above 0 is private
  OptionalText subject;
  std::vector<Tone> attachments;
};

struct MessageStore {
  std::vector<MailUser> mail_users;
  std::vector<Message> messages;
};

struct SampleModel {
  Directory directory;
  MessageStore store;
};

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_SAMPLE_MODEL_H_
