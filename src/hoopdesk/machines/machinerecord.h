// One machine of the desktop program's machine list: how it is reached, its server cookie, its
// palette, its queue and the display state its panel mirrors.
#pragma once

#include <cstdint>
#include <string>

#include "pelsrvapi/pelservice_tlb.h"
#include "shared/colorinfo.h"
#include "shared/stitchlist.h"

// Sew button pictures (program resources).
inline constexpr std::uint32_t kSewImageOnline = 128;
inline constexpr std::uint32_t kSewImageSending = 129;
inline constexpr std::uint32_t kSewImageAlarm = 131;
inline constexpr std::uint32_t kSewImageOffline = 132;
inline constexpr std::uint32_t kSewImageSyncGroup = 133;

// A machine in any other state takes designs; in these its panel is a silver box.
inline bool TakesDesigns(TSewingState state) {
  return state != SEW_NO_PORT && state != SEW_OFFLINE && state != SEW_ERROR;
}

struct TMachineRecord {
  bool online = false;  // the server reports the machine connected (states 2 to 6)
  bool shown = true;    // picture, label and send button visible
  bool enabled = false;
  bool canSend = false;
  bool busy = false;           // a design transfer runs; the send button animates
  std::int32_t alarmMode = 0;  // 0 none, 1 machine error, 2 rejected or busy
  std::uint32_t sewImage = kSewImageOffline;
  std::int32_t progress = 0;  // percent
  bool inSyncGroup = false;
  TCookie cookie = 0;
  TConnInfo connInfo{};
  std::string hostName;         // the name given to Connect; empty for a serial machine
  TColorInfo palette;           // needle colours
  std::string address;          // the display name the server gives the connection
  TStitch queue;                // design 0 is sent next
  std::int32_t alarmTicks = 0;  // blink steps, -1 when acknowledged
  std::string sewingFile;       // the file the machine last acknowledged
};
