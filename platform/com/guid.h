// Globally unique identifiers: interface and class ids, and the random ids the
// extractor puts into message file names.
#ifndef KORVEL_PLATFORM_COM_GUID_H_
#define KORVEL_PLATFORM_COM_GUID_H_

#include <cstdint>
#include <string>

#include "platform/com/hresult.h"
#include "platform/wintypes.h"

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPCLSID = CLSID*;

inline constexpr GUID GUID_NULL = {};

namespace guid_internal {

constexpr unsigned HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  throw "GUID text holds a character that is not a hexadecimal digit";
}

constexpr std::uint32_t Hex(const char* text, int digits) {
  std::uint32_t value = 0;
  for (int i = 0; i < digits; ++i) value = value << 4 | HexDigit(text[i]);
  return value;
}

}  // namespace guid_internal

// A GUID from its 36-character text ("6f1d2b3c-0a4e-4c55-9d1b-2e7f3a9c8b10"),
// evaluated while compiling so that a malformed id does not build.
consteval GUID MakeGuid(const char (&text)[37]) {
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
    throw "GUID text needs dashes after 8, 4, 4 and 4 digits";
  }
  GUID guid{};
  guid.Data1 = guid_internal::Hex(text, 8);
  guid.Data2 = static_cast<std::uint16_t>(guid_internal::Hex(text + 9, 4));
  guid.Data3 = static_cast<std::uint16_t>(guid_internal::Hex(text + 14, 4));
  guid.Data4[0] = static_cast<std::uint8_t>(guid_internal::Hex(text + 19, 2));
  guid.Data4[1] = static_cast<std::uint8_t>(guid_internal::Hex(text + 21, 2));
  for (int i = 0; i < 6; ++i) {
    guid.Data4[2 + i] = static_cast<std::uint8_t>(guid_internal::Hex(text + 24 + 2 * i, 2));
  }
  return guid;
}

// The id of an interface or a component class: each declares its own as
// `static constexpr GUID kUuid`, so a call site names the type, not a constant.
template <typename T>
constexpr const GUID& UuidOf() {
  return T::kUuid;
}

// A new random (version 4) GUID from the kernel's random source.
HRESULT CoCreateGuid(GUID* guid);

// The standard 36-character lower-case text, without braces.
std::wstring GuidToString(REFGUID guid);

#endif  // KORVEL_PLATFORM_COM_GUID_H_
