#include "korvel/sample/store_builder.h"

#include <array>
#include <string>
#include <utility>

#include "korvel/sample/names.h"
#include "korvel/sample/prng.h"

namespace korvel_sample {
namespace {

constexpr std::int64_t kAmis = 5;
constexpr std::int64_t kOmni = 6;
constexpr std::int64_t kVpim = 7;
constexpr std::int64_t kOtherAddressType = 1;

std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

constexpr double kUnixEpochAutomationDate = 25569.0;

double AutomationDateOfUnixSeconds(std::int64_t seconds) {
  return kUnixEpochAutomationDate + static_cast<double>(seconds) / 86400.0;
}

// Outside senders the store knows by name but who are no subscribers.
struct OutsideSender {
  const char* alias;
  const char* display_name;
};
constexpr std::array<OutsideSender, 4> kOutsideSenders = {{
    {"frontdesk.kiosk", "Front Desk Kiosk"},
    {"partner.office", "Partner Office"},
    {"former.employee", "Former Employee"},
    {"nodisplayname", nullptr},
}};

class StoreBuilder;

using MessageChange = void (*)(StoreBuilder&, Message&);

class StoreBuilder {
 public:
  StoreBuilder(const Directory& directory, std::uint64_t seed)
      : prng_(Prng::ForPart(seed, "message store")) {
    for (const Subscriber& subscriber : directory.subscribers) {
      if (subscriber.type != 1 && subscriber.type != 3) continue;
      store_.mail_users.push_back({NextUserId(), subscriber.alias, subscriber.display_name, true});
    }
    subscriber_count_ = static_cast<std::int64_t>(store_.mail_users.size());
    for (const OutsideSender& outside : kOutsideSenders) {
      store_.mail_users.push_back({NextUserId(), outside.alias,
                                   outside.display_name ? OptionalText(outside.display_name)
                                                        : std::nullopt,
                                   false});
    }
  }

  MessageStore Build(int message_count);

  Prng& prng() { return prng_; }

  std::int64_t RandomSubscriberId() {
    return 1 + static_cast<std::int64_t>(prng_.Below(static_cast<std::uint64_t>(subscriber_count_)));
  }
  std::int64_t RandomOutsideSenderId() {
    return subscriber_count_ + 1 + static_cast<std::int64_t>(prng_.Below(kOutsideSenders.size()));
  }

  Tone NewTone(WaveLayout layout = WaveLayout::kCanonical) {
    static constexpr std::array<std::uint16_t, 4> kLow = {350, 440, 480, 620};
    static constexpr std::array<std::uint16_t, 3> kHigh = {1000, 1400, 1800};
    // 0.2 to 0.5 s.
    Tone tone;
    tone.sample_count = static_cast<std::uint32_t>(prng_.Between(1600, 4000));
    tone.low_hz = prng_.Pick(kLow);
    tone.high_hz = prng_.Pick(kHigh);
    tone.layout = layout;
    return tone;
  }

  void SetUnknownSender(Message& message, std::int64_t address_type, OptionalText address) {
    message.has_unknown_sender = 1;
    message.sender_id.reset();
    message.sender_address_type = address_type;
    message.sender_email_address = std::move(address);
  }

 private:
  std::int64_t NextUserId() { return static_cast<std::int64_t>(store_.mail_users.size()) + 1; }
  Message OrdinaryMessage(std::int64_t id, std::int64_t owner_id);

