// The extractor's switches over any command line: the folder and the domain
// are arguments as given (or empty), and the log switch's value is an
// argument too.
#include <algorithm>

#include "TmMsgExtractor/CommandLine.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<CBstr> arguments;
  for (std::string_view word : CommandLineWords(data, size)) arguments.emplace_back(FromSystemText(word));
  const auto is_argument = [&](const CBstr& value) {
    return std::any_of(arguments.begin(), arguments.end(), [&](const CBstr& argument) {
      return std::wstring_view(argument.c_str(), argument.Length()) == std::wstring_view(value.c_str(), value.Length());
    });
  };
  const ExtractorSettings settings = ReadSwitches(arguments);
  Require(std::all_of(settings.logs.begin(), settings.logs.end(), is_argument));
  Require(settings.folder.IsEmpty() || is_argument(settings.folder));
  Require(settings.domain.IsEmpty() || is_argument(settings.domain));
  return 0;
}
