#include "portlink/errors.h"

#include <cerrno>

namespace portlink {

std::uint32_t ErrorFromErrno(int err) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case EWOULDBLOCK:
      return ERROR_SHARING_VIOLATION;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOTTY:
      return ERROR_INVALID_FUNCTION;
    case ECANCELED:
      return ERROR_OPERATION_ABORTED;
    case ETIMEDOUT:
      return ERROR_TIMEOUT;
    case EIO:  // what a hung-up terminal answers
    case EPIPE:
    case ENOTCONN:
      return ERROR_DEVICE_NOT_CONNECTED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

const char* ErrorText(std::uint32_t code) {
  switch (code) {
    case ERROR_INVALID_FUNCTION:
      return "Incorrect function.";
    case ERROR_FILE_NOT_FOUND:
      return "The system cannot find the file specified.";
    case ERROR_ACCESS_DENIED:
      return "Access is denied.";
    case ERROR_INVALID_HANDLE:
      return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY:
      return "Not enough memory resources are available to process this command.";
    case ERROR_INVALID_DATA:
      return "The data is invalid.";
    case ERROR_GEN_FAILURE:
      return "A device attached to the system is not functioning.";
    case ERROR_SHARING_VIOLATION:
      return "The process cannot access the file because it is being used by another process.";
    case ERROR_INVALID_PARAMETER:
      return "The parameter is incorrect.";
    case ERROR_OPERATION_ABORTED:
      return "The I/O operation has been aborted because of either a thread exit or an "
             "application request.";
    case ERROR_IO_INCOMPLETE:
      return "Overlapped I/O event is not in a signaled state.";
    case ERROR_DEVICE_NOT_CONNECTED:
      return "The device is not connected.";
    case ERROR_TIMEOUT:
      return "This operation returned because the timeout period expired.";
    default:
      return nullptr;
  }
}

}  // namespace portlink
