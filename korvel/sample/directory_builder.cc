#include "korvel/sample/directory_builder.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "korvel/sample/names.h"
#include "korvel/sample/prng.h"

namespace korvel_sample {
namespace {

constexpr std::array<std::int64_t, 5> kOtherLanguages = {1031, 1036, 1041, 3082, 2057};
constexpr std::array<std::uint16_t, 4> kLowTones = {697, 770, 852, 941};
constexpr std::array<std::uint16_t, 3> kHighTones = {1209, 1336, 1477};

class DirectoryBuilder;

// One special subscriber as it is being changed into its case.
struct Case {
  DirectoryBuilder& builder;
  Subscriber& subscriber;
  CallHandler& handler;
};

class DirectoryBuilder {
 public:
  DirectoryBuilder(std::uint64_t seed, std::string stream_folder)
      : prng_(Prng::ForPart(seed, "directory")), stream_folder_(std::move(stream_folder)) {}

  Directory Build(int exported_subscribers);

  Prng& prng() { return prng_; }
  const Directory& directory() const { return directory_; }

  std::string NewAlternateExtension() { return "1425" + Padded(++alternate_serial_, 7); }

  ContactRule MakeRule(std::string alias, const OptionalText& extension) {
    ContactRule rule;
    rule.object_id = prng_.ObjectId();
    rule.alias = std::move(alias);
    rule.action = prng_.Percent(70) ? 1 : 0;
    rule.transfer_type = prng_.Percent(60) ? 1 : 0;
    rule.extension = extension;
    rule.transfer_rings = prng_.Between(2, 6);
    return rule;
  }

  void SetVoiceInFolder(Subscriber& subscriber, std::string_view folder) {
    const std::string file = FileStem(subscriber) + ".wav";
    std::string stream_path;
    std::string relative;
    if (!folder.empty()) {
      relative = std::string(folder) + "/";
      stream_path = relative;
      std::replace(stream_path.begin(), stream_path.end(), '/', '\\');
    }
    subscriber.stream_path = stream_path + file;
    subscriber.voice_file = VoiceFile{relative + file, NewVoiceTone()};
  }

  void SetVoiceAbsolute(Subscriber& subscriber) {
    const std::string relative = "archive/" + FileStem(subscriber) + ".wav";
    subscriber.stream_path = stream_folder_ + "/" + relative;
    subscriber.voice_file = VoiceFile{relative, NewVoiceTone()};
  }

  void SetVoiceMissing(Subscriber& subscriber) {
    subscriber.stream_path = FileStem(subscriber) + ".wav";
    subscriber.voice_file.reset();
  }

  void SetNoVoice(Subscriber& subscriber, OptionalText stream_path) {
    subscriber.stream_path = std::move(stream_path);
    subscriber.voice_file.reset();
  }

 private:
  static std::string Padded(long value, std::size_t width) {
    std::string text = std::to_string(value);
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
  }

  static std::string FileStem(const Subscriber& subscriber) {
    std::string stem = subscriber.object_id;
    std::erase(stem, '-');
    return stem;
  }

  Tone NewVoiceTone() {
    // 0.15 to 0.25 s: the file stays within one 4 KiB disk block.
    Tone tone;
    tone.sample_count = static_cast<std::uint32_t>(prng_.Between(1200, 2000));
    tone.low_hz = prng_.Pick(kLowTones);
    tone.high_hz = prng_.Pick(kHighTones);
    return tone;
  }

  void AddFixedObjects();
  Subscriber& AddSubscriber(int type, const PersonName& name, OptionalText alias);
  void AddSpecialSubscribers();
  void AddOtherTypes();
  void AddOrdinarySubscriber();

