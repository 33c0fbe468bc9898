#include "hoopdesk/panels/servicelink.h"

#include "rpc/pelsrvclient.h"
#include "rpc/serverconnector.h"

namespace {

constexpr std::chrono::milliseconds kReattachStepTimeout{1000};

class TRemoteServiceLink : public TServiceLink {
 public:
  explicit TRemoteServiceLink(std::unique_ptr<rpc::PelSrvClient> client)
      : client_(std::move(client)) {}

  IPelSrvObject& Object() override { return *client_; }
  int EventFd() const override { return client_->fd(); }
  bool PumpEvents() override { return client_->ProcessEvents(0); }
  TLinkState State() const override {
    switch (client_->linkState()) {
      case rpc::LinkState::kUp:
        return TLinkState::Up;
      case rpc::LinkState::kStalled:
        return TLinkState::Stalled;
      case rpc::LinkState::kLost:
        break;
    }
    return TLinkState::Lost;
  }
  void Probe() override { client_->Probe(); }

 private:
  std::unique_ptr<rpc::PelSrvClient> client_;
};

HRESULT Wrap(HRESULT hr, std::unique_ptr<rpc::PelSrvClient> client,
             std::unique_ptr<TServiceLink>* out) {
  if (SUCCEEDED(hr) && client) *out = std::make_unique<TRemoteServiceLink>(std::move(client));
  return hr;
}

}  // namespace

HRESULT GetPublishedService(std::unique_ptr<TServiceLink>* out) {
  std::unique_ptr<rpc::PelSrvClient> client;
  const HRESULT hr = rpc::PelSrvClient::Attach(&client);
  return Wrap(hr, std::move(client), out);
}

HRESULT ConnectPelService(std::unique_ptr<TServiceLink>* out) {
  const HRESULT published = GetPublishedService(out);
  // A published server that does not answer holds its place: starting another cannot help.
  if (SUCCEEDED(published) || published == RPC_E_TIMEOUT) return published;
  std::unique_ptr<rpc::PelSrvClient> client;
  const HRESULT hr = rpc::PelSrvClient::Create(&client);
  return Wrap(hr, std::move(client), out);
}

TServiceReattach ReattachPelService() {
  auto connector = std::make_shared<rpc::ServerConnector>();
  // Each step runs on the window's timer: a published server that does not answer holds the
  // window for this long, not for a whole call's deadline.
  connector->SetCallTimeout(kReattachStepTimeout);
  return [connector](std::unique_ptr<TServiceLink>* out) {
    std::unique_ptr<rpc::PelSrvClient> client;
    const HRESULT hr = connector->Poll(&client);
    if (hr != S_OK || !client) return hr;
    client->SetCallTimeout(rpc::PelSrvClient::kDefaultCallTimeout);
    return Wrap(hr, std::move(client), out);
  };
}
