// Many machines on TCP loopback, each sending progress replies at a steady rate, against the
// connection manager's message loop: replies lost, delay from a reply leaving its machine to its
// OnProgress event, and the CPU time the service side used.
//
// The machines run in a child process so that the service's CPU use is the parent's alone.
// Each reply's stitch number is its sequence number; the child stamps the moment it sends each
// one into memory shared with the parent (CLOCK_MONOTONIC is the same clock in both).
//
// PELLORA_BENCH_SECONDS shortens the run (default 30).
#include <arpa/inet.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "pelsrv/lines/peldispatch.h"
#include "pelsrv/lines/pelmain.h"
#include "platform/messagetarget.h"

namespace {

constexpr int kMachines = 16;
constexpr int kRepliesPerSecond = 50;

int Seconds() {
  const char* s = std::getenv("PELLORA_BENCH_SECONDS");
  return s != nullptr && std::atoi(s) > 0 ? std::atoi(s) : 30;
}

std::int64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Listener {
  int fd = -1;
  std::uint16_t port = 0;  // network byte order
};

Listener Listen() {
  Listener l;
  l.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(l.fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(l.fd, 1);
  socklen_t len = sizeof a;
  ::getsockname(l.fd, reinterpret_cast<sockaddr*>(&a), &len);
  l.port = a.sin_port;
  return l;
}

// The machines: accept, then every 1/rate seconds send each machine's next 0x11 reply.
[[noreturn]] void RunMachines(const std::vector<Listener>& listeners, int replies,
                              std::int64_t* sentAt) {
  std::vector<int> peers;
  for (const Listener& l : listeners) peers.push_back(::accept(l.fd, nullptr, nullptr));
  const auto period = std::chrono::nanoseconds(1000000000 / kRepliesPerSecond);
  auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
  for (int seq = 1; seq <= replies; ++seq) {
    std::this_thread::sleep_until(next);
    next += period;
    for (int m = 0; m < kMachines; ++m) {
      std::uint8_t reply[8] = {0x11, 1, 40, 0, 0, 0, 0, 0};
      reply[4] = static_cast<std::uint8_t>(seq);
      reply[5] = static_cast<std::uint8_t>(seq >> 8);
      sentAt[m * replies + seq - 1] = NowNs();
      ::send(peers[static_cast<std::size_t>(m)], reply, sizeof reply, MSG_NOSIGNAL);
    }
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  _exit(0);
}

class DelayRecorder : public IPelSrvEvents {
 public:
  DelayRecorder(int replies, const std::int64_t* sentAt) : replies_(replies), sentAt_(sentAt) {}
  void OnProgress(std::int32_t cookie, std::uint8_t, std::int32_t nPos, std::int32_t, std::int32_t,
                  std::uint16_t, std::uint8_t) override {
    const int m = cookie - 1;
    if (m < 0 || m >= kMachines || nPos < 1 || nPos > replies_) return;
    delaysNs.push_back(NowNs() - sentAt_[m * replies_ + nPos - 1]);
  }
  void OnStatusChange(std::int32_t, std::uint8_t) override {}
  void OnSendProgress(std::int32_t, std::int32_t) override {}
  void OnSendStop(std::int32_t, std::int32_t) override {}
  void OnFilenameAck(std::int32_t, const std::string&, std::int32_t, std::int32_t&) override {}
  void OnComplete(std::int32_t, std::int32_t, std::int32_t) override {}
  void OnSyncSetup(std::int32_t, std::int32_t, std::int32_t) override {}
  void OnSendStart(std::int32_t) override {}

  std::vector<std::int64_t> delaysNs;

 private:
  int replies_;
  const std::int64_t* sentAt_;
};

void BM_SixteenTcpMachines(benchmark::State& state) {
  const int seconds = Seconds();
  const int replies = seconds * kRepliesPerSecond;
  const std::size_t stampBytes =
      sizeof(std::int64_t) * kMachines * static_cast<std::size_t>(replies);
  auto* sentAt = static_cast<std::int64_t*>(
      mmap(nullptr, stampBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  const auto home = std::filesystem::temp_directory_path() / "pellora-bench-tcp";
  std::filesystem::create_directories(home);
  ::setenv("PELLORA_HOME", home.c_str(), 1);

  for (auto _ : state) {
    std::vector<Listener> listeners;
    for (int m = 0; m < kMachines; ++m) listeners.push_back(Listen());
    const pid_t child = fork();
    if (child == 0) RunMachines(listeners, replies, sentAt);
    for (const Listener& l : listeners) ::close(l.fd);

    auto queue = std::make_shared<platform::QueueTarget>();
    platform::TargetRegistration registration(queue);
    DelayRecorder events(replies, sentAt);
    TPelMain main(registration.Id());
    TPelDispatch dispatch(main);
    for (int m = 0; m < kMachines; ++m) {
      TConnInfo info{};
      info.tcpip = 1;
      info.b1 = 127;
      info.b4 = 1;
      info.port = listeners[static_cast<std::size_t>(m)].port;
      main.Connect(m, "machine" + std::to_string(m), info, &events);
    }
    const double cpuStart = CpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    const auto end = wallStart + std::chrono::seconds(seconds + 1);
    const std::size_t expected = static_cast<std::size_t>(kMachines) * replies;
    while (std::chrono::steady_clock::now() < end && events.delaysNs.size() < expected) {
      if (auto message = queue->Wait(std::chrono::milliseconds(100))) dispatch.Dispatch(*message);
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = CpuSeconds() - cpuStart;
    waitpid(child, nullptr, 0);

    std::vector<std::int64_t> d = events.delaysNs;
    std::sort(d.begin(), d.end());
    auto at = [&](double q) {
      return d.empty() ? 0.0
                       : static_cast<double>(d[static_cast<std::size_t>(q * (d.size() - 1))]) / 1e6;
    };
    state.counters["replies_sent"] = static_cast<double>(expected);
    state.counters["replies_lost"] = static_cast<double>(expected - d.size());
    state.counters["delay_median_ms"] = at(0.5);
    state.counters["delay_p99_ms"] = at(0.99);
    state.counters["service_cpu_pct"] = 100.0 * cpu / wall;
  }
  munmap(sentAt, stampBytes);
}

BENCHMARK(BM_SixteenTcpMachines)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