  Prng prng_;
  MessageStore store_;
  std::int64_t subscriber_count_ = 0;
};

struct SpecialMessage {
  MessageChange change;
};

const std::array<SpecialMessage, 22> kSpecialMessages = {{
    // urgent and private
    {[](StoreBuilder&, Message& m) {
       m.importance = 2;
       m.sensitivity = 3;
       m.subject = "Quarterly budget review";
     }},
    // AMIS sender
    {[](StoreBuilder& b, Message& m) {
       b.SetUnknownSender(m, kAmis, "4255550142");
     }},
    // OMNI sender
    {[](StoreBuilder& b, Message& m) { b.SetUnknownSender(m, kOmni, "5102"); }},
    // VPIM sender
    {[](StoreBuilder& b, Message& m) {
       b.SetUnknownSender(m, kVpim, "jdoe@vpim.partner.example");
     }},
    // sender of another address type
    {[](StoreBuilder& b, Message& m) {
       b.SetUnknownSender(m, kOtherAddressType, "caller@example.com");
     }},
    // unknown sender, empty address
    {[](StoreBuilder& b, Message& m) {
       b.SetUnknownSender(m, kAmis, "");
     }},
    // unknown sender, no address
    {[](StoreBuilder& b, Message& m) {
       b.SetUnknownSender(m, kVpim, std::nullopt);
     }},
    // unknown sender without address type: the message fails
    {[](StoreBuilder& b, Message& m) {
       b.SetUnknownSender(m, kOmni, "5103");
       m.sender_address_type.reset();
     }},
    // known sender flag without sender
    {[](StoreBuilder& b, Message& m) {
       b.SetUnknownSender(m, kOmni, "2210");
       m.has_unknown_sender = 0;
     }},
    // sender who is no subscriber
    {[](StoreBuilder& b, Message& m) {
       m.sender_id = b.RandomOutsideSenderId();
     }},
    // delivered before 1970
    {[](StoreBuilder&, Message& m) {
       m.delivery_time = AutomationDate(1969, 7, 20, 20, 17, 40);
     }},
    // delivered after 2038
    {[](StoreBuilder&, Message& m) {
       m.delivery_time = AutomationDate(2040, 2, 29, 12, 0, 0);
     }},
    // last second a 32-bit time holds
    {[](StoreBuilder&, Message& m) {
       m.delivery_time = AutomationDate(2038, 1, 19, 3, 14, 7);
     }},
    // first second past a 32-bit time
    {[](StoreBuilder&, Message& m) {
       m.delivery_time = AutomationDate(2038, 1, 19, 3, 14, 8);
     }},
    // two attachments
    {[](StoreBuilder& b, Message& m) {
       m.attachments = {b.NewTone(), b.NewTone()};
     }},
    // three attachments
    {[](StoreBuilder& b, Message& m) {
       m.attachments = {b.NewTone(), b.NewTone(), b.NewTone()};
     }},
    // fact chunk in the first attachment
    {[](StoreBuilder& b, Message& m) {
       m.attachments = {b.NewTone(WaveLayout::kWithFactChunk), b.NewTone(), b.NewTone()};
     }},
    // 18-byte format chunk in the first attachment
    {[](StoreBuilder& b, Message& m) {
       m.attachments = {b.NewTone(WaveLayout::kFormatWithSize), b.NewTone()};
     }},
    // no subject
    {[](StoreBuilder&, Message& m) { m.subject.reset(); }},
    // no importance or sensitivity
    {[](StoreBuilder&, Message& m) {
       m.importance.reset();
       m.sensitivity.reset();
     }},
    // subject beyond the ANSI code page
    {[](StoreBuilder&, Message& m) {
       m.subject = "Rückruf wegen Angebot – 至急";
     }},
    // no delivery time
    {[](StoreBuilder&, Message& m) { m.delivery_time.reset(); }},
}};

Message StoreBuilder::OrdinaryMessage(std::int64_t id, std::int64_t owner_id) {
  Message message;
  message.id = id;
  message.owner_id = owner_id;
  message.folder = prng_.Percent(55) ? kFolderNewVoice : kFolderSavedVoice;
  static const std::int64_t kFirst = DaysFromCivil(2008, 1, 1) * 86400;
  static const std::int64_t kLast = DaysFromCivil(2025, 1, 1) * 86400;
  message.delivery_time =
      AutomationDateOfUnixSeconds(kFirst + static_cast<std::int64_t>(prng_.Below(
                                               static_cast<std::uint64_t>(kLast - kFirst))));
  if (prng_.Percent(70)) {
    message.has_unknown_sender = 0;
    message.sender_id = prng_.Percent(85) ? RandomSubscriberId() : RandomOutsideSenderId();
  } else {
    static constexpr std::array<std::int64_t, 6> kTypes = {kAmis, kOmni, kVpim, kVpim,
                                                          kOtherAddressType, 0};
    const std::int64_t type = prng_.Pick(kTypes);
    OptionalText address;
    const int address_style = prng_.Between(0, 99);
    if (address_style < 85) {
      const std::string number = std::to_string(prng_.Between(1000, 9999));
      address = type == kAmis   ? "425555" + number
                : type == kOmni ? number
                : type == kVpim ? "user" + number + "@vpim.partner.example"
                                : "caller" + number + "@example.com";
    } else if (address_style < 95) {
      address = "";
    }
    SetUnknownSender(message, type, std::move(address));
  }
  message.importance = prng_.Percent(85) ? 1 : 2;
  message.sensitivity = prng_.Percent(90) ? 0 : 3;
  if (!prng_.Percent(10)) message.subject = std::string(prng_.Pick(Subjects()));
  const int attachments = prng_.Between(0, 99);
  const int attachment_count = attachments < 85 ? 1 : attachments < 95 ? 2 : 3;
  for (int i = 0; i < attachment_count; ++i) message.attachments.push_back(NewTone());
  return message;
}

MessageStore StoreBuilder::Build(int message_count) {
  for (int i = 0; i < message_count; ++i) {
    const std::int64_t id = i + 1;
    if (i < SpecialMessageCount()) {
      // One ordinary message per special case, changed into it, each in
      // another mailbox and in both folders by turns.
      Message message = OrdinaryMessage(id, 1 + i % subscriber_count_);
      message.folder = i % 2 == 0 ? kFolderNewVoice : kFolderSavedVoice;
      message.has_unknown_sender = 0;
      message.sender_id = RandomSubscriberId();
      message.sender_address_type.reset();
      message.sender_email_address.reset();
      kSpecialMessages[static_cast<std::size_t>(i)].change(*this, message);
      store_.messages.push_back(std::move(message));
    } else {
      store_.messages.push_back(OrdinaryMessage(id, RandomSubscriberId()));
    }
  }
  return std::move(store_);
}

}  // namespace

int SpecialMessageCount() { return static_cast<int>(kSpecialMessages.size()); }

double AutomationDate(int year, int month, int day, int hour, int minute, int second) {
  return AutomationDateOfUnixSeconds(DaysFromCivil(year, month, day) * 86400 + hour * 3600 +
                                     minute * 60 + second);
}

MessageStore BuildMessageStore(const Directory& directory, int message_count, std::uint64_t seed) {
  return StoreBuilder(directory, seed).Build(message_count);
}

}  // namespace korvel_sample
