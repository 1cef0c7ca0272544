// The file the log manager appends its lines to.
#ifndef KORVEL_KORVEL_LOGMGR_LOG_FILE_H_
#define KORVEL_KORVEL_LOGMGR_LOG_FILE_H_

#include <memory>
#include <string>
#include <string_view>

#include "platform/com/hresult.h"
#include "platform/files/posix_io.h"

namespace korvel::logmgr {

class LogFile {
 public:
  // Opens `path` for appending, creating it when missing.
  static HRESULT Open(const std::string& path, std::unique_ptr<LogFile>* file);
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Appends the line and a line feed with one write, so that lines of several
  // writers (processes included) never interleave.
  HRESULT AppendLine(std::string_view line);

 private:
  explicit LogFile(int fd) : file_(fd) {}
  files::FileDescriptor file_;
};

}  // namespace korvel::logmgr

#endif  // KORVEL_KORVEL_LOGMGR_LOG_FILE_H_
