// printf-style formatting of wide text, for the conversions the extractor's
// format strings use: "%d", "%x" and "%X" with flags, width and precision, and
// "%s", which takes a wide string (the C library here reads "%s" in a wide
// format as an 8-bit string, so conversions are interpreted one by one instead
// of handing the format on). Any other conversion is copied as it stands and
// takes no argument.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_WIDE_FORMAT_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_WIDE_FORMAT_H_

#include <cstdarg>
#include <string>

// The complete formatted text, whatever its length. A null string argument
// prints as "(null)"; a null format gives an empty text. Throws
// std::bad_alloc when memory runs out.
std::wstring FormatWideV(const wchar_t* format, va_list args);
std::wstring FormatWide(const wchar_t* format, ...);

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_WIDE_FORMAT_H_
