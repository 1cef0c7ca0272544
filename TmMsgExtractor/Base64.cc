#include "TmMsgExtractor/Base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

int Base64Encode(const BYTE* input, int length, char* output) {
  if (length < 1) return 0;
  char* out = output;
  int i = 0;
  for (; i + 3 <= length; i += 3) {
    const unsigned group = unsigned{input[i]} << 16 | unsigned{input[i + 1]} << 8 | input[i + 2];
    *out++ = kAlphabet[group >> 18];
    *out++ = kAlphabet[group >> 12 & 0x3F];
    *out++ = kAlphabet[group >> 6 & 0x3F];
    *out++ = kAlphabet[group & 0x3F];
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
