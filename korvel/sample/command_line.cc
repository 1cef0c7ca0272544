#include "korvel/sample/command_line.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace korvel_sample {
namespace {

constexpr const char* kUsage =
    "Usage: korvel-sample DIR [--subscribers N] [--messages M] [--seed S] [--force]";

template <typename Number>
bool ParseNumber(const std::string& text, Number* value) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, *value);
  return !text.empty() && error == std::errc() && stop == end;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine command;
  const auto usage_error = [&command](std::string error) {
    command.action = CommandLine::Action::kUsageError;
    command.error = std::move(error);
    return command;
  };
  bool have_dir = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      command.action = CommandLine::Action::kHelp;
      return command;
    }
    if (argument == "--force") {
      command.options.force = true;
      continue;
    }
    if (argument.starts_with("--")) {
      const std::size_t equals = argument.find('=');
      const std::string name = argument.substr(0, equals);
      if (name != "--subscribers" && name != "--messages" && name != "--seed") {
        return usage_error("unknown option " + argument);
      }
      std::optional<std::string> value;
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      }
      if (!value) return usage_error(name + " needs a value");
      bool valid;
      if (name == "--seed") {
        valid = ParseNumber(*value, &command.options.seed);
      } else {
        int* count = name == "--subscribers" ? &command.options.subscribers
                                             : &command.options.messages;
        const int low = name == "--subscribers" ? MinimumSubscribers() : 0;
        const int high = name == "--subscribers" ? kMaxSubscribers : kMaxMessages;
        valid = ParseNumber(*value, count) && *count >= low && *count <= high;
        if (!valid) {
          return usage_error(name + " takes a whole number from " + std::to_string(low) + " to " +
                             std::to_string(high) + ", not '" + *value + "'");
        }
      }
      if (!valid) return usage_error(name + " takes a whole number, not '" + *value + "'");
      continue;
    }
    if (have_dir || argument.empty()) {
      return usage_error(argument.empty() ? "the folder name is empty"
                                          : "more than one folder given: " + argument);
    }
    command.options.dir = argument;
    have_dir = true;
  }
  if (!have_dir) return usage_error("no folder given");
  command.action = CommandLine::Action::kWrite;
  return command;
}

std::string HelpText() {
  return std::string(kUsage) +
         "\n"
         "\n"
         "Writes a complete sample voice-mail server into DIR, for trying out and testing the\n"
         "migration export kit without a real server:\n"
         "  registry.reg          the server's registry values (paths point into DIR)\n"
         "  KorvelDb.sqlite       the directory database\n"
         "  Stream Files/         the subscribers' recorded names\n"
         "  MessageStore.sqlite   the message store with the voice messages\n"
         "  QoTmEventMessages.mc  the event messages of the server's event source\n"
         "The first subscribers and messages are the unusual cases an export meets (an EAdmin\n"
         "account, missing call handlers, names with commas and quotes, unknown senders, ...),\n"
         "each subscriber under an alias saying what it is. The same seed always gives the same\n"
         "sample. At the end it prints the environment that points the kit at the sample.\n"
         "\n"
         "Options:\n"
         "  --subscribers N  subscribers of types 1 and 3 (default " +
         std::to_string(kDefaultSubscribers) + ", at least " +
         std::to_string(MinimumSubscribers()) + ", at most " + std::to_string(kMaxSubscribers) +
         ");\n"
         "                   a few of other types come on top\n"
         "  --messages M     messages in the whole store (default " +
         std::to_string(kDefaultMessages) + ", at most " + std::to_string(kMaxMessages) +
         ")\n"
         "  --seed S         seed of the sample, 0 to 18446744073709551615 (default " +
         std::to_string(kDefaultSeed) + ")\n"
         "  --force          use DIR even when it is not empty, replacing the files above\n"
         "                   (nothing else in DIR is touched)\n"
         "  --help           show this text\n"
         "\n"
         "Exit status: 0 done, 1 failed (the message names the path), 64 bad usage.\n";
}

int RunSampleCommand(const std::vector<std::string>& arguments, std::ostream& out,
                     std::ostream& err) {
  const CommandLine command = ParseCommandLine(arguments);
  switch (command.action) {
    case CommandLine::Action::kHelp:
      out << HelpText();
      return kExitSuccess;
    case CommandLine::Action::kUsageError:
      err << "korvel-sample: " << command.error << "\n" << kUsage << "\n";
      return kExitUsage;
    case CommandLine::Action::kWrite:
      break;
  }
  SampleReport report;
  const Status status = WriteSampleServer(command.options, &report);
  if (!status.ok()) {
    err << "korvel-sample: " << status.message() << "\n";
    return kExitFailure;
  }
  out << DescribeSample(report);
  return kExitSuccess;
}

}  // namespace korvel_sample
