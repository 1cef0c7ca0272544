// The extractor's switches over any command line: the folder and the domain
// are arguments as given (or empty), and the log switch's value is an
// argument too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "TmMsgExtractor/CommandLine.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "fuzz/command_line_words.h"

namespace {

bool IsArgument(const CBstr& value, const std::vector<CBstr>& arguments) {
  for (const CBstr& argument : arguments) {
    if (std::wstring_view(argument.c_str(), argument.Length()) == std::wstring_view(value.c_str(), value.Length())) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<CBstr> arguments;
  for (std::string_view word : CommandLineWords(data, size)) arguments.emplace_back(FromSystemText(word));
  const ExtractorSettings settings = ReadSwitches(arguments);
  bool logs_are_arguments = true;
  for (const CBstr& log : settings.logs) logs_are_arguments &= IsArgument(log, arguments);
  if (!logs_are_arguments || (!settings.folder.IsEmpty() && !IsArgument(settings.folder, arguments)) ||
      (!settings.domain.IsEmpty() && !IsArgument(settings.domain, arguments))) {
    std::abort();
  }
  return 0;
}
