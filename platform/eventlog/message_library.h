// Message libraries: on the voice-mail server a message file is a library
// holding a message table; here it is the message compiler's text file (see
// message_table.h), and loading the library means reading and parsing it.
// Nothing in the file is ever run.
//
// The functions have the platform's shape. A failure returns null, FALSE or
// 0 and leaves the error number for GetLastError (platform/eventlog/last_error.h).
#ifndef KORVEL_PLATFORM_EVENTLOG_MESSAGE_LIBRARY_H_
#define KORVEL_PLATFORM_EVENTLOG_MESSAGE_LIBRARY_H_

#include <cstddef>

#include "platform/wintypes.h"

struct MessageLibrary;
using HMODULE = MessageLibrary*;

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x800;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x2000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0xFF;

// A message file larger than this is not taken for one.
constexpr std::size_t kLargestMessageFile = 16 * 1024 * 1024;
// The formatter never produces a longer text.
constexpr DWORD kLongestFormattedMessage = 65535;

// Reads the message file at `file_name` (a path; relative to the current
// folder when it does not start with '/'). Fails with the file's error
// (ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ...) or ERROR_BAD_EXE_FORMAT
// for anything but a regular file that parses as a message file of at most
// kLargestMessageFile bytes. Each call makes a new handle.
HMODULE LoadLibraryW(LPCWSTR file_name);

// ERROR_INVALID_HANDLE for a handle that is not (or no longer) loaded.
BOOL FreeLibrary(HMODULE module);

// Formats a message into `buffer` of `size` characters and returns the
// characters written, not counting the terminating zero. Success sets the
// last error to ERROR_SUCCESS, which tells an empty message from a failure.
//
// The message comes from `source` as a loaded library with
// FORMAT_MESSAGE_FROM_HMODULE (ERROR_MR_MID_NOT_FOUND, or
// ERROR_RESOURCE_LANG_NOT_FOUND for a language it lacks; see
// MessageTable::Find for `language_id`). There are no system messages:
// without that flag the result is ERROR_MR_MID_NOT_FOUND.
//
// The low byte of `flags` is the maximum width: 0 keeps the message's line
// breaks, FORMAT_MESSAGE_MAX_WIDTH_MASK ignores them (see message_format.h);
// wrapping at another width is not offered (ERROR_INVALID_PARAMETER).
//
// Insertions take their texts from `arguments` with
// FORMAT_MESSAGE_ARGUMENT_ARRAY. Unlike the original, whose array has no end
// mark, the array ends with a null entry, so that an insertion numbered past
// the caller's texts (a message file is outside data) fails with
// ERROR_INVALID_PARAMETER instead of reading beyond the array. Without that
// flag and without FORMAT_MESSAGE_IGNORE_INSERTS every insertion fails the
// same way. FORMAT_MESSAGE_ALLOCATE_BUFFER is not offered.
//
// A text that does not fit `size` characters with its terminator fails with
// ERROR_INSUFFICIENT_BUFFER, one longer than kLongestFormattedMessage with
// ERROR_MORE_DATA whatever the buffer.
DWORD FormatMessageW(DWORD flags, const void* source, DWORD message_id, DWORD language_id, LPWSTR buffer,
                     DWORD size, const LPCWSTR* arguments);

#endif  // KORVEL_PLATFORM_EVENTLOG_MESSAGE_LIBRARY_H_
