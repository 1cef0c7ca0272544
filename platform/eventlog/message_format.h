// Formatting of a message text with the platform's message formatter rules:
//
//   %1 .. %99      insertion of the numbered argument, optionally with a
//                  printf-style string format between '!' signs: %1!-20s!
//   %n             a hard line break (CR LF)
//   %r %t          a carriage return, a tab
//   %0             ends the message (no line break after it)
//   %% %. %! "% "  the character after the '%'; so is any other character
//
// Line breaks of the text itself are kept, or, when line breaks are ignored
// (the maximum-width mask), each becomes one blank and those ending the text
// are dropped. An inserted text is not scanned for these sequences.
//
// Pure: no state, no allocation beyond the result, and the result never
// grows beyond the limit given, so a fuzzer can drive it directly.
#ifndef KORVEL_PLATFORM_EVENTLOG_MESSAGE_FORMAT_H_
#define KORVEL_PLATFORM_EVENTLOG_MESSAGE_FORMAT_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace eventlog {

struct MessageFormatOptions {
  bool ignore_line_breaks = false;
  // Insertions are copied as written, with their format.
  bool ignore_inserts = false;
  // The texts of %1, %2, ...: an array that ends with a null entry, or null.
  // Only the entries up to the highest insertion are read.
  const LPCWSTR* arguments = nullptr;
};

// ERROR_SUCCESS with the text in *out; ERROR_INVALID_PARAMETER for an
// insertion whose argument is missing or whose format is not a string
// format; ERROR_INSUFFICIENT_BUFFER when the text would be longer than
// `limit` characters. *out holds a partial text after a failure.
LONG FormatMessageText(std::wstring_view text, const MessageFormatOptions& options, std::size_t limit,
                       std::wstring* out);

}  // namespace eventlog

#endif  // KORVEL_PLATFORM_EVENTLOG_MESSAGE_FORMAT_H_
