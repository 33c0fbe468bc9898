#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "rpc/objecthost.h"
#include "rpc/socket.h"

namespace rpc {

// Hands a piece of work to the server's main thread (by value; run later, in order).
using MainThreadPost = std::function<void(std::function<void()>)>;

// Calls besides the methods of IPelSrv: the connection point's advise and unadvise, and the
// first call of every client, whose answer tells it that it holds its reference.
inline constexpr int32_t kCallAdvise = -1;
inline constexpr int32_t kCallUnadvise = -2;
inline constexpr int32_t kCallAttach = -3;

struct RpcServerOptions {
  // How long the main thread waits for a client's answer to an event with an out value.
  std::chrono::milliseconds eventAnswerTimeout{5000};
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

  std::shared_ptr<Core> core_;
  UniqueFd listener_;
  UniqueFd stop_;
  std::filesystem::path path_;
  std::thread acceptor_;
};

}  // namespace rpc
