// A 1,000,000-stitch design sent block by block, against the floor the network sets for it:
// - BM_RawPingPong: the same 521-byte frames and 1-byte replies between two threads over TCP
//   loopback, each side one blocking send and one blocking receive per frame;
// - BM_SendThroughServer: a real pelservice process sends the design, from SendStartStream to
//   the client's OnSendStop with every OnSendProgress before it, to a simulated machine on TCP
//   loopback in this process.
// Counters of the server's case: send_ms, the whole send; blocks_ms, the same from the return
// of SendStartStream (the header frame is out, the design's trip to the server and its loading
// are over); x_pingpong and x_pingpong_send, blocks_ms and send_ms over the ping-pong's time;
// server_cpu_ms, the processor time the server process took per send.
//
// PELLORA_SERVICE_WRAPPER puts a command in front of the server (for example
// "strace -f -o /tmp/pelservice.trace"); block_syscalls.sh counts the server's system calls per
// block that way. PELLORA_OTHER_SERVICE names another pelservice build, which
// BM_SendThroughOtherServer runs the same way, right after this build's: two versions compared
// side by side in one run, against the same ping-pong (skipped when it is not set).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "filldesign.h"
#include "pelsrv/protocol/transferframe.h"
#include "platform/memstream.h"
#include "rpc/pelsrvclient.h"
#include "rpc/socket.h"
#include "serverprocess.h"
#include "shared/stitch.h"
#include "simhost.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kStitches = 1'000'000;
// The header frame and every data frame of the design; the machine type 0x01 sends the records
// as they are.
constexpr int kFrames = 1 + (3 * kStitches + 511) / 512;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The ping-pong's time per frame, for the ratio of the server's run.
std::atomic<double> pingPongMsPerFrame{0};

rpc::UniqueFd ListenLoopback(std::uint16_t* port) {
  rpc::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ::bind(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(fd.get(), 1);
  ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&a), &len);
  *port = a.sin_port;  // network byte order
  return fd;
}

