#include "rpc/serverconnector.h"

#include "rpc/publication.h"
#include "rpc/registration.h"
#include "rpc/rpcserver.h"

namespace rpc {

namespace {

// A start refused because a server that was ending still held the claim leaves nothing
// published once that one has gone; a start that is this old and has published nothing is
// taken for such a one and made again.
constexpr std::chrono::seconds kStartAgainAfter{2};

}  // namespace

HRESULT ServerConnector::End(HRESULT hr) {
  attemptBegan_.reset();
  startedAt_.reset();
  return hr;
}

HRESULT ServerConnector::Poll(std::unique_ptr<PelSrvClient>* out) {
  if (!out) return E_POINTER;
  const auto now = Clock::now();
  if (!attemptBegan_) attemptBegan_ = now;
  const HRESULT attached = PelSrvClient::Attach(out, callTimeout_);
  if (SUCCEEDED(attached) || attached == kServerTooBusy || attached == RPC_E_TIMEOUT)
    return End(attached);
  const bool published = ReadPublication().has_value();
  if (!startedAt_ || (!published && now - *startedAt_ > kStartAgainAfter)) {
    const HRESULT started = StartRegisteredServer();
    if (FAILED(started)) return End(started);
    startedAt_ = now;
  }
  // Judged by when this Poll began, so a slow start does not use up the time it is given.
  if (now - *attemptBegan_ >= startTimeout_) return End(CO_E_SERVER_EXEC_FAILURE);
  return E_PENDING;
}

}  // namespace rpc
