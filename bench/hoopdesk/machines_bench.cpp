// Sixteen simulated machines on TCP loopback, connected through a real PelService to the panel
// manager with six panel slots on Qt's offscreen platform.
//
// ProgressToRepaint/<rate>: every machine sends <rate> sewing progress replies a second (50 and
// 10); counters give the delay from a machine's reply to the event handled (event_median_ms,
// event_p99_ms, all machines) and to the progress bar of its panel repainted (paint_median_ms,
// paint_p99_ms, the six machines in view), the CPU time of the program's main thread and of the
// server process as shares of one core (main_cpu_pct, server_cpu_pct), and the server state
// queries of the panel drawings per progress event (state_queries_per_event). SendAllToFirstBlock:
// from "&Send All" with a design queued on every machine to the first transfer bytes a machine
// receives (first_block_ms).
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "hoopdesk/designmaker.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/quiethost.h"
#include "serverprocess.h"
#include "shared/getserial.h"
#include "simhost.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMachines = 16;
constexpr std::uint32_t kDesignStitches = 3000;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

// User and system time of a process so far, from /proc.
double ProcessCpuSeconds(pid_t pid) {
  std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
  if (!f) return 0;
  char buffer[1024] = {};
  const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
  std::fclose(f);
  // Fields after the command name in parentheses: state is the third, utime the 14th.
  const char* rest = std::strrchr(buffer, ')');
  if (!rest || n == 0) return 0;
  unsigned long utime = 0, stime = 0;
  if (std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime,
                  &stime) != 2)
    return 0;
  return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The panel drawings' state queries so far, where the panel manager counts them.
template <class Panels>
double StateQueries(const Panels& panels) {
  if constexpr (requires { panels.PanelStateQueries(); })
    return static_cast<double>(panels.PanelStateQueries());
  else
    return -1;
}

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

template <class F>
bool PumpUntil(F done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  const auto end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// Runs the event loop for a while, sleeping while nothing happens.
void RunFor(std::chrono::milliseconds span) {
  QEventLoop loop;
  QTimer::singleShot(span, &loop, &QEventLoop::quit);
  loop.exec();
}

// The replies sent, by machine and stitch number, and when their effects showed.
class Timings : public TQuietPanelHost, public TQuietTraceSink, public QObject {
 public:
  void Sent(int machine, std::int32_t stitch) {
    std::lock_guard lock(mutex_);
    sent_[{machine, stitch}] = Clock::now();
  }
  void SetTraceProgress(int devNo, std::uint8_t, std::int32_t position, std::int32_t, std::int32_t,
                        std::int32_t, std::int32_t) override {
    const auto now = Clock::now();
    std::lock_guard lock(mutex_);
    ++progressEvents;
    const auto it = sent_.find({devNo, position});
    if (it == sent_.end()) return;
    eventMs.push_back(Ms(now - it->second));
    if (devNo < kPanelSlots) unpainted_[devNo].push_back(it->second);
    sent_.erase(it);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      const int slot = watched->property("slot").toInt();
      const auto now = Clock::now();
      std::lock_guard lock(mutex_);
      for (const auto& at : unpainted_[slot]) paintMs.push_back(Ms(now - at));
      unpainted_[slot].clear();
    }
    return false;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    sent_.clear();
    for (auto& u : unpainted_) u.clear();
    eventMs.clear();
    paintMs.clear();
  }

  std::vector<double> eventMs;
  std::vector<double> paintMs;
  int progressEvents = 0;

 private:
  std::mutex mutex_;
  std::map<std::pair<int, std::int32_t>, Clock::time_point> sent_;
  std::array<std::vector<Clock::time_point>, kPanelSlots> unpainted_;
};

QApplication& App() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "machines_bench";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

// A server with sixteen machines online, fresh for each benchmark.
class Shop {
 public:
  Shop() {
    App();
    world_ = std::make_unique<ServerWorld>();
    serverPid_ = world_->Start({});
    world_->Attach();
    const std::string folder = (world_->root() / "home" / "SendData").string() + "/";
    SetSerialFolder(folder);
    panels_.SetSendFolder(folder);
    panels_.SetHost(&timings_);
    panels_.SetTraceSink(&timings_);
    page_ = std::make_unique<QWidget>();
    page_->resize(400, 600);
    for (int k = 0; k < kPanelSlots; ++k) {
      auto* image = new QLabel(page_.get());
      image->setGeometry(0, k * 92, 190, 85);
      auto* label = new QLabel(page_.get());
      auto* send = new QPushButton(page_.get());
      auto* sew = new QLabel(page_.get());
      auto* bar = new QProgressBar(page_.get());
      bar->setGeometry(200, k * 92 + 60, 113, 16);
      bar->setProperty("slot", k);
      bar->installEventFilter(&timings_);
      panels_.SetPanelSlot(k, image, label, send, sew, bar);
    }
    page_->show();
    panels_.ConnectService();
    for (int i = 0; i < kMachines; ++i) {
      sim::TSimConfig config;
      config.sewStep = 30;
      machines_.push_back(std::make_unique<SimHost>(config));
      panels_.AddMachine(i, machines_.back()->ConnInfo(), "sim" + std::to_string(i));
    }
    panels_.ArrangePanels();
    panels_.ShowMachinesFrom(0);
    ok_ = PumpUntil([&] {
      for (int i = 0; i < kMachines; ++i)
        if (!panels_.IsOnline(i)) return false;
      return true;
    });
  }

  bool Ok() const { return ok_; }
  pid_t ServerPid() const { return serverPid_; }
  TPanelManager& Panels() { return panels_; }
  SimHost& Machine(int i) { return *machines_[static_cast<std::size_t>(i)]; }
  Timings& Times() { return timings_; }

