// The server interface measured against a real server process:
// - GetState round trips (rate, median and 99th-percentile latency);
// - SendStartStream of a 1,000,000-stitch design to an idle simulated machine;
// - the delay from a simulated machine's progress reply to the client's sink, 16 machines busy.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>

#include "filldesign.h"
#include "platform/memstream.h"
#include "recordingsink.h"
#include "serverprocess.h"
#include "shared/stitch.h"
#include "simhost.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

RunningServer& TheServer() {
  static RunningServer server;
  return server;
}

void Percentiles(benchmark::State& state, std::vector<double> us) {
  if (us.empty()) return;
  std::sort(us.begin(), us.end());
  state.counters["median_us"] = us[us.size() / 2];
  state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
}

void BM_GetStateRoundTrip(benchmark::State& state) {
  auto& client = *TheServer().client;
  std::vector<double> us;
  TSewingState s{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    client.GetState(1, &s);
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  state.SetItemsProcessed(state.iterations());
  Percentiles(state, us);
}
BENCHMARK(BM_GetStateRoundTrip)->Iterations(20000)->UseRealTime();

void WaitIdle(rpc::PelSrvClient& client, int32_t cookie) {
  TSewingState s{};
  const auto end = Clock::now() + 10s;
  do {
    client.ProcessEvents(5);
    client.GetState(cookie, &s);
  } while (s != SEW_IDLE && Clock::now() < end);
}

void BM_SendStartStream1M(benchmark::State& state) {
  auto& client = *TheServer().client;
  const auto stream = FillDesignStream(1'000'000);
  HRESULT last = S_OK;
  for (auto _ : state) {
    state.PauseTiming();
    client.DisconnectAll();
    SimHost machine(sim::TSimConfig{});
    int32_t cookie = 0;
    client.Connect(0, "bench", machine.ConnInfo(), &cookie);
    WaitIdle(client, cookie);
    state.ResumeTiming();
    last = client.SendStartStream(cookie, stream.get());
    state.PauseTiming();
    client.DisconnectAll();
    state.ResumeTiming();
  }
  state.counters["hresult_ok"] = last == S_OK ? 1 : 0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream->size()));
}
BENCHMARK(BM_SendStartStream1M)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

// Sixteen machines send progress replies, 50 a second each; the stitch number of each reply
// says when it was sent.
class DelaySink : public RecordingSink {
 public:
  std::map<int32_t, std::vector<Clock::time_point>>* sent = nullptr;
  std::vector<double> us;
  void OnProgress(int32_t c, uint8_t, int32_t pos, int32_t, int32_t, uint16_t, uint8_t) override {
    auto it = sent->find(c);
    if (it == sent->end() || pos <= 0 || static_cast<size_t>(pos) > it->second.size()) return;
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() -
                                                           it->second[static_cast<size_t>(pos - 1)])
                     .count());
  }
};

void BM_EventDelay16Machines(benchmark::State& state) {
  auto& client = *TheServer().client;
  constexpr int kMachines = 16;
  constexpr int kRepliesEach = 100;  // two seconds at 50 a second
  for (auto _ : state) {
    client.DisconnectAll();
    std::vector<std::unique_ptr<SimHost>> machines;
    std::map<int32_t, std::vector<Clock::time_point>> sent;
    std::vector<int32_t> cookies;
    for (int i = 0; i < kMachines; ++i) {
      machines.push_back(std::make_unique<SimHost>(sim::TSimConfig{}));
      int32_t cookie = 0;
      std::string name = "m";
      name += std::to_string(i);
      client.Connect(i, name, machines.back()->ConnInfo(), &cookie);
      cookies.push_back(cookie);
      sent[cookie].resize(kRepliesEach);
    }
    for (int32_t c : cookies) WaitIdle(client, c);
    DelaySink sink;
    sink.sent = &sent;
    uint32_t adviseCookie = 0;
    client.Advise(&sink, &adviseCookie);
    std::atomic<bool> done{false};
    std::thread driver([&] {
      const auto start = Clock::now();
      for (int n = 0; n < kRepliesEach; ++n) {
        std::this_thread::sleep_until(start + n * 20ms);
        for (int i = 0; i < kMachines; ++i) {
          sent[cookies[static_cast<size_t>(i)]][static_cast<size_t>(n)] = Clock::now();
          machines[static_cast<size_t>(i)]->Do([&](sim::TSimMachine& m) {
            m.SendProgressReply(0x11, 1, static_cast<uint32_t>(n + 1));
          });
        }
      }
      done = true;
    });
    const auto end = Clock::now() + 10s;
    while ((!done || sink.us.size() < size_t{kMachines} * kRepliesEach) && Clock::now() < end)
      client.ProcessEvents(5);
    driver.join();
    client.Unadvise(adviseCookie);
    state.counters["events"] = static_cast<double>(sink.us.size());
    state.counters["expected"] = kMachines * kRepliesEach;
    Percentiles(state, sink.us);
    client.DisconnectAll();
  }
}
BENCHMARK(BM_EventDelay16Machines)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
