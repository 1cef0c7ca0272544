#include "platform/files/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace files {
namespace {

constexpr std::string_view kPartialPrefix = ".";
constexpr std::string_view kPartialSuffix = ".partial";

bool IsOwnRegularFile(const struct stat& info) { return S_ISREG(info.st_mode) && info.st_nlink == 1; }

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

std::string PartialName(std::string_view final_name) {
  std::string name(kPartialPrefix);
  name += final_name;
  name += kPartialSuffix;
  return name;
}

int OpenOwnFileForWriting(const std::string& path, int flags) {
  struct stat info;
  if (::lstat(path.c_str(), &info) == 0 && !IsOwnRegularFile(info) && !S_ISDIR(info.st_mode) &&
      ::unlink(path.c_str()) != 0) {
    return -1;
  }
  // O_NOFOLLOW and O_NONBLOCK hold even when something is slipped in after
  // the check: a link fails the open, a pipe never blocks it.
  const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || !IsOwnRegularFile(info)) {
    ::close(fd);
    errno = EEXIST;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

PartialFile::~PartialFile() { Discard(); }

int PartialFile::Create(std::string_view folder, std::string_view final_name) {
  Discard();
  temporary_path_ = JoinPath(folder, PartialName(final_name));
  final_path_ = JoinPath(folder, final_name);
  // O_EXCL makes the file new: never one planted under the name, never a link.
  for (int attempt = 0; attempt < 2; ++attempt) {
    fd_ = ::open(temporary_path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) return 0;
    if (errno != EEXIST || ::unlink(temporary_path_.c_str()) != 0) break;
  }
  const int error = errno;
  temporary_path_.clear();
  return error;
}

int PartialFile::Commit() {
  if (fd_ < 0) return EBADF;
  int error = ::close(fd_) == 0 ? 0 : errno;
  fd_ = -1;
  if (error == 0 && ::rename(temporary_path_.c_str(), final_path_.c_str()) != 0) error = errno;
  if (error != 0) ::unlink(temporary_path_.c_str());
  temporary_path_.clear();
  return error;
}

void PartialFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_path_.empty()) ::unlink(temporary_path_.c_str());
  temporary_path_.clear();
}

void RemoveLeftoverPartials(const std::string& folder, const std::function<bool(std::string_view)>& is_own) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name.size() <= kPartialPrefix.size() + kPartialSuffix.size() || !name.starts_with(kPartialPrefix) ||
        !name.ends_with(kPartialSuffix)) {
      continue;
    }
    const std::string_view final_name =
        name.substr(kPartialPrefix.size(), name.size() - kPartialPrefix.size() - kPartialSuffix.size());
    if (!is_own(final_name)) continue;
    struct stat info;
    if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace files