  void QueueEverywhere(int seed) {
    for (int i = 0; i < kMachines; ++i)
      panels_.QueueDesign(i, -1, designmaker::MakeDesign(seed + i, kDesignStitches, 600, "job", i));
  }

 private:
  std::unique_ptr<ServerWorld> world_;
  Timings timings_;
  std::unique_ptr<QWidget> page_;
  TPanelManager panels_;
  std::vector<std::unique_ptr<SimHost>> machines_;
  pid_t serverPid_ = -1;
  bool ok_ = false;
};

bool EveryQueueEmpty(TPanelManager& panels) {
  for (int i = 0; i < kMachines; ++i)
    if (panels.QueuedDesignCount(i) != 0) return false;
  return true;
}

void SendAllToFirstBlock(benchmark::State& state) {
  Shop shop;
  if (!shop.Ok()) return state.SkipWithError("machines did not come online");
  std::vector<double> firsts;
  int round = 0;
  for (auto _ : state) {
    shop.QueueEverywhere(++round * 100);
    std::vector<std::size_t> before(kMachines);
    for (int i = 0; i < kMachines; ++i)
      shop.Machine(i).Do([&](sim::TSimMachine& m) { before[i] = m.Commands().size(); });
    std::atomic<bool> stop = false;
    Clock::time_point first{};
    const auto start = Clock::now();
    std::thread watch([&] {
      while (!stop) {
        for (int i = 0; i < kMachines && first == Clock::time_point{}; ++i)
          shop.Machine(i).Do([&](sim::TSimMachine& m) {
            if (m.Commands().size() > before[i]) first = Clock::now();
          });
        if (first != Clock::time_point{}) return;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
      }
    });
    shop.Panels().SendAll();
    PumpUntil([&] { return first != Clock::time_point{}; }, std::chrono::seconds(10));
    stop = true;
    watch.join();
    if (first != Clock::time_point{}) firsts.push_back(Ms(first - start));
    // Every machine pulls its design to the end before the next round.
    for (int i = 0; i < kMachines; ++i)
      shop.Machine(i).Do([](sim::TSimMachine& m) { m.OfferTransfer(); });
    PumpUntil([&] { return EveryQueueEmpty(shop.Panels()); }, std::chrono::seconds(30));
  }
  state.counters["first_block_ms"] = Percentile(firsts, 0.5);
  state.counters["first_block_max_ms"] = Percentile(firsts, 1.0);
}
BENCHMARK(SendAllToFirstBlock)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void ProgressToRepaint(benchmark::State& state) {
  const auto repliesPerSecond = static_cast<int>(state.range(0));
  Shop shop;
  if (!shop.Ok()) return state.SkipWithError("machines did not come online");
  // Every machine holds a design the server knows, so progress has a total.
  if (!EveryQueueEmpty(shop.Panels())) return state.SkipWithError("queues not empty");
  shop.QueueEverywhere(7);
  for (int i = 0; i < kMachines; ++i)
    shop.Machine(i).Do([](sim::TSimMachine& m) { m.OfferTransfer(); });
  if (!PumpUntil([&] { return EveryQueueEmpty(shop.Panels()); }))
    return state.SkipWithError("designs were not sent");
  RunFor(std::chrono::milliseconds(300));  // file names acknowledged
  for (auto _ : state) {
    shop.Times().Clear();
    for (int i = 0; i < kMachines; ++i)
      shop.Machine(i).Do([](sim::TSimMachine& m) { m.StartSewing(); });
    std::atomic<bool> stop = false;
    std::thread driver([&] {
      auto next = Clock::now();
      while (!stop) {
        for (int i = 0; i < kMachines; ++i)
          shop.Machine(i).Do([&](sim::TSimMachine& m) {
            shop.Times().Sent(i, static_cast<std::int32_t>(m.SewnStitches()));
            m.Tick();
          });
        next += std::chrono::milliseconds(1000 / repliesPerSecond);
        std::this_thread::sleep_until(next);
      }
    });
    const double cpu0 = ThreadCpuSeconds();
    const double server0 = ProcessCpuSeconds(shop.ServerPid());
    const double queries0 = StateQueries(shop.Panels());
    const int events0 = shop.Times().progressEvents;
    const auto t0 = Clock::now();
    RunFor(std::chrono::seconds(5));
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = ThreadCpuSeconds() - cpu0;
    const double serverCpu = ProcessCpuSeconds(shop.ServerPid()) - server0;
    const double queries = StateQueries(shop.Panels()) - queries0;
    stop = true;
    driver.join();
    state.counters["event_median_ms"] = Percentile(shop.Times().eventMs, 0.5);
    state.counters["event_p99_ms"] = Percentile(shop.Times().eventMs, 0.99);
    state.counters["events"] = static_cast<double>(shop.Times().eventMs.size());
    state.counters["paint_median_ms"] = Percentile(shop.Times().paintMs, 0.5);
    state.counters["paint_p99_ms"] = Percentile(shop.Times().paintMs, 0.99);
    state.counters["painted"] = static_cast<double>(shop.Times().paintMs.size());
    state.counters["main_cpu_pct"] = 100.0 * cpu / wall;
    state.counters["server_cpu_pct"] = 100.0 * serverCpu / wall;
    const int events = shop.Times().progressEvents - events0;
    state.counters["state_queries_per_event"] =
        queries0 < 0 || events == 0 ? -1 : queries / static_cast<double>(events);
    state.counters["progress_events"] = shop.Times().progressEvents;
  }
}
BENCHMARK(ProgressToRepaint)
    ->Arg(50)
    ->Arg(10)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