  Prng prng_;
  std::string stream_folder_;
  Directory directory_;
  long extension_serial_ = 0;
  long alternate_serial_ = 0;
};

using CaseChange = void (*)(Case&);

struct SpecialCase {
  const char* alias;
  const char* first;
  const char* last;
  CaseChange change;
};

std::string DanglingId(Case& c) { return c.builder.prng().ObjectId(); }

void SetMwi(Case& c, std::initializer_list<OptionalText> extensions) {
  c.subscriber.mwi_devices.clear();
  for (const OptionalText& extension : extensions) {
    c.subscriber.mwi_devices.push_back({c.builder.prng().ObjectId(), "MWI-1", extension});
  }
}

ContactRule& AlternateRule(Case& c) {
  for (ContactRule& rule : c.handler.contact_rules) {
    if (rule.alias == "Alternate") return rule;
  }
  return c.handler.contact_rules.back();
}

// The special subscribers, in directory order. Each starts as an ordinary
// subscriber with the names given and is then changed into its case.
const std::array<SpecialCase, 39> kSpecialCases = {{
    {"EAdmin", "Example", "Administrator", [](Case& c) {
       c.subscriber.display_name = "Example Administrator";
       c.subscriber.cos_id = c.builder.directory().classes_of_service[1].object_id;
     }},
    {"eadmin", "Example", "Administrator", [](Case& c) {
       c.subscriber.type = 3;
       c.subscriber.display_name = "Example Administrator (second)";
     }},
    {"nohandler", "Nora", "Handler", [](Case& c) { c.subscriber.call_handler_id = DanglingId(c); }},
    {"nocos", "Nick", "Service", [](Case& c) { c.subscriber.cos_id = DanglingId(c); }},
    {"nolocation", "Nadia", "Location", [](Case& c) { c.subscriber.location_id = DanglingId(c); }},
    {"nohandler.nocos", "Neil", "Neither", [](Case& c) {
       c.subscriber.call_handler_id = DanglingId(c);
       c.subscriber.cos_id = DanglingId(c);
     }},
    {"jsmith.jr", "John", "Smith, Jr.", [](Case& c) {
       c.subscriber.display_name = "Smith, Jr., John";
     }},
    {"bmiller", "Robert \"Bob\"", "Miller", [](Case& c) {
       c.subscriber.display_name = "Robert \"Bob\" Miller";
     }},
    {"dholliday", "John \"Doc\"", "Holliday", [](Case& c) {
       c.subscriber.display_name = "Holliday, John \"Doc\"";
     }},
    {"aberg", "  Anna ", " Berg  ", [](Case& c) {
       c.subscriber.display_name = "  Anna Berg  ";
       c.subscriber.billing_id = " 4711 ";
     }},
    {"zangstrom", "Zoë", "Ångström", [](Case& c) { c.subscriber.language = 1053; }},
    {"rené.lefèvre", "René", "Lefèvre", [](Case& c) { c.subscriber.language = 1036; }},
    {"tyamada", "太郎", "山田", [](Case& c) {
       c.subscriber.display_name = "山田 太郎";
       c.subscriber.language = 1041;
     }},
    {"twoalternates", "Tom", "Twofold", [](Case& c) {
       c.subscriber.alternate_extensions = {c.builder.NewAlternateExtension(),
                                            c.builder.NewAlternateExtension()};
     }},
    {"manyalternates", "Max", "Many", [](Case& c) {
       c.subscriber.alternate_extensions.clear();
       for (int i = 0; i < 12; ++i) {
         c.subscriber.alternate_extensions.push_back(c.builder.NewAlternateExtension());
       }
     }},
    {"noalternates", "Olga", "Single", [](Case& c) { c.subscriber.alternate_extensions.clear(); }},
    {"mwi.upper", "Uma", "Upper", [](Case& c) { SetMwi(c, {"9X"}); }},
    {"mwi.lower", "Leo", "Lower", [](Case& c) { SetMwi(c, {"8x"}); }},
    {"mwi.several", "Sam", "Several", [](Case& c) { SetMwi(c, {"*X#x"}); }},
    {"mwi.plain", "Pia", "Plain", [](Case& c) { SetMwi(c, {"4455"}); }},
    {"mwi.two", "Tara", "Twin", [](Case& c) { SetMwi(c, {"X", "9X"}); }},
    {"mwi.none", "Ned", "Nolight", [](Case& c) {
       c.subscriber.mwi_devices = {{c.builder.prng().ObjectId(), "MWI-2", "X"}};
     }},
    {"rule.none", "Rita", "Noroute", [](Case& c) {
       std::erase_if(c.handler.contact_rules,
                     [](const ContactRule& rule) { return rule.alias == "Alternate"; });
     }},
    {"rule.two", "Ray", "Tworoutes", [](Case& c) {
       c.handler.contact_rules.push_back(c.builder.MakeRule("Alternate", "5550199"));
     }},
    {"rule.rings0", "Rick", "Norings", [](Case& c) { AlternateRule(c).transfer_rings = 0; }},
    {"rule.typenull", "Tina", "Notype", [](Case& c) { AlternateRule(c).transfer_type.reset(); }},
    {"rule.nulls", "Nils", "Nullrule", [](Case& c) {
       ContactRule& rule = AlternateRule(c);
       rule.action.reset();
       rule.extension.reset();
       rule.transfer_rings.reset();
     }},
    {"nolanguage", "Lana", "Nolang", [](Case& c) {
       c.subscriber.language.reset();
       c.subscriber.list_in_directory.reset();
     }},
    {"unlisted", "Una", "Unlisted", [](Case& c) {
       c.subscriber.list_in_directory = 0;
       c.subscriber.pwdtmf.reset();
       c.subscriber.billing_id.reset();
     }},
    {nullptr, "No", "Alias", [](Case&) {}},
    {"noextension", "Ena", "Noext", [](Case& c) { c.handler.primary_extension.reset(); }},
    {"voice.empty", "Eve", "Empty", [](Case& c) { c.builder.SetNoVoice(c.subscriber, ""); }},
    {"voice.null", "Val", "Null", [](Case& c) { c.builder.SetNoVoice(c.subscriber, std::nullopt); }},
    {"voice.missing", "Mia", "Missing", [](Case& c) { c.builder.SetVoiceMissing(c.subscriber); }},
    {"voice.subfolder", "Sid", "Subfolder", [](Case& c) {
       c.builder.SetVoiceInFolder(c.subscriber, "names");
     }},
    {"voice.nested", "Nina", "Nested", [](Case& c) {
       c.builder.SetVoiceInFolder(c.subscriber, "names/2009");
     }},
    {"voice.absolute", "Abe", "Absolute", [](Case& c) { c.builder.SetVoiceAbsolute(c.subscriber); }},
    {"voice.drive", "Drew", "Drive", [](Case& c) {
       c.builder.SetNoVoice(c.subscriber,
                            "C:\\Korvel\\Stream Files\\" + c.subscriber.object_id + ".wav");
     }},
    {"hsato", "花子", "佐藤", [](Case& c) {
       c.subscriber.display_name = "佐藤 花子";
       c.subscriber.language = 1041;
       c.builder.SetVoiceInFolder(c.subscriber, "names");
     }},
}};

void DirectoryBuilder::AddFixedObjects() {
  directory_.locations = {
      {prng_.ObjectId(), "defaultlocation", "Default Location", ""},
      {prng_.ObjectId(), "branchoffice", "Branch Office", "7"},
  };
  directory_.classes_of_service = {
      {prng_.ObjectId(), "defaultsubscriber", "Default Subscriber", 300},
      {prng_.ObjectId(), "defaultadministrator", "Default Administrator", 1200},
      {prng_.ObjectId(), "restricted", "Restricted", 60},
  };
  struct SystemHandler {
    const char* alias;
    const char* display_name;
    OptionalText extension;
  };
  const std::array<SystemHandler, 3> system_handlers = {{
      {"openinggreeting", "Opening Greeting", std::nullopt},
      {"operator", "Operator", "0"},
      {"goodbye", "Goodbye", std::nullopt},
  }};
  for (const SystemHandler& system : system_handlers) {
    CallHandler handler;
    handler.object_id = prng_.ObjectId();
    handler.alias = system.alias;
    handler.display_name = system.display_name;
    handler.location_id = directory_.locations[0].object_id;
    handler.primary_extension = system.extension;
    handler.contact_rules = {MakeRule("Standard", system.extension),
                             MakeRule("Alternate", system.extension)};
    directory_.call_handlers.push_back(std::move(handler));
  }
}

Subscriber& DirectoryBuilder::AddSubscriber(int type, const PersonName& name, OptionalText alias) {
  Subscriber subscriber;
  subscriber.object_id = prng_.ObjectId();
  subscriber.alias = std::move(alias);
  subscriber.type = type;
  subscriber.first_name = std::string(name.first);
  subscriber.last_name = std::string(name.last);
  const int display_style = prng_.Between(0, 99);
  if (display_style < 80) {
    subscriber.display_name = std::string(name.first) + " " + std::string(name.last);
  } else if (display_style < 97) {
    subscriber.display_name = std::string(name.last) + ", " + std::string(name.first);
  }
  if (!prng_.Percent(3)) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hash;
    for (int i = 0; i < 32; ++i) hash.push_back(kHex[prng_.Below(16)]);
    subscriber.pwdtmf = hash;
  }
  const int billing_style = prng_.Between(0, 99);
  if (billing_style < 40) {
    subscriber.billing_id = "BL" + Padded(static_cast<long>(prng_.Below(100000)), 5);
  } else if (billing_style < 50) {
    subscriber.billing_id = "";
  }
  if (!prng_.Percent(3)) {
    subscriber.language = prng_.Percent(75) ? 1033 : prng_.Pick(kOtherLanguages);
  }
  const int listing = prng_.Between(0, 99);
  if (listing < 85) {
    subscriber.list_in_directory = 1;
  } else if (listing < 97) {
    subscriber.list_in_directory = 0;
  }
  subscriber.cos_id = directory_.classes_of_service[prng_.Below(2) * 2].object_id;
  subscriber.location_id = directory_.locations[prng_.Percent(90) ? 0 : 1].object_id;

