#include "platform/com/guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstddef>
#include <cwchar>

HRESULT CoCreateGuid(GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  std::uint8_t bytes[16];
  std::size_t filled = 0;
  while (filled < sizeof bytes) {
    ssize_t got = getrandom(bytes + filled, sizeof bytes - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return HRESULT_FROM_WIN32(errno);
    }
    filled += static_cast<std::size_t>(got);
  }
  guid->Data1 = static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
                static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
  guid->Data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
  // Version 4 in the top nibble of Data3, the variant bits 10 in Data4[0].
  guid->Data3 = static_cast<std::uint16_t>(((bytes[6] & 0x0F) | 0x40) << 8 | bytes[7]);
  guid->Data4[0] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
  for (int i = 1; i < 8; ++i) guid->Data4[i] = bytes[8 + i];
  return S_OK;
}

std::wstring GuidToString(REFGUID guid) {
  wchar_t text[37];
  std::swprintf(text, 37, L"%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", guid.Data1, guid.Data2,
                guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}
