#include "pelsrvapi/servicemessages.h"

#include "pelsrvapi/machinemessages.h"

std::string ServiceMessageText(std::int32_t id) {
  if (id < kMsgFirst || id > kMsgLast) return "";
  switch (id) {
    case kMsgStopped:
      return "Stopped";
    case kMsgRunning:
      return "Running";
    case kMsgCompleted:
      return "Completed";
    case kMsgError:
      return "Error";
    case kMsgStart:
      return "Start";
    case kMsgReadFailed:
      return "Failed to read a file";
    case kMsgSaveFailed:
      return "Failed to save a file";
    case kMsgNoRecentDirectory:
      return "Failed to create a recent directory";
    case kMsgSewingDataNotFound:
      return "Sewing data is not found in recent files";
    case kMsgMachinesActive:
      return "Machine(s) is/are active, try later";
    case kMsgSendQueueNotEmpty:
      return "Send queue is not empty";
    case kMsgPortSelection:
      return "Zero or too many ports were selected";
    case kMsgConnectFailed:
      return "Failed to connect";
    case kMsgServiceNotRunning:
      return "PelService is not running";
    case kMsgTryLater:
      return "Try later again";
    case kMsgUnknown:
      return "Unknown";
    default:
      return MachineMessageText(id);
  }
}
