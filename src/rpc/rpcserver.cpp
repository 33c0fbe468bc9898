#include "rpc/rpcserver.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <optional>
#include <span>

#include "platform/errorinfo.h"
#include "rpc/dispatch.h"
#include "rpc/remotesink.h"
#include "rpc/session.h"

namespace rpc {

namespace {

constexpr int kAcceptBackoffMs = 100;

// A reply frame: the error information, when there is some, then the out values.
std::vector<uint8_t> ReplyFrame(uint32_t seq, HRESULT hr,
                                const std::optional<platform::ErrorInfo>& info,
                                std::span<const uint8_t> outs) {
  FrameWriter w;
  w.U8(info ? 1 : 0);
  if (info) {
    w.String(info->description.substr(0, kMaxString));
    w.String(info->source.substr(0, kMaxString));
    w.String(info->interfaceId.substr(0, kMaxString));
  }
  w.Bytes(outs);
  return EncodeFrame(FrameKind::kReply, seq, hr, w.bytes());
}

// A call and the share of the frame budget its bytes hold until it has been handled.
struct HeldFrame {
  Frame frame;
  CallHold hold;
};

}  // namespace

// Main-thread state: the open connections, the sinks each advised and their references.
struct RpcServer::Core : std::enable_shared_from_this<Core> {
  struct Client {
    std::shared_ptr<Session> session;
    std::map<uint32_t, std::unique_ptr<RemoteSink>> sinks;
  };

  Core(ObjectHost& h, MainThreadPost p, RpcServerOptions o)
      : host(h), post(std::move(p)), options(o), alarms(post) {}

  void Opened(std::shared_ptr<Session> session);
  void Handle(uint64_t id, const Frame& frame);
  void Closed(uint64_t id);
  void DropClient(Client& client);
  void Reply(Session& session, uint32_t seq, HRESULT hr, const std::vector<uint8_t>& outs);
  HRESULT Advise(Client& client, FrameWriter& outs);
  HRESULT Unadvise(Client& client, FrameReader& in);

