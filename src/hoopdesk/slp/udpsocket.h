// The UDP socket discovery sends its requests from and reads the answers on: bound to any local
// address and a free port, non-blocking, with a multicast time-to-live of 8 so requests cross a
// few routers of the shop's network.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace slp {

inline constexpr int kMulticastTtl = 8;

struct TDatagram {
  std::size_t size = 0;
  sockaddr_in from{};
};

class TUdpSocket {
 public:
  TUdpSocket();
  ~TUdpSocket();
  TUdpSocket(const TUdpSocket&) = delete;
  TUdpSocket& operator=(const TUdpSocket&) = delete;

  // 0 when the socket is usable; -1 when none could be made; otherwise the errno of the set-up
  // step that failed.
  int Error() const { return error_; }
  // The local address the socket is bound to (port in network byte order).
  sockaddr_in LocalAddress() const;

  bool SendTo(std::span<const std::uint8_t> bytes, const sockaddr_in& to);
  // One datagram into `buffer`, waiting at most `wait` for it; none when nothing came. A
  // datagram longer than the buffer is cut to it.
  std::optional<TDatagram> Receive(std::span<std::uint8_t> buffer,
                                   std::chrono::milliseconds wait = std::chrono::milliseconds{0});

 private:
  int fd_ = -1;
  int error_ = -1;
};

}  // namespace slp
