// The SLP service agent of simulated machines, on 127.0.0.1: it answers every service request
// for "service:sewing-machine" with one reply per machine it announces, each carrying that
// machine's URL, the way each machine on a network answers a multicast request for itself. As
// a real agent does, it stays quiet when the request names 127.0.0.1 among the previous
// responders or asks for scopes other than "DEFAULT". Its own thread owns the socket.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

struct TSlpAgentConfig {
  std::vector<std::string> urls{};                 // one reply each, in this order
  std::vector<std::vector<std::uint8_t>> noise{};  // sent to the asker before the replies
  std::uint16_t port = 0;                          // UDP port on 127.0.0.1; 0: any free one
  // Time between two replies to one request, so that a program reading them on a timer finds
  // them on different ticks, as from machines that answer at different times.
  std::chrono::milliseconds replyGap{0};
};

class TSimSlpAgent {
 public:
  explicit TSimSlpAgent(TSlpAgentConfig config);
  ~TSimSlpAgent();
  TSimSlpAgent(const TSimSlpAgent&) = delete;
  TSimSlpAgent& operator=(const TSimSlpAgent&) = delete;

  bool Ok() const { return fd_ >= 0; }
  std::uint16_t Port() const { return port_; }  // host byte order
  // "127.0.0.1:<port>", the value for PELLORA_SLP_ADDRESS.
  std::string Address() const;
  // Well-formed service requests received, answered or not.
  int Requests() const { return requests_; }
  // The bytes of the last well-formed request.
  std::vector<std::uint8_t> LastRequest() const;

 private:
  void Run();
  void Answer(const std::uint8_t* bytes, std::size_t size, const void* from, unsigned fromSize);
  // Waits the reply gap; false when the agent is asked to end meanwhile.
  bool WaitGap() const;

  const TSlpAgentConfig config_;
  int fd_ = -1;
  int wakeFd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<int> requests_{0};
  mutable std::mutex mutex_;
  std::vector<std::uint8_t> lastRequest_;  // guarded by mutex_
  std::thread thread_;
};

}  // namespace sim
