#pragma once

#include <string>

namespace platform {

// The calling thread's last error code (an errno value), kept by the platform helpers the way
// the Windows last-error slot is: set on failure, left alone on success.
int GetLastError();
void SetLastError(int code);

// The system's description of an error code, e.g. "No such file or directory".
std::string SystemErrorText(int code);

}  // namespace platform
