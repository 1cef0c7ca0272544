#include "TmMsgExtractor/Base64.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The tables and loads below lay characters out in little-endian order.
static_assert(std::endian::native == std::endian::little);

// The two characters of every 12-bit value, as they lie in memory: a group of
// three bytes is two look-ups instead of four.
constexpr std::array<std::uint16_t, 4096> MakePairs() {
  std::array<std::uint16_t, 4096> pairs{};
  for (unsigned value = 0; value < 4096; ++value) {
    pairs[value] = static_cast<std::uint16_t>(static_cast<unsigned char>(kAlphabet[value >> 6]) |
                                              static_cast<unsigned char>(kAlphabet[value & 0x3F]) << 8);
  }
  return pairs;
}
constexpr std::array<std::uint16_t, 4096> kPairs = MakePairs();

std::uint64_t LoadBigEndian64(const BYTE* bytes) {
  std::uint64_t value;
  std::memcpy(&value, bytes, sizeof value);
  return __builtin_bswap64(value);
}

// Eight characters of the six bytes at the top of `bits`.
void EncodeSix(std::uint64_t bits, char* out) {
  const std::uint64_t characters = std::uint64_t{kPairs[bits >> 52 & 0xFFF]} |
                                   std::uint64_t{kPairs[bits >> 40 & 0xFFF]} << 16 |
                                   std::uint64_t{kPairs[bits >> 28 & 0xFFF]} << 32 |
                                   std::uint64_t{kPairs[bits >> 16 & 0xFFF]} << 48;
  std::memcpy(out, &characters, sizeof characters);
}

}  // namespace

int Base64Encode(const BYTE* input, int length, char* output) {
  if (length < 1) return 0;
  char* out = output;
  int i = 0;
  // Two groups at a time from one eight-byte load, which never reaches past
  // the input's end.
  for (; i + 8 <= length; i += 6) {
    EncodeSix(LoadBigEndian64(input + i), out);
    out += 8;
  }
  for (; i + 3 <= length; i += 3) {
    const unsigned group = unsigned{input[i]} << 16 | unsigned{input[i + 1]} << 8 | input[i + 2];
    std::memcpy(out, &kPairs[group >> 12], 2);
    std::memcpy(out + 2, &kPairs[group & 0xFFF], 2);
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
