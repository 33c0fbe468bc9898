// The reader thread of a TCP/IP machine line. It connects a fresh socket, then cuts the machine's
// bytes into replies, and hands everything it learns to the main thread through its outbox, by
// value: it never touches the connection's state and never sends. Silence for longer than the
// silence time-out is loss of the line.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <thread>

#include "pelsrv/lines/tcpreplies.h"
#include "pelsrv/lines/tcpsocket.h"

namespace pelsrv {

struct TcpTimeouts {
  int silence_ms = 6000;   // a machine must send at least one byte this often
  int connect_ms = 10000;  // bound on one connect attempt
  int send_ms = 6000;      // bound on a send that the peer does not take
};

// Called on the reader thread; implementations only post (copies) to the main thread.
class TcpReaderOutbox {
 public:
  virtual ~TcpReaderOutbox() = default;
  virtual void Connected() = 0;
  virtual void Reply(const TcpReply& reply) = 0;
  // The reader has ended by itself: the connect failed (was_connected false) or the line was
  // lost. Not posted when the owner stopped the reader.
  virtual void Ended(bool was_connected) = 0;
};

class TConnThread {
 public:
  // Starts at once. `socket` and `outbox` must outlive this object.
  TConnThread(TcpSocket& socket, const sockaddr_in& address, const TcpTimeouts& timeouts,
              TcpReaderOutbox& outbox);
  // Stops the thread (wakes it) and joins it.
  ~TConnThread();
  TConnThread(const TConnThread&) = delete;
  TConnThread& operator=(const TConnThread&) = delete;

  // Wakes the reader out of a connect or receive and waits for it to end; nothing more is posted.
  void Stop();
  // True once the thread has nothing more to do (what it posted may still be on its way).
  bool Finished() const { return finished_; }

 private:
  void Run();
  void RunLine();

  TcpSocket& socket_;
  const sockaddr_in address_;
  const TcpTimeouts timeouts_;
  TcpReaderOutbox& outbox_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace pelsrv
