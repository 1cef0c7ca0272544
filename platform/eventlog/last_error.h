// The calling thread's last platform error number, as the event log and
// message library functions leave it when they fail.
#ifndef KORVEL_PLATFORM_EVENTLOG_LAST_ERROR_H_
#define KORVEL_PLATFORM_EVENTLOG_LAST_ERROR_H_

#include "platform/wintypes.h"

DWORD GetLastError();
void SetLastError(DWORD error);

// Error numbers of these functions beyond those of platform/wintypes.h.
constexpr LONG ERROR_BAD_EXE_FORMAT = 193;
constexpr LONG ERROR_MR_MID_NOT_FOUND = 317;
constexpr LONG ERROR_RESOURCE_LANG_NOT_FOUND = 1815;
constexpr LONG RPC_S_SERVER_UNAVAILABLE = 1722;

#endif  // KORVEL_PLATFORM_EVENTLOG_LAST_ERROR_H_
