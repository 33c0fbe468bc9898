#include "pelsrvapi/machinemessages.h"

#include <array>

namespace {

constexpr std::array<const char*, 17> kAlarmTexts = {
    "No Response",          "Emergency stop",     "Sewing motor lock",    "X motor lock",
    "Y motor lock",         "Needle cast error",  "Thread break",         "RAM check error",
    "RS232C COM error",     "Internal COM error", "RS232C connect error", "Internal connect error",
    "Trimming error",       "Thermal error",      "Limit error",          "Data format error",
    "Lower thread run out",
};

}  // namespace

std::string MachineMessageText(std::int32_t id) {
  switch (id) {
    case kMsgMemoryFull:
      return "Memory full";
    case kMsgRequestRejected:
      return "Request was rejected by sewing machine";
    case kMsgNoResponse:
      return "No response from sewing machine";
    case kMsgDisconnected:
      return "Connection has been disconnected";
    default:
      break;
  }
  if (id >= kMsgAlarmBase && id < kMsgAlarmBase + static_cast<std::int32_t>(kAlarmTexts.size())) {
    return kAlarmTexts[static_cast<std::size_t>(id - kMsgAlarmBase)];
  }
  return "";
}
