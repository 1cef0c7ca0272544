// What every fuzz target shares: the input as bytes or as the words of a
// command line, and the stop that hands libFuzzer an input breaking a rule.
#ifndef KORVEL_FUZZ_FUZZ_INPUT_H_
#define KORVEL_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

inline void Require(bool holds) {
  if (!holds) std::abort();
}

// The words between zero bytes, as a program receives them from its caller.
inline std::vector<std::string_view> CommandLineWords(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string_view> words;
  std::string_view rest = Bytes(data, size);
  for (std::size_t end; (end = rest.find('\0')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
    words.push_back(rest.substr(0, end));
  }
  if (!rest.empty()) words.push_back(rest);
  return words;
}

#endif  // KORVEL_FUZZ_FUZZ_INPUT_H_