  ObjectHost& host;
  MainThreadPost post;
  RpcServerOptions options;
  Alarms alarms;
  std::map<uint64_t, Client> clients;
  bool stopped = false;
};

void RpcServer::Core::Opened(std::shared_ptr<Session> session) {
  if (stopped || !host.AddRef()) {
    session->Close();
    return;
  }
  clients[session->id()].session = std::move(session);
}

void RpcServer::Core::Reply(Session& session, uint32_t seq, HRESULT hr,
                            const std::vector<uint8_t>& outs) {
  session.Send(ReplyFrame(seq, hr, platform::TakeErrorInfo(), outs));
}

HRESULT RpcServer::Core::Advise(Client& client, FrameWriter& outs) {
  auto sink =
      std::make_unique<RemoteSink>(client.session, options.eventAnswerTimeout, post, alarms);
  uint32_t cookie = 0;
  const HRESULT hr = host.object()->Advise(sink.get(), &cookie);
  outs.U32(cookie);
  if (SUCCEEDED(hr)) {
    sink->set_cookie(cookie);
    client.sinks[cookie] = std::move(sink);
  }
  return hr;
}

HRESULT RpcServer::Core::Unadvise(Client& client, FrameReader& in) {
  const uint32_t cookie = in.U32();
  if (!in.ok() || !in.AtEnd()) return RPC_E_INVALID_DATA;
  // A client can take back only the sinks it advised itself.
  auto it = client.sinks.find(cookie);
  if (it == client.sinks.end()) return CONNECT_E_NOCONNECTION;
  const HRESULT hr = host.object()->Unadvise(cookie);
  client.sinks.erase(it);
  return hr;
}

void RpcServer::Core::Handle(uint64_t id, const Frame& frame) {
  auto it = clients.find(id);
  if (it == clients.end() || !host.object()) return;
  Client& client = it->second;
  FrameReader in(frame.payload);
  FrameWriter outs;
  HRESULT hr = S_OK;
  platform::SetErrorInfo(std::nullopt);
  if (frame.code == kCallAdvise) {
    hr = in.AtEnd() ? Advise(client, outs) : RPC_E_INVALID_DATA;
  } else if (frame.code == kCallUnadvise) {
    hr = Unadvise(client, in);
  } else if (frame.code == kCallAttach) {
    hr = in.AtEnd() ? S_OK : RPC_E_INVALID_DATA;
  } else {
    switch (InvokeMethod(*host.object(), frame.code, in, outs, &hr)) {
      case Invoked::kDone:
        break;
      case Invoked::kUnknown:
        hr = DISP_E_MEMBERNOTFOUND;
        break;
      case Invoked::kBadArguments:
        hr = RPC_E_INVALID_DATA;
        outs = FrameWriter();
        break;
    }
  }
  // The method may have ended the connection's client list (Exit, a nested close): look again.
  if (clients.count(id)) Reply(*client.session, frame.seq, hr, outs.bytes());
}

void RpcServer::Core::DropClient(Client& client) {
  for (auto& [cookie, sink] : client.sinks)
    if (host.object()) host.object()->Unadvise(cookie);
  client.sinks.clear();
}

void RpcServer::Core::Closed(uint64_t id) {
  auto it = clients.find(id);
  if (it == clients.end()) return;
  Client client = std::move(it->second);
  clients.erase(it);
  DropClient(client);
  client.session->Close();
  host.Release();
}

RpcServer::RpcServer(ObjectHost& host, MainThreadPost post, RpcServerOptions options)
    : core_(std::make_shared<Core>(host, std::move(post), options)),
      budget_(std::make_shared<FrameBudget>(options.frameBudgetBytes)) {}

RpcServer::~RpcServer() { Stop(); }

bool RpcServer::Listen(const std::filesystem::path& path, std::string* error) {
  listener_ = ListenUnix(path);
  if (!listener_.valid()) {
    *error = "cannot listen on " + path.string();
    return false;
  }
  stop_ = UniqueFd(::eventfd(0, EFD_CLOEXEC));
  if (!stop_.valid()) {
    *error = "cannot make an event descriptor";
    return false;
  }
  path_ = path;
  acceptor_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void RpcServer::AcceptLoop() {
  std::weak_ptr<Core> weak = core_;
  MainThreadPost post = core_->post;
  uint64_t nextId = 1;
  for (;;) {
    pollfd fds[2] = {{listener_.get(), POLLIN, 0}, {stop_.get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!fd.valid()) {
      // Out of descriptors or memory: the connection stays queued, and polling again at once
      // would only spin. Wait a little (or for the stop) and try again.
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        pollfd stop{stop_.get(), POLLIN, 0};
        if (::poll(&stop, 1, kAcceptBackoffMs) > 0) return;
      }
      continue;
    }
    // The socket's mode keeps others out already; the peer's credentials make sure of it.
    if (PeerUid(fd.get()) != static_cast<int64_t>(::getuid())) continue;
    if (live_->load() >= core_->options.maxClients) {
      Refuse(std::move(fd));
      continue;
    }
    PrepareAccepted(fd.get());
    auto session =
        std::make_shared<Session>(std::move(fd), nextId++, budget_, core_->options.session);
    const uint64_t id = session->id();
    ++*live_;
    post([weak, session] {
      if (auto core = weak.lock()) core->Opened(session);
    });
    session->Start(
        [weak, post, id](Frame frame, CallHold hold) {
          auto held = std::make_shared<HeldFrame>(HeldFrame{std::move(frame), std::move(hold)});
          post([weak, id, held] {
            if (auto core = weak.lock()) core->Handle(id, held->frame);
          });
        },
        [weak, post, id, live = live_] {
          --*live;
          post([weak, id] {
            if (auto core = weak.lock()) core->Closed(id);
          });
        });
  }
}

void RpcServer::Refuse(UniqueFd fd) {
  // The client's first call is its attach (sequence number 1): answer it, whatever it is.
  const auto refusal = ReplyFrame(
      1, kServerTooBusy,
      platform::ErrorInfo{
          "PelService serves " + std::to_string(core_->options.maxClients) + " clients at most",
          kPelSrvProgId, kIidIPelSrv},
      {});
  [[maybe_unused]] ssize_t n =
      ::send(fd.get(), refusal.data(), refusal.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void RpcServer::Stop() {
  if (acceptor_.joinable()) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(stop_.get(), &one, sizeof one);
    acceptor_.join();
  }
  if (listener_.valid()) {
    listener_.reset();
    ::unlink(path_.c_str());
  }
  core_->stopped = true;
  for (auto& [id, client] : core_->clients) {
    core_->DropClient(client);
    client.session->Close();
  }
  core_->clients.clear();
}

size_t RpcServer::ConnectionCount() const { return core_->clients.size(); }

}  // namespace rpc
