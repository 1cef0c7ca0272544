#include "platform/files/posix_io.h"

#include <sys/sendfile.h>
#include <unistd.h>

#include <cerrno>

namespace files {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.release();
  }
  return *this;
}

int FileDescriptor::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

int FileDescriptor::Close() {
  if (fd_ < 0) return 0;
  return ::close(release());
}

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

int WriteAllAt(int fd, std::string_view bytes, off_t offset) {
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(written));
    offset += written;
  }
  return 0;
}

ssize_t ReadFully(int fd, void* buffer, std::size_t size) {
  char* const data = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, data + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

int ReadAll(int fd, std::string* bytes, std::size_t limit) {
  char chunk[65536];
  std::size_t taken = 0;
  for (;;) {
    const ssize_t got = ReadFully(fd, chunk, sizeof chunk);
    if (got < 0) return errno;
    if (got == 0) return 0;
    taken += static_cast<std::size_t>(got);
    if (taken > limit) return EFBIG;
    bytes->append(chunk, static_cast<std::size_t>(got));
  }
}

int CopyAll(int from, int to) {
  off_t offset = 0;
  for (;;) {
    const ssize_t copied = ::sendfile(to, from, &offset, 1 << 30);
    if (copied == 0) return 0;
    if (copied < 0 && errno != EINTR) return errno;
  }
}

DWORD ErrorFromErrno(int error, DWORD otherwise, FileUse use) {
  switch (error) {
    case ENOENT:
      return use == FileUse::kCreated ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    default:
      return otherwise;
  }
}

}  // namespace files
