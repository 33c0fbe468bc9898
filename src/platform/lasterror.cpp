#include "platform/lasterror.h"

#include <cstring>

namespace platform {

namespace {
thread_local int tLastError = 0;
}

int GetLastError() { return tLastError; }

void SetLastError(int code) { tLastError = code; }

std::string SystemErrorText(int code) {
  char buffer[256] = {};
  // The GNU strerror_r returns the text, which may or may not live in the buffer.
  const char* text = strerror_r(code, buffer, sizeof buffer);
  return text ? text : "";
}

}  // namespace platform
