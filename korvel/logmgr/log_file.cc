#include "korvel/logmgr/log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "korvel/logmgr/logmgr.h"
#include "platform/codepage/codepage.h"
#include "platform/registry/registry.h"

namespace korvel::logmgr {

namespace {

constexpr wchar_t kLogManagerKey[] = L"Software\\Halvern\\QoLogMgr\\1.0";
constexpr wchar_t kLogFileValue[] = L"Log File";

// The log file is created when missing, so a missing entry is a missing
// folder.
HRESULT HresultFromErrno(int error) {
  const DWORD code = files::ErrorFromErrno(error, ERROR_SUCCESS, files::FileUse::kCreated);
  return code == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(code);
}

std::wstring RegisteredLogFile() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLogManagerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  std::wstring path;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key, kLogFileValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, kLogFileValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) ==
        ERROR_SUCCESS) {
      path = text.data();
    }
  }
  RegCloseKey(key);
  return path;
}

}  // namespace

std::string LogFilePath() {
  std::wstring registered = RegisteredLogFile();
  if (!registered.empty()) return codepage::WideToUtf8(registered);
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/QoLogMgr.log";
}

HRESULT LogFile::Open(const std::string& path, std::unique_ptr<LogFile>* file) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return HresultFromErrno(errno);
  file->reset(new LogFile(fd));
  return S_OK;
}

HRESULT LogFile::AppendLine(std::string_view line) {
  std::string whole(line);
  whole += '\n';
  const int error = files::WriteAll(file_.get(), whole);
  return error == 0 ? S_OK : HresultFromErrno(error);
}

}  // namespace korvel::logmgr
