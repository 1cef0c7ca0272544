// MIME base64 (the alphabet A-Z a-z 0-9 + /, "=" padding) of the message
// files' audio body.
#ifndef KORVEL_TMMSGEXTRACTOR_BASE64_H_
#define KORVEL_TMMSGEXTRACTOR_BASE64_H_

#include <cstddef>

#include "platform/wintypes.h"

// Characters the encoding of `length` bytes takes: four for every started
// group of three.
constexpr std::size_t Base64Length(std::size_t length) { return (length + 2) / 3 * 4; }

// Encodes `length` bytes into `output`, which must hold Base64Length(length)
// characters, and returns how many it wrote (no terminator); a length below 1
// writes nothing.
int Base64Encode(const BYTE* input, int length, char* output);

#endif  // KORVEL_TMMSGEXTRACTOR_BASE64_H_
