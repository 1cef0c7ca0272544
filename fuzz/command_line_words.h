// A fuzz input as a command line: the words between zero bytes, as a program
// receives them from its caller.
#ifndef KORVEL_FUZZ_COMMAND_LINE_WORDS_H_
#define KORVEL_FUZZ_COMMAND_LINE_WORDS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

inline std::vector<std::string_view> CommandLineWords(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string_view> words;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  for (std::size_t end = rest.find('\0'); end != std::string_view::npos; end = rest.find('\0')) {
    words.push_back(rest.substr(0, end));
    rest.remove_prefix(end + 1);
  }
  if (!rest.empty()) words.push_back(rest);
  return words;
}

#endif  // KORVEL_FUZZ_COMMAND_LINE_WORDS_H_
