// printf-style formatting of wide text with the conventions the extractor's
// format strings are written for: "%s" takes a wide string and "%S" an 8-bit
// one (the ANSI code page), "%c"/"%C" likewise, "l" on an integer still means
// 32 bits. The C library here reads "%s" in a wide format as an 8-bit string,
// so conversions are interpreted one by one instead of handing the format on.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_WIDE_FORMAT_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_WIDE_FORMAT_H_

#include <cstdarg>
#include <string>

// The complete formatted text, whatever its length. A null string argument
// prints as "(null)"; "%n" consumes its argument and stores nothing; a null
// format gives an empty text. Throws std::bad_alloc when memory runs out.
std::wstring FormatWideV(const wchar_t* format, va_list args);
std::wstring FormatWide(const wchar_t* format, ...);

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_WIDE_FORMAT_H_
