// What the machine information dialog shows and does, without the dialog: the connection texts
// of a machine and the reconnection, which waits (bounded, on a timer) for the outcome the
// server reports.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "hoopdesk/machines/machineinfoinput.h"
#include "pelsrvapi/pelservice_tlb.h"

// "TCP/IP" or "Serial".
std::string ConnectionTypeText(const TConnInfo& info);
// "a.b.c.d:port" (port from network byte order) or "<baud> baud".
std::string ConnectionAddressText(const TConnInfo& info);
// The states in which a reconnected machine is usable.
bool IsUsableState(std::uint8_t state);

// A reconnection that waits for the machine without blocking the window's thread: Start
// connects, then its owner asks Poll on each tick of a timer until an outcome comes. It keeps
// only values, since events and timers run between the ticks.
class TReconnectWait {
 public:
  using Clock = std::chrono::steady_clock;
  enum class TOutcome { Waiting, Usable, Failed };

  // Connects the machine again; Failed when Connect does not answer S_OK, else Waiting until
  // `now` + `limit`.
  TOutcome Start(IPelSrv& service, const TMachineInfoInput& machine,
                 std::chrono::milliseconds limit, Clock::time_point now);
  // Asks the server for the machine's state: Usable in a usable state, Failed once the limit
  // has passed, else Waiting.
  TOutcome Poll(IPelSrv& service, Clock::time_point now) const;
  // What Connect gave (0 on failure).
  TCookie Cookie() const { return cookie_; }

 private:
  TCookie cookie_ = 0;
  Clock::time_point end_{};
};
