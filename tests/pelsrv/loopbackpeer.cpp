#include "loopbackpeer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "sim/simline.h"

namespace pelsrv_test {

LoopbackPeer::LoopbackPeer(std::uint16_t port) {
  listen_fd_ = sim::ListenOnLoopback(port, address_);
}

LoopbackPeer::~LoopbackPeer() {
  Hangup();
  ::close(listen_fd_);
}

TConnInfo LoopbackPeer::ConnInfo() const {
  TConnInfo info{};
  info.tcpip = 1;
  info.b1 = 127;
  info.b4 = 1;
  info.port = address_.sin_port;  // network byte order, as the client passes it
  return info;
}

bool LoopbackPeer::Accept(std::chrono::milliseconds timeout) {
  pollfd p{listen_fd_, POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(timeout.count())) != 1) return false;
  Hangup();
  peer_fd_ = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
  return peer_fd_ >= 0;
}

void LoopbackPeer::Send(const std::vector<std::uint8_t>& bytes) {
  if (peer_fd_ >= 0) ::send(peer_fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::vector<std::uint8_t> LoopbackPeer::Receive(std::size_t size,
                                                std::chrono::milliseconds timeout) {
  std::vector<std::uint8_t> bytes(size);
  std::size_t got = 0;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (got < size && peer_fd_ >= 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{peer_fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) != 1) break;
    ssize_t n = ::recv(peer_fd_, bytes.data() + got, size - got, 0);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

TConnInfo UnroutableConnInfo() {
  TConnInfo info{};
  info.tcpip = 1;
  info.b1 = 10;
  info.b2 = 255;
  info.b3 = 255;
  info.b4 = 1;
  info.port = htons(9);
  return info;
}

void LoopbackPeer::Hangup() {
  if (peer_fd_ >= 0) ::close(peer_fd_);
  peer_fd_ = -1;
}

}  // namespace pelsrv_test
