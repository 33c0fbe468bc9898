#include "pelsrv/server/servicemessages.h"

#include "pelsrv/protocol/machinemessages.h"

std::string ServiceMessageText(std::int32_t id) {
  if (id < kMsgFirst || id > kMsgLast) return "";
  switch (id) {
    case 256:
      return "Stopped";
    case 257:
      return "Running";
    case 258:
      return "Completed";
    case 259:
      return "Error";
    case 260:
      return "Start";
    case 261:
      return "Failed to read a file";
    case 262:
      return "Failed to save a file";
    case kMsgNoRecentDirectory:
      return "Failed to create a recent directory";
    case 267:
      return "Sewing data is not found in recent files";
    case 269:
      return "Machine(s) is/are active, try later";
    case 270:
      return "Send queue is not empty";
    case 271:
      return "Zero or too many ports were selected";
    case 274:
      return "Failed to connect";
    case 275:
      return "PelService is not running";
    case kMsgTryLater:
      return "Try later again";
    case 277:
      return "Unknown";
    default:
      return MachineMessageText(id);
  }
}
