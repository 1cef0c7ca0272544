// Text conversions between the kit's wide strings and the byte encodings it
// reads and writes: the system ANSI code page (Windows-1252), UTF-8 and UTF-16LE.
#ifndef KORVEL_PLATFORM_CODEPAGE_CODEPAGE_H_
#define KORVEL_PLATFORM_CODEPAGE_CODEPAGE_H_

#include <string>
#include <string_view>

namespace codepage {

// The character written for one that the ANSI code page lacks.
inline constexpr char kAnsiDefaultChar = '?';

// Wide text to the ANSI code page. A character the code page lacks becomes
// kAnsiDefaultChar; when used_default is given it tells whether that happened.
std::string WideToAnsi(std::wstring_view text, bool* used_default = nullptr);

// ANSI code page bytes to wide text. Every byte maps to one character; the five
// bytes the code page leaves undefined map to the control characters of the
// same value, so that any byte string survives a round trip.
std::wstring AnsiToWide(std::string_view bytes);

// UTF-8 and UTF-16LE. A malformed sequence becomes U+FFFD and decoding goes on.
std::wstring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf16LeToWide(std::string_view bytes);
std::string WideToUtf16Le(std::wstring_view text);

}  // namespace codepage

#endif  // KORVEL_PLATFORM_CODEPAGE_CODEPAGE_H_
