#include "platform/eventlog/last_error.h"

#include <cerrno>

namespace {

thread_local DWORD g_last_error = ERROR_SUCCESS;

}  // namespace

DWORD GetLastError() { return g_last_error; }

void SetLastError(DWORD error) { g_last_error = error; }

DWORD ErrorFromErrno(int error, DWORD otherwise) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    default:
      return otherwise;
  }
}
