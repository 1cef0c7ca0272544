// The event log. An event goes to syslog, with the event source as the
// program name, and, when the environment variable KORVEL_EVENT_LOG names a
// file, is appended to that file as one JSON line (see event_record.h).
//
// The functions have the platform's shape; a failure returns null or FALSE and
// leaves the error number for GetLastError (platform/eventlog/last_error.h).
#ifndef KORVEL_PLATFORM_EVENTLOG_EVENT_LOG_H_
#define KORVEL_PLATFORM_EVENTLOG_EVENT_LOG_H_

#include <string>

#include "platform/wintypes.h"

using HANDLE = void*;
using PSID = void*;
using LPVOID = void*;

constexpr WORD EVENTLOG_SUCCESS = 0x0;
constexpr WORD EVENTLOG_ERROR_TYPE = 0x1;
constexpr WORD EVENTLOG_WARNING_TYPE = 0x2;
constexpr WORD EVENTLOG_INFORMATION_TYPE = 0x4;
constexpr WORD EVENTLOG_AUDIT_SUCCESS = 0x8;
constexpr WORD EVENTLOG_AUDIT_FAILURE = 0x10;

// Opens the event log for `source_name` on this machine. `server_name` may be
// null or empty, ".", "localhost" or this machine's host name (with or
// without a leading "\\"); another machine's log cannot be reached
// (RPC_S_SERVER_UNAVAILABLE). A null or empty source is ERROR_INVALID_PARAMETER.
HANDLE OpenEventLogW(LPCWSTR server_name, LPCWSTR source_name);

// Writes one event with `string_count` insertion strings (a null entry is
// written as an empty string) and `data_size` bytes of data. Fails with
// ERROR_INVALID_HANDLE for a handle that is not open, ERROR_INVALID_PARAMETER
// for missing strings or data, or the error of the event log file (which is
// created when missing). The user identity is not recorded.
BOOL ReportEventW(HANDLE event_log, WORD type, WORD category, DWORD event_id, PSID user_sid, WORD string_count,
                  DWORD data_size, LPCWSTR* strings, LPVOID raw_data);

// ERROR_INVALID_HANDLE for a handle that is not open.
BOOL CloseEventLog(HANDLE event_log);

// The file named by KORVEL_EVENT_LOG, or empty when events go to syslog only.
std::string EventLogFilePath();

#endif  // KORVEL_PLATFORM_EVENTLOG_EVENT_LOG_H_