  const std::string extension = std::to_string(10000 + ++extension_serial_);
  const int alternates = prng_.Between(0, 99);
  const int alternate_count = alternates < 60 ? 0 : alternates < 85 ? 1 : alternates < 95 ? 2 : 4;
  for (int i = 0; i < alternate_count; ++i) {
    subscriber.alternate_extensions.push_back(NewAlternateExtension());
  }

  const int mwi_style = prng_.Between(0, 99);
  OptionalText mwi = mwi_style < 60   ? OptionalText("X")
                     : mwi_style < 75 ? OptionalText("9X")
                     : mwi_style < 85 ? OptionalText("x")
                     : mwi_style < 98 ? OptionalText("8" + extension)
                                      : std::nullopt;
  subscriber.mwi_devices.push_back({prng_.ObjectId(), "MWI-1", mwi});
  if (prng_.Percent(20)) subscriber.mwi_devices.push_back({prng_.ObjectId(), "MWI-2", "X"});

  const int voice = prng_.Between(0, 99);
  if (voice < 70) {
    SetVoiceInFolder(subscriber, "");
  } else if (voice < 82) {
    SetVoiceInFolder(subscriber, "names");
  } else if (voice < 87) {
    SetVoiceAbsolute(subscriber);
  } else if (voice < 92) {
    SetNoVoice(subscriber, "");
  } else if (voice < 96) {
    SetNoVoice(subscriber, std::nullopt);
  } else {
    SetVoiceMissing(subscriber);
  }

