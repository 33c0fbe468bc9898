// Throughput of an asynchronous send, the delay from a command's last byte to its message, and
// the CPU an idle open port costs, all over a pseudo-terminal.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "platform/messagetarget.h"
#include "platform/usermessages.h"
#include "portlink/portlink.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One open port on a pseudo-terminal whose master side the benchmark holds.
class OpenLine {
 public:
  OpenLine() {
    char name[256] = {};
    openpty(&master_, &slave_, name, nullptr, nullptr);
    const auto home =
        std::filesystem::temp_directory_path() / ("portlink-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    setenv("PELLORA_HOME", home.c_str(), 1);
    setenv("PELLORA_COM1", name, 1);
    sys_.cmdInfo = &cmd_;
    sys_.ttyInfo = &tty_;
    tty_.window = window_.Id();
    tty_.rxMode = 1;
    tty_.baudRate = 115200;
    DLLInitialize(&sys_);
    SetupSYSInfo(0, &sys_);
    ok_ = OpenCommPort(0) == 1;
    queue_->WaitFor(platform::UM_MODEM_STATUS, 1s);
  }
  ~OpenLine() {
    CloseCommPort(0);
    close(master_);
    close(slave_);
  }

  bool Ok() const { return ok_; }
  int Master() const { return master_; }
  portlink::TTYInfo& Tty() { return tty_; }
  platform::QueueTarget& Queue() { return *queue_; }

 private:
  std::shared_ptr<platform::QueueTarget> queue_ = std::make_shared<platform::QueueTarget>();
  platform::TargetRegistration window_{queue_};
  int master_ = -1, slave_ = -1;
  bool ok_ = false;
  portlink::CMDInfo cmd_{};
  portlink::TTYInfo tty_{};
  portlink::SYSInfo sys_{};
};

void BM_AsyncSend1MiB(benchmark::State& state) {
  OpenLine line;
  if (!line.Ok()) return state.SkipWithError("no pseudo-terminal");
  std::vector<std::uint8_t> block(1 << 20, 0x5A);
  line.Tty().block = block.data();
  line.Tty().blockLength = static_cast<std::uint32_t>(block.size());
  std::atomic<bool> done{false};
  std::thread drain([&] {
    std::vector<std::uint8_t> buf(65536);
    while (!done) {
      pollfd p{line.Master(), POLLIN, 0};
      if (poll(&p, 1, 50) > 0 && read(line.Master(), buf.data(), buf.size()) <= 0) break;
    }
  });
  for (auto _ : state) {
    SendBlockAsync(0);
    if (!line.Queue().WaitFor(platform::UM_BLOCK_SENT, 60s)) state.SkipWithError("no end");
  }
  done = true;
  drain.join();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_AsyncSend1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CommandToMessage(benchmark::State& state) {
  OpenLine line;
  if (!line.Ok()) return state.SkipWithError("no pseudo-terminal");
  std::vector<double> micros;
  const std::uint8_t progress[] = {0x11, 1, 2, 3, 4, 5, 6, 7};
  for (auto _ : state) {
    const auto start = Clock::now();
    if (write(line.Master(), progress, sizeof progress) != sizeof progress) break;
    if (!line.Queue().WaitFor(platform::UM_RX_COMMAND, 1s)) state.SkipWithError("lost");
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::sort(micros.begin(), micros.end());
  if (!micros.empty()) {
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
  }
}
BENCHMARK(BM_CommandToMessage)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(5000);

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_IdleOpenPortCpu(benchmark::State& state) {
  OpenLine line;
  if (!line.Ok()) return state.SkipWithError("no pseudo-terminal");
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    const double c0 = ProcessCpuSeconds();
    const auto w0 = Clock::now();
    std::this_thread::sleep_for(2s);
    cpu += ProcessCpuSeconds() - c0;
    wall += std::chrono::duration<double>(Clock::now() - w0).count();
  }
  state.counters["cpu_ms_per_s"] = wall > 0 ? cpu * 1000 / wall : 0;
}
BENCHMARK(BM_IdleOpenPortCpu)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

}  // namespace
