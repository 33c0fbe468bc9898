#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/hresult.h"
#include "rpc/alarms.h"
#include "rpc/framebudget.h"
#include "rpc/objecthost.h"
#include "rpc/session.h"
#include "rpc/socket.h"

namespace rpc {

// Calls besides the methods of IPelSrv: the connection point's advise and unadvise, and the
// first call of every client, whose answer tells it that it holds its reference.
inline constexpr int32_t kCallAdvise = -1;
inline constexpr int32_t kCallUnadvise = -2;
inline constexpr int32_t kCallAttach = -3;

// The answer to a client past the cap on clients (the HRESULT of RPC_S_SERVER_TOO_BUSY).
inline constexpr HRESULT kServerTooBusy = static_cast<HRESULT>(0x800706BBu);

struct RpcServerOptions {
  // How long the main thread waits for a client's answer to an event with an out value.
  std::chrono::milliseconds eventAnswerTimeout{5000};
  // Clients served at once; the next is refused with kServerTooBusy.
  size_t maxClients = 64;
  // Bytes of call frames held for all clients together; room for the largest frame.
  size_t frameBudgetBytes = 96u << 20;
  SessionLimits session;
};

// The server end of the interface: accepts clients of this user on a Unix-domain socket, gives
// each connection one reference to the server object, runs their calls on the main thread and
// sends the events of the sinks they advise. A connection that ends drops its sinks and its
// reference.
class RpcServer {
 public:
  RpcServer(ObjectHost& host, MainThreadPost post, RpcServerOptions options = {});
  RpcServer(const RpcServer&) = delete;
  RpcServer& operator=(const RpcServer&) = delete;
  ~RpcServer();

  bool Listen(const std::filesystem::path& path, std::string* error);

  // Stops accepting, sends what is queued and closes every connection (main thread).
  void Stop();

  // Open connections (main thread).
  size_t ConnectionCount() const;

 private:
  struct Core;
  void AcceptLoop();
  void Refuse(UniqueFd fd);

  std::shared_ptr<Core> core_;
  std::shared_ptr<FrameBudget> budget_;
  // Connections whose reader still runs, counted against the cap (any thread).
  std::shared_ptr<std::atomic<size_t>> live_ = std::make_shared<std::atomic<size_t>>(0);
  UniqueFd listener_;
  UniqueFd stop_;
  std::filesystem::path path_;
  std::thread acceptor_;
};

}  // namespace rpc