bool ReceiveAll(int fd, std::uint8_t* buffer, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::recv(fd, buffer + got, size - got, 0);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

void BM_RawPingPong(benchmark::State& state) {
  double totalMs = 0;
  int runs = 0;
  for (auto _ : state) {
    std::uint16_t port = 0;
    rpc::UniqueFd listener = ListenLoopback(&port);
    std::thread peer([&] {
      rpc::UniqueFd fd(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
      std::uint8_t frame[kFrameSize];
      const std::uint8_t reply = 0x84;
      while (ReceiveAll(fd.get(), frame, sizeof frame)) {
        if (::send(fd.get(), &reply, 1, MSG_NOSIGNAL) != 1) break;
      }
    });
    rpc::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = port;
    ::connect(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a);
    std::uint8_t frame[kFrameSize] = {'D'};
    std::uint8_t reply = 0;
    const auto start = Clock::now();
    int frames = 0;
    for (; frames < kFrames; ++frames) {
      if (!rpc::SendAll(fd.get(), frame) || !ReceiveAll(fd.get(), &reply, 1)) break;
    }
    const double ms = Ms(Clock::now() - start);
    fd.reset();
    peer.join();
    if (frames != kFrames) state.SkipWithError("the peer stopped answering");
    state.SetIterationTime(ms / 1000);
    totalMs += ms;
    ++runs;
  }
  pingPongMsPerFrame = totalMs / runs / kFrames;
  state.counters["frames"] = kFrames;
  state.counters["pingpong_ms"] = totalMs / runs;
}
BENCHMARK(BM_RawPingPong)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// Counts the send's events and checks that they came complete and in order.
class TransferSink : public IPelSrvEvents {
 public:
  void OnSendProgress(std::int32_t, std::int32_t ratio) override {
    if (ratio < lastRatio) outOfOrder = true;
    lastRatio = ratio;
    ++progress;
  }
  void OnSendStop(std::int32_t, std::int32_t state) override {
    stopped = true;
    stopState = state;
  }
  void OnSendStart(std::int32_t) override { offered = true; }
  void OnStatusChange(std::int32_t, std::uint8_t) override {}
  void OnProgress(std::int32_t, std::uint8_t, std::int32_t, std::int32_t, std::int32_t,
                  std::uint16_t, std::uint8_t) override {}
  void OnFilenameAck(std::int32_t, const std::string&, std::int32_t, std::int32_t&) override {}
  void OnComplete(std::int32_t, std::int32_t, std::int32_t) override {}
  void OnSyncSetup(std::int32_t, std::int32_t, std::int32_t) override { identified = true; }

  void Reset() { *this = TransferSink(); }

  bool identified = false;  // the machine answered the identity request
  bool offered = false;
  bool stopped = false;
  std::int32_t stopState = -1;
  int progress = 0;
  std::int32_t lastRatio = -1;
  bool outOfOrder = false;
};

// The server by hand (it ends through Exit), behind the wrapper command when one is set.
pid_t StartServer(const char* path) {
  std::vector<std::string> words;
  if (const char* wrapper = std::getenv("PELLORA_SERVICE_WRAPPER")) {
    std::istringstream in(wrapper);
    for (std::string w; in >> w;) words.push_back(w);
  }
  words.emplace_back(path);
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

bool PumpUntil(rpc::PelSrvClient& client, const bool& done, Clock::duration limit) {
  const auto end = Clock::now() + limit;
  while (!done && Clock::now() < end) client.ProcessEvents(10);
  return done;
}

void SendThrough(benchmark::State& state, const char* service) {
  ServerWorld world;
  const pid_t server = StartServer(service);
  auto client = world.Attach();
  if (server < 0 || !client) {
    state.SkipWithError("no server");
    return;
  }
  TransferSink sink;
  std::uint32_t adviseCookie = 0;
  client->Advise(&sink, &adviseCookie);
  const auto stream = FillDesignStream(kStitches);
  double sendMs = 0, blocksMs = 0;
  int runs = 0;
  for (auto _ : state) {
    SimHost machine(sim::TSimConfig{});
    sink.Reset();
    std::int32_t cookie = 0;
    client->Connect(0, "bench", machine.ConnInfo(), &cookie);
    // The line is up and idle before the machine has answered; it can offer once it has.
    PumpUntil(*client, sink.identified, 10s);
    TSewingState s{};
    const auto end = Clock::now() + 10s;
    do {
      client->ProcessEvents(5);
      client->GetState(cookie, &s);
    } while (s != SEW_IDLE && Clock::now() < end);
    machine.Do([](sim::TSimMachine& m) { m.OfferTransfer(); });
    PumpUntil(*client, sink.offered, 10s);

    const auto start = Clock::now();
    const HRESULT hr = client->SendStartStream(cookie, stream.get());
    const auto started = Clock::now();
    PumpUntil(*client, sink.stopped, 60s);
    const auto stopped = Clock::now();

    ++runs;
    sendMs += Ms(stopped - start);
    blocksMs += Ms(stopped - started);
    state.SetIterationTime(Ms(stopped - start) / 1000);
    if (hr != S_OK || !sink.stopped || sink.stopState != RES_STATE_NORMAL || sink.outOfOrder ||
        sink.progress != kFrames - 1) {
      const std::string why = "the transfer did not end normally with every progress event: hr " +
                              std::to_string(hr) + ", stop " + std::to_string(sink.stopState) +
                              ", progress events " + std::to_string(sink.progress) +
                              (sink.outOfOrder ? ", out of order" : "");
      state.SkipWithError(why.c_str());
    }
    client->DisconnectAll();
  }
  if (runs > 0) {
    sendMs /= runs;
    blocksMs /= runs;
  }
  state.counters["events"] = sink.progress;
  state.counters["send_ms"] = sendMs;
  state.counters["blocks_ms"] = blocksMs;
  if (pingPongMsPerFrame > 0) {
    state.counters["x_pingpong"] = blocksMs / (pingPongMsPerFrame * kFrames);
    state.counters["x_pingpong_send"] = sendMs / (pingPongMsPerFrame * kFrames);
  }
  client->Unadvise(adviseCookie);
  client->Exit();
  client.reset();
  // The server's processor time over its whole life, per send (its start and the design's
  // trip and loading included).
  rusage usage{};
  if (::wait4(server, nullptr, 0, &usage) == server && runs > 0) {
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    state.counters["server_cpu_ms"] = (ms(usage.ru_utime) + ms(usage.ru_stime)) / runs;
  }
}
void BM_SendThroughServer(benchmark::State& state) { SendThrough(state, PELSERVICE_PATH); }
BENCHMARK(BM_SendThroughServer)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SendThroughOtherServer(benchmark::State& state) {
  const char* other = std::getenv("PELLORA_OTHER_SERVICE");
  if (other == nullptr || *other == '\0') {
    state.SkipWithError("PELLORA_OTHER_SERVICE names no server");
    return;
  }
  SendThrough(state, other);
}
BENCHMARK(BM_SendThroughOtherServer)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
