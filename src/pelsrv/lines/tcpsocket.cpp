#include "pelsrv/lines/tcpsocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace pelsrv {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

TcpSocket::TcpSocket() {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  wake_fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

TcpSocket::~TcpSocket() {
  if (fd_ >= 0) ::close(fd_);
  if (wake_fd_ >= 0) ::close(wake_fd_);
}

void TcpSocket::Wake() {
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
  if (wake_fd_ >= 0) {
    std::uint64_t one = 1;
    // The counter only needs to become non-zero; a full counter is as good as a written one.
    [[maybe_unused]] auto written = ::write(wake_fd_, &one, sizeof one);
  }
}

TcpSocket::Result TcpSocket::WaitFor(short events, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    pollfd fds[2] = {{fd_, events, 0}, {wake_fd_, POLLIN, 0}};
    int n = ::poll(fds, 2, RemainingMs(deadline));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Result::kError;
    }
    if (fds[1].revents != 0) return Result::kWoken;
    if (n == 0) return Result::kTimeout;
    return Result::kOk;  // readable, writable, or an error/hang-up the next call reports
  }
}

TcpSocket::Result TcpSocket::Connect(const sockaddr_in& address, int timeout_ms) {
  if (!Valid()) return Result::kError;
  if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    return Connected();
  }
  // EINTR leaves the connect running in the background, like EINPROGRESS.
  if (errno != EINPROGRESS && errno != EINTR) return Result::kError;
  Result waited = WaitFor(POLLOUT, timeout_ms);
  if (waited != Result::kOk) return waited;
  int err = 0;
  socklen_t len = sizeof err;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len) < 0 || err != 0) return Result::kError;
  return Connected();
}

TcpSocket::Result TcpSocket::Connected() {
  // Receives block from now on (bounded by SO_RCVTIMEO); sends ask not to, call by call.
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) < 0) return Result::kError;
  return Result::kOk;
}

TcpSocket::Result TcpSocket::ReceiveSome(std::uint8_t* buffer, std::size_t capacity, int silence_ms,
                                         std::size_t* received) {
  *received = 0;
  // SO_RCVTIMEO 0 would mean no bound at all.
  silence_ms = silence_ms > 0 ? silence_ms : 1;
  if (silence_ms != receive_timeout_ms_) {
    const timeval tv{silence_ms / 1000, (silence_ms % 1000) * 1000};
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) < 0) return Result::kError;
    receive_timeout_ms_ = silence_ms;
  }
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, capacity, 0);
    if (n > 0) {
      *received = static_cast<std::size_t>(n);
      return Result::kOk;
    }
    if (n == 0) return Result::kClosed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Result::kTimeout;
    return Result::kError;
  }
}

TcpSocket::Result TcpSocket::SendAll(const std::uint8_t* bytes, std::size_t size, int timeout_ms) {
  if (fd_ < 0) return Result::kError;
  std::size_t sent = 0;
  while (sent < size) {
    ssize_t n = ::send(fd_, bytes + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return Result::kError;
    Result waited = WaitFor(POLLOUT, timeout_ms);
    if (waited != Result::kOk) return waited;
  }
  return Result::kOk;
}

}  // namespace pelsrv
