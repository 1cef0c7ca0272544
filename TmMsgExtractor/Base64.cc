#include "TmMsgExtractor/Base64.h"

#include <array>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12-bit value: a group of three bytes is two
// look-ups instead of four.
constexpr std::array<char, 2 * 4096> MakePairs() {
  std::array<char, 2 * 4096> pairs{};
  for (unsigned value = 0; value < 4096; ++value) {
    pairs[2 * value] = kAlphabet[value >> 6];
    pairs[2 * value + 1] = kAlphabet[value & 0x3F];
  }
  return pairs;
}
constexpr std::array<char, 2 * 4096> kPairs = MakePairs();

}  // namespace

int Base64Encode(const BYTE* input, int length, char* output) {
  if (length < 1) return 0;
  char* out = output;
  int i = 0;
  for (; i + 3 <= length; i += 3) {
    const unsigned group = unsigned{input[i]} << 16 | unsigned{input[i + 1]} << 8 | input[i + 2];
    std::memcpy(out, &kPairs[2 * (group >> 12)], 2);
    std::memcpy(out + 2, &kPairs[2 * (group & 0xFFF)], 2);
    out += 4;
  }
  if (length - i == 2) {
    const unsigned group = unsigned{input[i]} << 16 | unsigned{input[i + 1]} << 8;
    *out++ = kAlphabet[group >> 18];
    *out++ = kAlphabet[group >> 12 & 0x3F];
    *out++ = kAlphabet[group >> 6 & 0x3F];
    *out++ = '=';
  } else if (length - i == 1) {
    const unsigned group = unsigned{input[i]} << 16;
    *out++ = kAlphabet[group >> 18];
    *out++ = kAlphabet[group >> 12 & 0x3F];
    *out++ = '=';
    *out++ = '=';
  }
  return static_cast<int>(out - output);
}
