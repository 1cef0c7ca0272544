#include "platform/registry/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/files/posix_io.h"

namespace registry {
namespace {

// The last file parsed. It is reused only for the very same bytes: the file's
// size and time stamps could stay the same across a quick rewrite in place,
// while reading a registry file costs little next to parsing it.
struct ParseCache {
  std::mutex mutex;
  std::string path;
  std::string bytes;
  std::shared_ptr<const RegistryFile> file;
};

ParseCache& Cache() {
  static ParseCache cache;
  return cache;
}

std::string Describe(const std::string& path, const char* action, int error_number) {
  return path + ": cannot " + action + ": " + std::strerror(error_number);
}

// A write fails as denied or as a fault: the registry's callers know no
// other results.
LONG ResultOfErrno(int error_number) {
  return files::ErrorFromErrno(error_number, ERROR_WRITE_FAULT) == ERROR_ACCESS_DENIED ? ERROR_ACCESS_DENIED
                                                                                         : ERROR_WRITE_FAULT;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool HasWritePermission(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(path.c_str(), W_OK) == 0;
}

// The file's bytes, or nullopt (with *result 0) when it does not exist.
std::optional<std::string> ReadFile(const std::string& path, struct stat* st, LONG* result,
                                    std::string* error) {
  *result = ERROR_SUCCESS;
  // O_NONBLOCK: a pipe under the name must not hang the program in open.
  files::FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) {
    int error_number = errno;
    if (error_number == ENOENT || error_number == ENOTDIR) return std::nullopt;
    *error = Describe(path, "open", error_number);
    *result = error_number == EACCES ? ERROR_ACCESS_DENIED : ERROR_BADDB;
    return std::nullopt;
  }
  std::string bytes;
  const bool stated = fstat(fd.get(), st) == 0;
  if (stated && !S_ISREG(st->st_mode)) {
    *error = path + ": not a regular file";
    *result = ERROR_BADDB;
    return std::nullopt;
  }
  const int read_error = stated ? files::ReadAll(fd.get(), &bytes) : errno;
  if (read_error != 0) {
    *error = Describe(path, "read", read_error);
    *result = ERROR_BADDB;
    return std::nullopt;
  }
  return bytes;
}

std::shared_ptr<const RegistryFile> ParseOrDescribe(const std::string& path, std::string_view bytes,
                                                    std::string* error) {
  ParseError parse_error;
  std::optional<RegistryFile> parsed = RegistryFile::Parse(bytes, &parse_error);
  if (!parsed) {
    *error = path + ":" + std::to_string(parse_error.line) + ": " + parse_error.message;
    return nullptr;
  }
  return std::make_shared<const RegistryFile>(std::move(*parsed));
}

// Writes `bytes` to a new file in the registry's folder and renames it over
// the registry, keeping the old file's permissions (and, for root, owner).
LONG ReplaceFile(const std::string& path, std::string_view bytes, const struct stat* old,
                 std::string* error) {
  static std::atomic<unsigned> counter{0};
  std::string temporary;
  int raw_fd = -1;
  for (int attempt = 0; attempt < 100 && raw_fd < 0; ++attempt) {
    temporary = path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter++);
    raw_fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw_fd < 0 && errno != EEXIST) break;
  }
  if (raw_fd < 0) {
    int error_number = errno;
    *error = Describe(temporary, "create", error_number);
    return ResultOfErrno(error_number);
  }
  files::FileDescriptor fd(raw_fd);
  int error_number = files::WriteAll(fd.get(), bytes);
  if (error_number == 0 && old != nullptr &&
      (fchmod(fd.get(), old->st_mode & 07777) != 0 ||
       (geteuid() == 0 && fchown(fd.get(), old->st_uid, old->st_gid) != 0))) {
    error_number = errno;
  }
  if (error_number == 0 && fsync(fd.get()) != 0) error_number = errno;
  if (fd.Close() != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 && rename(temporary.c_str(), path.c_str()) != 0) error_number = errno;
  if (error_number != 0) {
    unlink(temporary.c_str());
    *error = Describe(path, "write", error_number);
    return ResultOfErrno(error_number);
  }
  // The rename itself lasts only once the folder is on disk; the file is in
  // place either way, so a failure here is not the caller's concern.
  files::FileDescriptor folder(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) fsync(folder.get());
  return ERROR_SUCCESS;
}

}  // namespace

LONG LoadRegistry(const std::string& path, std::shared_ptr<const RegistryFile>* file, std::string* error) {
  struct stat st;
  LONG result;
  std::optional<std::string> bytes = ReadFile(path, &st, &result, error);
  if (result != ERROR_SUCCESS) return result;
  if (!bytes) {
    static const auto kEmpty = std::make_shared<const RegistryFile>();
    *file = kEmpty;
    return ERROR_SUCCESS;
  }
  ParseCache& cache = Cache();
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (cache.file != nullptr && cache.path == path && cache.bytes == *bytes) {
      *file = cache.file;
      return ERROR_SUCCESS;
    }
  }
  std::shared_ptr<const RegistryFile> parsed = ParseOrDescribe(path, *bytes, error);
  if (parsed == nullptr) return ERROR_BADDB;
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    cache.path = path;
    cache.bytes = std::move(*bytes);
    cache.file = parsed;
  }
  *file = std::move(parsed);
  return ERROR_SUCCESS;
}

bool RegistryWritable(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return HasWritePermission(path);
  return errno == ENOENT && HasWritePermission(FolderOf(path));
}

LONG AddRegistryKey(const std::string& path, RegistryRoot root, const std::wstring& key_path,
                    bool* created, std::string* error) {
  *created = false;
  if (!RegistryWritable(path)) return ERROR_ACCESS_DENIED;
  // Readers never lock: they see whole files thanks to the rename. Only
  // writers queue here, so that no one appends to a file about to be replaced.
  // Read access is enough for flock, whoever created the lock file.
  std::string lock_path = path + ".lock";
  files::FileDescriptor lock(open(lock_path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666));
  if (!lock.valid()) {
    int error_number = errno;
    *error = Describe(lock_path, "open", error_number);
    return ResultOfErrno(error_number);
  }
  while (flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) {
      *error = Describe(lock_path, "lock", errno);
      return ERROR_WRITE_FAULT;
    }
  }

  struct stat old;
  LONG result;
  std::optional<std::string> bytes = ReadFile(path, &old, &result, error);
  if (result != ERROR_SUCCESS) return result;
  bool existed = bytes.has_value();
  if (!existed) bytes = RegistryFile::NewFileBytes();
  std::shared_ptr<const RegistryFile> file = ParseOrDescribe(path, *bytes, error);
  if (file == nullptr) return ERROR_BADDB;
  if (file->KeyExists(root, FoldCase(key_path))) return ERROR_SUCCESS;
  if (!RegistryWritable(path)) return ERROR_ACCESS_DENIED;
  result = ReplaceFile(path, file->AppendKey(*bytes, root, key_path), existed ? &old : nullptr, error);
  *created = result == ERROR_SUCCESS;
  return result;
}

}  // namespace registry
