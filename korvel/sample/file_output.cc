#include "korvel/sample/file_output.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/files/posix_io.h"

namespace korvel_sample {

Status WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  files::FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!file.valid()) {
    return Status::Error(path.string() + ": cannot create the file (" + std::strerror(errno) + ")");
  }
  int error = files::WriteAll(file.get(), bytes);
  if (file.Close() != 0 && error == 0) error = errno;
  if (error != 0) return Status::Error(path.string() + ": cannot write the file (" + std::strerror(error) + ")");
  return Status::Ok();
}

}  // namespace korvel_sample
