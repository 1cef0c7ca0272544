#include "platform/eventlog/message_library.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cwchar>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "platform/codepage/codepage.h"
#include "platform/eventlog/last_error.h"
#include "platform/eventlog/message_format.h"
#include "platform/eventlog/message_table.h"
#include "platform/files/posix_io.h"

struct MessageLibrary {
  eventlog::MessageTable table;
};

namespace {

// The handles handed out and not yet freed, so that a stale or made-up
// handle is refused instead of followed.
std::mutex g_libraries_mutex;
std::set<HMODULE> g_libraries;

bool IsLoaded(HMODULE module) {
  std::lock_guard lock(g_libraries_mutex);
  return g_libraries.contains(module);
}

// The whole file, or an error number.
DWORD ReadMessageFile(const std::string& path, std::string* bytes) {
  // Not blocking, so that a named pipe is refused below instead of waited on.
  files::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file.valid()) return files::ErrorFromErrno(errno, ERROR_READ_FAULT);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return files::ErrorFromErrno(errno, ERROR_READ_FAULT);
  if (S_ISDIR(status.st_mode)) return ERROR_ACCESS_DENIED;
  if (!S_ISREG(status.st_mode)) return ERROR_BAD_EXE_FORMAT;
  const int error = files::ReadAll(file.get(), bytes, kLargestMessageFile);
  if (error == EFBIG) return ERROR_BAD_EXE_FORMAT;
  return error == 0 ? ERROR_SUCCESS : files::ErrorFromErrno(error, ERROR_READ_FAULT);
}

// The message text named by the source flags, or an error number.
DWORD FindMessage(DWORD flags, const void* source, DWORD message_id, DWORD language_id, std::wstring_view* text) {
  if ((flags & FORMAT_MESSAGE_FROM_HMODULE) != 0) {
    HMODULE module = static_cast<HMODULE>(const_cast<void*>(source));
    if (!IsLoaded(module)) return ERROR_INVALID_HANDLE;
    const std::wstring* found = nullptr;
    LONG result = module->table.Find(message_id, language_id, &found);
    if (result == ERROR_SUCCESS) *text = *found;
    return static_cast<DWORD>(result);
  }
  return ERROR_MR_MID_NOT_FOUND;
}

DWORD Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

HMODULE LoadLibraryW(LPCWSTR file_name) {
  if (file_name == nullptr || *file_name == L'\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string bytes;
  DWORD error = ReadMessageFile(codepage::WideToUtf8(file_name), &bytes);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return nullptr;
  }
  auto library = std::make_unique<MessageLibrary>();
  if (!eventlog::MessageTable::Parse(bytes, &library->table, nullptr)) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  std::lock_guard lock(g_libraries_mutex);
  HMODULE module = library.release();
  g_libraries.insert(module);
  return module;
}

BOOL FreeLibrary(HMODULE module) {
  {
    std::lock_guard lock(g_libraries_mutex);
    if (g_libraries.erase(module) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  delete module;
  return TRUE;
}

DWORD FormatMessageW(DWORD flags, const void* source, DWORD message_id, DWORD language_id, LPWSTR buffer,
                     DWORD size, const LPCWSTR* arguments) {
  const DWORD width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
  if (buffer == nullptr || (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0 ||
      (width != 0 && width != FORMAT_MESSAGE_MAX_WIDTH_MASK)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::wstring_view text;
  if (DWORD error = FindMessage(flags, source, message_id, language_id, &text); error != ERROR_SUCCESS) {
    return Fail(error);
  }
  eventlog::MessageFormatOptions options;
  options.ignore_line_breaks = width == FORMAT_MESSAGE_MAX_WIDTH_MASK;
  options.ignore_inserts = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
  if ((flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) != 0) options.arguments = arguments;

  // One character of the buffer is the terminator's.
  const bool buffer_is_the_limit = size <= kLongestFormattedMessage;
  const std::size_t limit = buffer_is_the_limit ? (size == 0 ? 0 : size - 1) : kLongestFormattedMessage;
  std::wstring formatted;
  LONG result = eventlog::FormatMessageText(text, options, limit, &formatted);
  if (result == ERROR_INSUFFICIENT_BUFFER && !buffer_is_the_limit) result = ERROR_MORE_DATA;
  if (result != ERROR_SUCCESS) return Fail(static_cast<DWORD>(result));
  std::wmemcpy(buffer, formatted.data(), formatted.size());
  buffer[formatted.size()] = L'\0';
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(formatted.size());
}
