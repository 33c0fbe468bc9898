// A simulated machine on a real line: its own thread owns the machine and a file descriptor (a
// TCP connection accepted on loopback, or the master side of a pseudo-terminal), feeds it the
// server's bytes and writes its replies there. A test reaches the machine only through Call,
// which runs on that thread.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "pelsrvapi/pelservice_tlb.h"
#include "sim/simmachine.h"

namespace sim {

// A listening TCP socket on 127.0.0.1 at `port` (0: any free port); `bound` receives the address
// it got. -1 when it could not be made.
int ListenOnLoopback(std::uint16_t port, sockaddr_in& bound);

struct TLineTiming {
  std::chrono::milliseconds keepAlive{0};  // 0x16 this often while a line is up (0: never)
  std::chrono::milliseconds sewTick{20};   // one sewing step this often while sewing
};

class TSimLine {
 public:
  virtual ~TSimLine();
  TSimLine(const TSimLine&) = delete;
  TSimLine& operator=(const TSimLine&) = delete;

  // Runs fn with the machine on the line's thread and waits for it.
  void Call(const std::function<void(TSimMachine&)>& fn);
  template <typename R>
  R Get(const std::function<R(TSimMachine&)>& fn) {
    R result{};
    Call([&](TSimMachine& m) { result = fn(m); });
    return result;
  }
  // Waits until pred holds on the machine's thread (checked after every event), or timeout.
  bool WaitFor(const std::function<bool(TSimMachine&)>& pred,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));
  bool LineUp() const { return lineFd_ >= 0; }
  // Stops or resumes the keep-alives and everything else the machine sends by itself.
  void SetTiming(TLineTiming timing);

 protected:
  TSimLine(TSimConfig config, TLineTiming timing);
  // Starts the thread; `listenFd` (TCP) or `lineFd` (pty) is watched.
  void Start(int listenFd, int lineFd);
  void Stop();
  // Drops the current line (TCP: closes the accepted socket; the listener stays).
  void DropLine();

 private:
  class FdPipe;
  void Run();
  void Wake();

  TSimConfig config_;
  TLineTiming timing_;
  std::unique_ptr<FdPipe> pipe_;
  std::unique_ptr<TSimMachine> machine_;
  int listenFd_ = -1;
  std::atomic<int> lineFd_{-1};
  bool ownsLine_ = false;  // false for a pty master, which outlives a hang-up of the slave
  int wakeFd_ = -1;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void(TSimMachine&)>> calls_;
  std::thread thread_;
};

// A machine listening on 127.0.0.1 (any free port, or a given one); it takes a new connection
// whenever the previous one has gone.
class TSimTcpMachine : public TSimLine {
 public:
  explicit TSimTcpMachine(TSimConfig config, TLineTiming timing = {}, std::uint16_t port = 0);
  ~TSimTcpMachine() override;
  TConnInfo ConnInfo() const;
  std::uint16_t Port() const { return port_; }
  void Hangup() { DropLine(); }

 private:
  std::uint16_t port_ = 0;  // host byte order
};

// A machine on the master side of a pseudo-terminal; the slave is published as the device of
// COM index `comIndex` ($PELLORA_COM<index+1>).
class TSimPtyMachine : public TSimLine {
 public:
  TSimPtyMachine(TSimConfig config, int comIndex, TLineTiming timing = {});
  ~TSimPtyMachine() override;
  const std::string& SlavePath() const { return slavePath_; }
  TConnInfo ConnInfo(std::uint16_t baudRate = 9600) const;

 private:
  int master_ = -1;
  int comIndex_;
  std::string slavePath_;
};

}  // namespace sim
