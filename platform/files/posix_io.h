// Reading and writing whole files through descriptors: every loop over short
// and interrupted reads and writes, and every translation of a system error
// number into the platform's error numbers, is here and nowhere else.
#ifndef KORVEL_PLATFORM_FILES_POSIX_IO_H_
#define KORVEL_PLATFORM_FILES_POSIX_IO_H_

#include <sys/types.h>

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace files {

// Owns a descriptor: closes it on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { Close(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
  // Closes now: the result of close(2), the last word on a write that
  // failed late. 0 when nothing was open.
  int Close();

 private:
  int fd_;
};

// Writes all of `bytes`, going on after short and interrupted writes. 0, or
// the system's error number. Safe in a signal handler.
int WriteAll(int fd, std::string_view bytes);

// The same at `offset` of the file, leaving the descriptor's offset alone.
int WriteAllAt(int fd, std::string_view bytes, off_t offset);

// Fills `buffer` with up to `size` bytes, short only at the end of the file.
// The count read, or -1 with errno set.
ssize_t ReadFully(int fd, void* buffer, std::size_t size);

// Appends what remains of the file to `bytes`. 0, or the system's error
// number; EFBIG when the file holds more than `limit` bytes.
int ReadAll(int fd, std::string* bytes, std::size_t limit = std::numeric_limits<std::size_t>::max());

// Copies the file `from`, from its first byte and leaving its offset alone,
// to `to` inside the kernel. 0, or the system's error number.
int CopyAll(int from, int to);

// The platform error number of a failed file operation, `otherwise` when no
// closer one exists. A missing entry means a missing file, or, for a file
// being created, a missing folder.
enum class FileUse { kExisting, kCreated };
DWORD ErrorFromErrno(int error, DWORD otherwise, FileUse use = FileUse::kExisting);

}  // namespace files

#endif  // KORVEL_PLATFORM_FILES_POSIX_IO_H_
