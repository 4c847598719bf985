#include <cerrno>

#include "platform/serial/win32_comm.h"

namespace serial {

namespace {
thread_local DWORD lastError = 0;
}

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD code) { lastError = code; }

DWORD ErrorFromErrno(int err) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case ENETUNREACH: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOTTY: return ERROR_INVALID_FUNCTION;
    case ETIMEDOUT: return ERROR_SEM_TIMEOUT;
    case EIO:
    case EPIPE:
    case ECONNRESET: return ERROR_IO_DEVICE;
    default: return ERROR_GEN_FAILURE;
  }
}

}  // namespace serial
