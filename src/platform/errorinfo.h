#pragma once

#include <optional>
#include <string>

namespace platform {

// The error information a failing call leaves for its caller, kept per thread: the server sets
// it while a method runs, the interface carries it back with the reply, and the caller takes it
// after a failure result.
struct ErrorInfo {
  std::string description;
  std::string source;       // the ProgID of the object, or empty
  std::string interfaceId;  // the interface the failing method belongs to
  friend bool operator==(const ErrorInfo&, const ErrorInfo&) = default;
};

// Replaces the calling thread's error information (nullopt clears it).
void SetErrorInfo(std::optional<ErrorInfo> info);

// Takes the calling thread's error information and clears it.
std::optional<ErrorInfo> TakeErrorInfo();

}  // namespace platform
