// A TCP client socket for one machine line: bounded connect, sends that never raise SIGPIPE
// and finish partial writes, receives bounded by a silence time-out, and a wake-up that another
// thread may use to end a connect or a receive in progress.
//
// Once connected, a receive is one blocking call that the receive time-out bounds: it waits and
// reads at once, and takes whatever has arrived. Wake() shuts the line down, which ends a
// receive that is waiting. Sends never block on the descriptor; they wait in poll, bounded.
//
// Threads: one thread (the reader) connects and receives; another (the owner) may send and may
// call Wake() at any time. The descriptor is closed only by the destructor, which the owner runs
// after the reader has been joined.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>

namespace pelsrv {

class TcpSocket {
 public:
  enum class Result {
    kOk,       // all bytes asked for (at least one for ReceiveSome) were transferred
    kClosed,   // the peer closed the connection, or Wake() ended a receive
    kTimeout,  // nothing arrived (or nothing could be sent) within the time-out
    kWoken,    // Wake() ended a connect or a send
    kError,    // any other failure
  };

  // Creates the socket and its wake-up descriptor; Valid() is false when either failed.
  TcpSocket();
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  bool Valid() const { return fd_ >= 0 && wake_fd_ >= 0; }
  int Fd() const { return fd_; }

  // Connects within timeout_ms (non-blocking connect, then waiting for writability).
  Result Connect(const sockaddr_in& address, int timeout_ms);

  // Reads what has arrived, at least one byte and at most `capacity`, waiting at most
  // silence_ms (at least 1) for the first; *received holds the count on kOk.
  Result ReceiveSome(std::uint8_t* buffer, std::size_t capacity, int silence_ms,
                     std::size_t* received);

  // Writes all `size` bytes; a stall of more than timeout_ms counts as failure.
  Result SendAll(const std::uint8_t* bytes, std::size_t size, int timeout_ms);

  // Ends a connect or receive in progress on another thread, and every later one.
  void Wake();

 private:
  // Waits until fd_ has `events` or the wake-up fires; kOk when fd_ is ready.
  Result WaitFor(short events, int timeout_ms);
  // Makes a freshly connected descriptor ready for blocking receives.
  Result Connected();

  int fd_ = -1;
  int wake_fd_ = -1;
  int receive_timeout_ms_ = 0;  // the SO_RCVTIMEO set last (reader thread); 0: none yet
};

}  // namespace pelsrv
