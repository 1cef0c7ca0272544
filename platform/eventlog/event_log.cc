#include "platform/eventlog/event_log.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cwctype>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "platform/eventlog/event_record.h"
#include "platform/eventlog/last_error.h"
#include "platform/files/posix_io.h"
#include "platform/json/json_text.h"

namespace {

struct EventLog {
  std::wstring source;
  // syslog keeps the pointer it is given as the program name.
  std::string syslog_ident;
};

// The logs opened and not yet closed, so that a stale or made-up handle is
// refused instead of followed.
std::mutex g_logs_mutex;
std::set<const EventLog*> g_logs;
// syslog's program name is process-wide: one event at a time sets it.
std::mutex g_syslog_mutex;

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

bool IsThisMachine(std::wstring_view server) {
  if (server.starts_with(L"\\\\")) server.remove_prefix(2);
  if (server.empty() || server == L"." || SameIgnoringCase(server, L"localhost")) return true;
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return false;
  return SameIgnoringCase(server, codepage::Utf8ToWide(host));
}

int SyslogPriority(WORD type) {
  switch (type) {
    case EVENTLOG_ERROR_TYPE:
      return LOG_ERR;
    case EVENTLOG_WARNING_TYPE:
    case EVENTLOG_AUDIT_FAILURE:
      return LOG_WARNING;
    default:
      return LOG_INFO;
  }
}

void WriteToSyslog(const EventLog& log, const eventlog::EventRecord& event) {
  const std::string text = eventlog::EventSyslogText(event);
  std::lock_guard lock(g_syslog_mutex);
  openlog(log.syslog_ident.c_str(), LOG_PID, LOG_USER);
  syslog(SyslogPriority(event.type), "%s", text.c_str());
  closelog();
}

DWORD AppendLine(const std::string& path, std::string line) {
  files::FileDescriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!file.valid()) return files::ErrorFromErrno(errno, ERROR_WRITE_FAULT, files::FileUse::kCreated);
  // One write per event, so that events of several writers never interleave.
  line += '\n';
  const int error = files::WriteAll(file.get(), line);
  return error == 0 ? ERROR_SUCCESS : files::ErrorFromErrno(error, ERROR_WRITE_FAULT);
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

std::string EventLogFilePath() {
  const char* path = std::getenv("KORVEL_EVENT_LOG");
  return path == nullptr ? std::string() : std::string(path);
}

HANDLE OpenEventLogW(LPCWSTR server_name, LPCWSTR source_name) {
  if (source_name == nullptr || *source_name == L'\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (server_name != nullptr && !IsThisMachine(server_name)) {
    SetLastError(RPC_S_SERVER_UNAVAILABLE);
    return nullptr;
  }
  auto log = std::make_unique<EventLog>();
  log->source = source_name;
  log->syslog_ident = codepage::WideToUtf8(log->source);
  std::lock_guard lock(g_logs_mutex);
  g_logs.insert(log.get());
  return log.release();
}

BOOL ReportEventW(HANDLE event_log, WORD type, WORD category, DWORD event_id, PSID, WORD string_count,
                  DWORD data_size, LPCWSTR* strings, LPVOID raw_data) {
  const auto* log = static_cast<const EventLog*>(event_log);
  {
    std::lock_guard lock(g_logs_mutex);
    if (!g_logs.contains(log)) return Fail(ERROR_INVALID_HANDLE);
  }
  if ((string_count > 0 && strings == nullptr) || (data_size > 0 && raw_data == nullptr)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  eventlog::EventRecord event;
  event.source = log->source;
  event.type = type;
  event.category = category;
  event.event_id = event_id;
  for (WORD i = 0; i < string_count; ++i) event.strings.emplace_back(strings[i] == nullptr ? L"" : strings[i]);
  if (data_size > 0) event.data = std::string_view(static_cast<const char*>(raw_data), data_size);

  WriteToSyslog(*log, event);
  const std::string path = EventLogFilePath();
  if (path.empty()) return TRUE;
  DWORD error = AppendLine(path, eventlog::EventJsonLine(json_text::CurrentUtcTime(), event));
  return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

BOOL CloseEventLog(HANDLE event_log) {
  auto* log = static_cast<EventLog*>(event_log);
  {
    std::lock_guard lock(g_logs_mutex);
    if (g_logs.erase(log) == 0) return Fail(ERROR_INVALID_HANDLE);
  }
  delete log;
  return TRUE;
}
