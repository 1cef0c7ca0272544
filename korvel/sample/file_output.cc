#include "korvel/sample/file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace korvel_sample {

Status WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return Status::Error(path.string() + ": cannot create the file (" + std::strerror(errno) + ")");
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int write_errno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    return Status::Error(path.string() + ": cannot write the file (" +
                         std::strerror(written ? errno : write_errno) + ")");
  }
  return Status::Ok();
}

}  // namespace korvel_sample
