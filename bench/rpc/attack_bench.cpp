// A server process under attack, measured: each benchmark starts its own server and reports
// what the server holds (resident memory, threads) and how long another client waits.
// - a machine floods file-name replies while one advised client never answers: another
//   client's GetState latency;
// - many clients at once;
// - a client that calls without reading its replies;
// - ten clients half-way through frames that announce 65 MiB, then a 12 MB design;
// - ulimit -n 64 with 100 clients connecting: the server's CPU time.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <thread>

#include "attackkit.h"
#include "platform/memstream.h"
#include "recordingsink.h"
#include "serverprocess.h"
#include "shared/stitch.h"
#include "simhost.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

void Figures(benchmark::State& state, pid_t pid, const char* prefix = "") {
  const auto f = attack::ReadProcess(pid);
  state.counters[std::string(prefix) + "rss_mb"] = static_cast<double>(f.rssKb) / 1024.0;
  state.counters[std::string(prefix) + "threads"] = static_cast<double>(f.threads);
}

std::vector<uint8_t> CookieIns(int32_t cookie) {
  rpc::FrameWriter w;
  w.I32(cookie);
  return w.Take();
}

void BM_FilenameFloodGetState(benchmark::State& state) {
  for (auto _ : state) {
    RunningServer s;
    RecordingSink silentSink;
    auto silent = s.world.Attach();  // advises, then never reads again
    uint32_t adviseCookie = 0;
    silent->Advise(&silentSink, &adviseCookie);
    SimHost machine(sim::TSimConfig{});
    int32_t cookie = 0;
    s.client->Connect(0, "flood", machine.ConnInfo(), &cookie);
    TSewingState st{};
    for (auto end = Clock::now() + 5s; st != SEW_IDLE && Clock::now() < end;)
      s.client->GetState(cookie, &st);

    std::atomic<bool> flooding{true};
    std::thread flood([&] {
      for (auto end = Clock::now() + 4s; Clock::now() < end;) {
        machine.Do([](sim::TSimMachine& m) { attack::SendFileNameReply(m, "flood.10o"); });
        std::this_thread::sleep_for(20ms);
      }
      flooding = false;
    });
    rpc::UniqueFd timing = attack::RawConnection();
    std::vector<double> ms;
    int lost = 0;
    for (uint32_t seq = 1; flooding; ++seq) {
      const double t =
          attack::TimedCallMs(timing.get(), seq, DISPID_GetState, CookieIns(cookie), 10s);
      if (t < 0) {
        ++lost;
        break;  // the connection is out of step now
      }
      ms.push_back(t);
      std::this_thread::sleep_for(5ms);
    }
    flood.join();
    Figures(state, s.pid);
    state.counters["calls"] = static_cast<double>(ms.size());
    state.counters["timed_out"] = lost;
    state.counters["p99_ms"] = lost ? 10000.0 : attack::P99(ms);
  }
}
BENCHMARK(BM_FilenameFloodGetState)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ManyClients(benchmark::State& state) {
  for (auto _ : state) {
    RunningServer s;
    std::vector<std::unique_ptr<rpc::PelSrvClient>> clients;
    int refused = 0;
    for (int64_t i = 0; i < state.range(0); ++i) {
      std::unique_ptr<rpc::PelSrvClient> c;
      if (SUCCEEDED(rpc::PelSrvClient::Attach(&c)))
        clients.push_back(std::move(c));
      else
        ++refused;
    }
    std::this_thread::sleep_for(300ms);
    Figures(state, s.pid);
    state.counters["attached"] = static_cast<double>(clients.size());
    state.counters["refused"] = refused;
  }
}
BENCHMARK(BM_ManyClients)->Arg(500)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_SlowReader(benchmark::State& state) {
  for (auto _ : state) {
    RunningServer s;
    const long before = attack::ReadProcess(s.pid).rssKb;
    rpc::UniqueFd fd = attack::RawConnection(100ms);
    rpc::FrameWriter w;
    w.I32(256);
    const auto call = attack::CallFrame(1, DISPID_ErrMessage, w.bytes());
    std::vector<uint8_t> burst;
    for (int i = 0; i < 1000; ++i) burst.insert(burst.end(), call.begin(), call.end());
    for (auto end = Clock::now() + 4s; Clock::now() < end;)
      if (::send(fd.get(), burst.data(), burst.size(), MSG_NOSIGNAL) < 0 && errno != EAGAIN &&
          errno != EWOULDBLOCK)
        break;
    std::this_thread::sleep_for(500ms);
    Figures(state, s.pid);
    state.counters["rss_growth_mb"] =
        static_cast<double>(attack::ReadProcess(s.pid).rssKb - before) / 1024.0;
  }
}
BENCHMARK(BM_SlowReader)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_HalfSentFrames(benchmark::State& state) {
  for (auto _ : state) {
    RunningServer s;
    constexpr size_t kDeclared = 65u << 20;
    std::vector<rpc::UniqueFd> fds;
    std::vector<std::thread> senders;
    for (int i = 0; i < 10; ++i) fds.push_back(attack::RawConnection(2s));
    for (auto& fd : fds)
      senders.emplace_back([&fd] { attack::SendPartOfFrame(fd.get(), kDeclared, kDeclared / 2); });
    for (auto& t : senders) t.join();
    std::this_thread::sleep_for(300ms);
    Figures(state, s.pid, "half_");

    // A design of about 12 MB from another client.
    TStitchItem design;
    for (int i = 0; i < 1'000'000; ++i) design.Points.push_back({sfStitch, i % 1000, i / 1000});
    design.Colors.push_back(TEmbColor{});
    const auto stream = design.Save();
    const auto t0 = Clock::now();
    const HRESULT hr = s.client->SendStartStream(1, stream.get());
    state.counters["design_ms"] =
        std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    state.counters["design_ok"] = hr == S_OK;
    Figures(state, s.pid, "after_");
  }
}
BENCHMARK(BM_HalfSentFrames)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DescriptorLimit(benchmark::State& state) {
  for (auto _ : state) {
    RunningServer s;
    int32_t count = -1;
    s.client->MachineCount(&count);  // the sanitizers check a type once, with a pipe
    rlimit limit{64, 64};
    ::prlimit(s.pid, RLIMIT_NOFILE, &limit, nullptr);
    const auto fds = attack::ConnectMany(100, 3s);
    state.counters["connected"] = static_cast<double>(fds.size());
    std::this_thread::sleep_for(500ms);
    const long t0 = attack::CpuTicks(s.pid);
    std::this_thread::sleep_for(2s);
    const long used = attack::CpuTicks(s.pid) - t0;
    state.counters["cpu_percent"] =
        100.0 * static_cast<double>(used) / static_cast<double>(::sysconf(_SC_CLK_TCK)) / 2.0;
    // The connected client is still served.
    state.counters["served"] = s.client->MachineCount(&count) == S_OK;
    state.counters["alive"] = attack::ReadProcess(s.pid).rssKb > 0;
    Figures(state, s.pid);
  }
}
BENCHMARK(BM_DescriptorLimit)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
