#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

#include "portlink/framing.h"
#include "portlink/log.h"
#include "portlink/portlink.h"

// The library's state: six slots and the one log, and the reports every part of the driver
// makes (error reports, warnings, posts to the caller, log lines for a port).
namespace portlink {

class OpenPort;

struct Counters {
  std::atomic<std::uint32_t> sent{0};
  std::atomic<std::uint32_t> received{0};
  std::atomic<std::uint32_t> commands{0};
  std::atomic<std::uint32_t> warnings{0};
  void Zero();
};

struct Slot {
  Slot();
  ~Slot();
  int index = 0;
  std::atomic<SYSInfo*> sys{nullptr};
  std::atomic<TTYInfo*> tty{nullptr};
  Counters counters;
  CommandAssembler assembler;      // used by the port's reader thread only
  std::unique_ptr<OpenPort> port;  // while open; owned by the caller's thread
};

class Driver {
 public:
  Driver();
  ~Driver();

  Log& log() { return log_; }
  // The slot when index is 0..5 and a TTYInfo is bound to it; else null.
  Slot* Bound(int index);
  Slot* At(int index);

  // Error report: stores code and context in the TTYInfo, posts UM_COMM_ERROR and writes the
  // "DVR Error" line for the port at level 0.
  void ReportError(Slot& slot, std::uint32_t code, const char* context);
  // Warning: stores the text, counts it, posts UM_COMM_WARNING when status posts are on.
  void Warn(Slot& slot, const char* text);
  // Writes a line for port index (or for no port when it names no bound slot) at level.
  bool WriteLine(const char* text, int index, std::int32_t level);

  // Posts to the caller's target when one is set.
  static void PostToCaller(const TTYInfo& tty, std::uint32_t msg, std::uintptr_t wParam,
                           std::intptr_t lParam, std::span<const std::uint8_t> payload = {});
  static void PostStatus(const TTYInfo& tty, std::uint32_t msg, std::uintptr_t wParam,
                         std::intptr_t lParam);

 private:
  Log log_;
  std::array<Slot, kSlotCount> slots_;
};

Driver& TheDriver();

// Sends a context text to the debugger output (stderr when PELLORA_DEBUG_OUTPUT is set).
void DebugOutput(const char* text);

// Applies the defaults the caller's TTYInfo gets when it is bound with SetupSYSInfo.
void ApplyDefaults(TTYInfo& tty);

}  // namespace portlink
