#include "hoopdesk/panels/servicecheck.h"

#include <cstdio>
#include <filesystem>

#include "platform/messages.h"

namespace {

std::string ResultText(HRESULT hr) {
  switch (hr) {
    case E_FAIL:
      return "Unspecified error";
    case E_UNEXPECTED:
      return "Catastrophic failure";
    case E_INVALIDARG:
      return "The parameter is incorrect";
    case E_OUTOFMEMORY:
      return "Not enough memory resources are available to complete this operation";
    case RPC_E_DISCONNECTED:
      return "The object invoked has disconnected from its clients";
    case RPC_E_INVALID_DATA:
      return "The answer of the server could not be read";
    case RPC_E_TIMEOUT:
      return "The server did not answer in time";
    default:
      break;
  }
  char text[32];
  std::snprintf(text, sizeof text, "Error 0x%08X", static_cast<unsigned>(hr));
  return text;
}

}  // namespace

bool TServiceCheck::Check(HRESULT hr, const char* call, const char* file, int line) {
  if (SUCCEEDED(hr)) {
    down_ = false;
    return true;
  }
  // A server that stopped answering or went is the link's to report, once, not each query's.
  if (hr == RPC_E_TIMEOUT || hr == RPC_E_DISCONNECTED) return false;
  if (!down_) {
    // Marked down before the box: timers and events that run while it is open see the link
    // as down and show no box of their own.
    down_ = true;
    platform::ShowMessage(platform::MessageBoxKind::Error, BoxText(hr, call, file, line));
  }
  return false;
}

std::string TServiceCheck::BoxText(HRESULT hr, const char* call, const char* file, int line) {
  return "HRCHECK: " + std::string(call) + " failed: " + ResultText(hr) + " (" +
         std::filesystem::path(file).filename().string() + ":" + std::to_string(line) + ")";
}
