#include "platform/files/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/files/output_file.h"

namespace files {

FolderLock::~FolderLock() { Release(); }

FolderLock::Result FolderLock::Acquire(const std::string& folder) {
  Release();
  error_ = 0;
  const std::string path = JoinPath(folder, kFolderLockFileName);
  if (TakeOverHandedLock(path)) return Result::kAcquired;
  // Read and write, never truncated: the file holds nothing, it only carries
  // the lock.
  fd_ = OpenOwnFileForWriting(path, O_RDWR | O_CREAT);
  if (fd_ < 0) {
    error_ = errno;
    return Result::kFailed;
  }
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    error_ = error;
    return error == EWOULDBLOCK ? Result::kHeldElsewhere : Result::kFailed;
  }
  return Result::kAcquired;
}

bool FolderLock::TakeOverHandedLock(const std::string& path) {
  const char* handed = std::getenv(kHandedOverLockVariable);
  if (handed == nullptr) return false;
  int fd = -1;
  const char* end = handed + std::strlen(handed);
  const auto parsed = std::from_chars(handed, end, fd);
  ::unsetenv(kHandedOverLockVariable);
  if (parsed.ec != std::errc() || parsed.ptr != end || fd < 0) return false;
  // Only the lock file of this very folder is taken over, and only when the
  // descriptor holds its lock; a flock on a description that already holds
  // it succeeds at once.
  struct stat inherited;
  struct stat here;
  if (::fstat(fd, &inherited) != 0 || ::lstat(path.c_str(), &here) != 0 || inherited.st_dev != here.st_dev ||
      inherited.st_ino != here.st_ino || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return false;
  }
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  fd_ = fd;
  return true;
}

void FolderLock::BeginHandOver() {
  if (fd_ < 0) return;
  ::fcntl(fd_, F_SETFD, 0);
  ::setenv(kHandedOverLockVariable, std::to_string(fd_).c_str(), 1);
}

void FolderLock::EndHandOver() {
  ::unsetenv(kHandedOverLockVariable);
  if (fd_ >= 0) ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
}

void FolderLock::Release() {
  // Closing, not unlocking: an unlock would also free the copy a started
  // program inherited.
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace files
