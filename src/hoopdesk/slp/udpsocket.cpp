#include "hoopdesk/slp/udpsocket.h"

#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace slp {

TUdpSocket::TUdpSocket() {
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return;
  const int ttl = kMulticastTtl;
  sockaddr_in any{};
  any.sin_family = AF_INET;
  any.sin_addr.s_addr = htonl(INADDR_ANY);
  const bool ready = ::setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) == 0 &&
                     ::bind(fd_, reinterpret_cast<const sockaddr*>(&any), sizeof any) == 0;
  error_ = ready ? 0 : errno;
}

TUdpSocket::~TUdpSocket() {
  if (fd_ >= 0) ::close(fd_);
}

sockaddr_in TUdpSocket::LocalAddress() const {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (fd_ >= 0) ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
  return local;
}

bool TUdpSocket::SendTo(std::span<const std::uint8_t> bytes, const sockaddr_in& to) {
  if (error_ != 0) return false;
  for (;;) {
    const ssize_t sent = ::sendto(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent >= 0) return static_cast<std::size_t>(sent) == bytes.size();
    if (errno != EINTR) return false;
  }
}

std::optional<TDatagram> TUdpSocket::Receive(std::span<std::uint8_t> buffer,
                                             std::chrono::milliseconds wait) {
  if (error_ != 0) return std::nullopt;
  for (;;) {
    TDatagram datagram;
    socklen_t length = sizeof datagram.from;
    const ssize_t got = ::recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                   reinterpret_cast<sockaddr*>(&datagram.from), &length);
    if (got >= 0) {
      datagram.size = static_cast<std::size_t>(got);
      return datagram;
    }
    if (errno == EINTR) continue;
    if ((errno != EAGAIN && errno != EWOULDBLOCK) || wait.count() <= 0) return std::nullopt;
    pollfd ready{fd_, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(wait.count()));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return std::nullopt;
    wait = std::chrono::milliseconds{0};  // the datagram is there now; read it without waiting
  }
}

}  // namespace slp