  CallHandler handler;
  handler.object_id = prng_.ObjectId();
  handler.alias = "ch_" + subscriber.alias.value_or(subscriber.object_id);
  handler.display_name = subscriber.display_name.value_or("");
  handler.owner_id = subscriber.object_id;
  handler.location_id = subscriber.location_id;
  handler.primary_extension = extension;
  OptionalText transfer_to = extension;
  const int transfer_style = prng_.Between(0, 99);
  if (transfer_style < 25) {
    transfer_to = "";
  } else if (transfer_style < 50) {
    transfer_to = "9" + std::to_string(5550100 + prng_.Below(100));
  }
  handler.contact_rules = {MakeRule("Standard", extension), MakeRule("OffHours", ""),
                           MakeRule("Alternate", transfer_to)};
  subscriber.call_handler_id = handler.object_id;

  directory_.call_handlers.push_back(std::move(handler));
  directory_.subscribers.push_back(std::move(subscriber));
  return directory_.subscribers.back();
}

void DirectoryBuilder::AddSpecialSubscribers() {
  for (const SpecialCase& special : kSpecialCases) {
    const PersonName name{special.first, special.last, ""};
    Subscriber& subscriber =
        AddSubscriber(1, name, special.alias ? OptionalText(special.alias) : std::nullopt);
    Case change{*this, subscriber, directory_.call_handlers.back()};
    special.change(change);
  }
}

void DirectoryBuilder::AddOtherTypes() {
  // Present in the directory, never exported.
  AddSubscriber(2, {"Night", "Attendant", ""}, "nightattendant");
  AddSubscriber(5, {"Fax", "Gateway", ""}, "faxgateway");
  AddSubscriber(0, {"Imported", "Contact", ""}, "importedcontact");
}

void DirectoryBuilder::AddOrdinarySubscriber() {
  const PersonName& name =
      prng_.Percent(6) ? prng_.Pick(InternationalNames()) : prng_.Pick(CommonNames());
  const std::string alias = std::string(name.alias_stem) + std::to_string(extension_serial_ + 1);
  AddSubscriber(prng_.Percent(10) ? 3 : 1, name, alias);
}

Directory DirectoryBuilder::Build(int exported_subscribers) {
  AddFixedObjects();
  AddSpecialSubscribers();
  AddOtherTypes();
  for (int i = SpecialSubscriberCount(); i < exported_subscribers; ++i) AddOrdinarySubscriber();
  return std::move(directory_);
}

}  // namespace

int SpecialSubscriberCount() { return static_cast<int>(kSpecialCases.size()); }

Directory BuildDirectory(int exported_subscribers, std::uint64_t seed,
                         const std::string& stream_folder) {
  return DirectoryBuilder(seed, stream_folder).Build(exported_subscribers);
}

}  // namespace korvel_sample
