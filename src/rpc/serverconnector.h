#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "platform/hresult.h"
#include "rpc/pelsrvclient.h"

namespace rpc {

// Attaches to the server this user runs, or starts the registered one, one step per Poll, so a
// timer can re-attach without ever holding its window for long: Poll never sleeps and makes at
// most one attach call, bounded by the call timeout.
//
// Poll gives S_OK with *out set once attached; E_PENDING while a server it started has not
// published itself yet and startTimeout has not passed since the first Poll of the attempt;
// any other code ends the attempt (the next Poll starts a new one): RPC_E_TIMEOUT when the
// published server does not answer (starting another cannot help while that one holds the
// publication), kServerTooBusy when it serves no more clients, REGDB_E_CLASSNOTREG or
// CO_E_SERVER_EXEC_FAILURE when no server could be started, CO_E_SERVER_EXEC_FAILURE when the
// one started did not publish itself in time.
class ServerConnector {
 public:
  explicit ServerConnector(std::chrono::milliseconds startTimeout = std::chrono::seconds(10))
      : startTimeout_(startTimeout) {}

  HRESULT Poll(std::unique_ptr<PelSrvClient>* out);

  // The deadline of the attach call and of the attached client's calls.
  void SetCallTimeout(std::chrono::milliseconds timeout) { callTimeout_ = timeout; }

 private:
  using Clock = std::chrono::steady_clock;
  HRESULT End(HRESULT hr);

  std::chrono::milliseconds startTimeout_;
  std::chrono::milliseconds callTimeout_ = PelSrvClient::kDefaultCallTimeout;
  std::optional<Clock::time_point> attemptBegan_;
  std::optional<Clock::time_point> startedAt_;
};

}  // namespace rpc
