// The calling thread's last platform error number, as the event log and
// message library functions leave it when they fail.
#ifndef KORVEL_PLATFORM_EVENTLOG_LAST_ERROR_H_
#define KORVEL_PLATFORM_EVENTLOG_LAST_ERROR_H_

#include "platform/wintypes.h"

DWORD GetLastError();
void SetLastError(DWORD error);

// Error numbers of these functions beyond those of platform/wintypes.h.
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_READ_FAULT = 30;
constexpr LONG ERROR_DISK_FULL = 112;
constexpr LONG ERROR_BAD_EXE_FORMAT = 193;
constexpr LONG ERROR_FILE_TOO_LARGE = 223;
constexpr LONG ERROR_MR_MID_NOT_FOUND = 317;
constexpr LONG ERROR_RESOURCE_LANG_NOT_FOUND = 1815;
constexpr LONG RPC_S_SERVER_UNAVAILABLE = 1722;

// The error number of a failed file operation (an errno value); `otherwise`
// for a failure without a closer match.
DWORD ErrorFromErrno(int error, DWORD otherwise);

#endif  // KORVEL_PLATFORM_EVENTLOG_LAST_ERROR_H_
