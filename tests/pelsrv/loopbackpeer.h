// A machine played by the test over TCP loopback: a listening socket on 127.0.0.1 with an
// ephemeral port, the accepted connection, and plain blocking sends and bounded receives.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "pelsrvapi/pelservice_tlb.h"

namespace pelsrv_test {

class LoopbackPeer {
 public:
  // port 0: any free port.
  explicit LoopbackPeer(std::uint16_t port = 0);
  ~LoopbackPeer();
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  const sockaddr_in& Address() const { return address_; }
  std::uint16_t Port() const { return ntohs(address_.sin_port); }
  // TCP/IP parameters of IPelSrv::Connect for this peer.
  TConnInfo ConnInfo() const;

  // Waits (bounded) for the connection's connect; false when none came.
  bool Accept(std::chrono::milliseconds timeout = std::chrono::seconds(5));
  void Send(const std::vector<std::uint8_t>& bytes);
  // Up to `size` bytes, waiting at most `timeout` for them all.
  std::vector<std::uint8_t> Receive(std::size_t size,
                                    std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Closes the accepted connection.
  void Hangup();

 private:
  int listen_fd_ = -1;
  int peer_fd_ = -1;
  sockaddr_in address_{};
};

// An address that no machine answers; a connect to it hangs until it is given up (or, on a
// network that knows it cannot be reached, fails at once).
TConnInfo UnroutableConnInfo();

}  // namespace pelsrv_test
