#include "hoopdesk/panels/servicelink.h"

#include "rpc/pelsrvclient.h"
#include "rpc/serverconnector.h"

namespace {

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
  if (SUCCEEDED(GetPublishedService(out))) return S_OK;
  std::unique_ptr<rpc::PelSrvClient> client;
  const HRESULT hr = rpc::PelSrvClient::Create(&client);
  return Wrap(hr, std::move(client), out);
}

TServiceReattach ReattachPelService() {
  auto connector = std::make_shared<rpc::ServerConnector>();
  return [connector](std::unique_ptr<TServiceLink>* out) {
    std::unique_ptr<rpc::PelSrvClient> client;
    const HRESULT hr = connector->Poll(&client);
    return hr == S_OK ? Wrap(hr, std::move(client), out) : hr;
  };
}
