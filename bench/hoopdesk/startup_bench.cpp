// Start-up and hand-over of the main window against a running PelService and two simulated
// machines on loopback, found by discovery.
//
// StartUp: from constructing the main window to the window shown, and to both machines added
// (counters shown_ms and machines_ms; the iteration time is the latter). HandOver: a second
// start of the real hoopdesk program, from its launch to the design opened in the running
// window. Run it as it is built: it makes a private world of its own and ends what it starts.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/startup/singleinstance.h"
#include "rpc/registration.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"
#include "sim/simline.h"
#include "sim/simslpagent.h"
#include "sim/slpagentwire.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

pid_t Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

// The world every benchmark shares: environment, a running PelService, two machines.
class World {
 public:
  World() {
    char tmpl[] = "/tmp/pellora-bench-XXXXXX";
    root_ = ::mkdtemp(tmpl);
    for (const char* sub : {"home", "run", "config"})
      std::filesystem::create_directory(root_ / sub);
    std::filesystem::permissions(root_ / "run", std::filesystem::perms::owner_all);
    ::setenv("PELLORA_HOME", (root_ / "home").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("HOME", root_.c_str(), 1);
    ::setenv("PELLORA_INSTANCE", ("bench" + std::to_string(::getpid())).c_str(), 1);
    if (std::getenv("DISPLAY") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    rpc::RegisterServer(PELSERVICE_PATH);
    server_ = Spawn({PELSERVICE_PATH});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    sim::TSimConfig config;
    config.wire = sim::Wire::kTcp;
    for (int k = 0; k < 2; ++k)
      machines_.push_back(
          std::make_unique<sim::TSimTcpMachine>(config, sim::TLineTiming{std::chrono::seconds(1)}));
    sim::TSlpAgentConfig agent;
    for (int k = 0; k < 2; ++k)
      agent.urls.push_back(sim::MachineUrl("127.0.0.1", machines_[k]->Port(),
                                           "SIM-" + std::to_string(k + 1), "02:00:00:00:00:01"));
    agent_ = std::make_unique<sim::TSimSlpAgent>(agent);
    ::setenv("PELLORA_SLP_ADDRESS", agent_->Address().c_str(), 1);

    design_ = root_ / "star.10o";
    TStitchItem d;
    d.Points.push_back({sfStart, 0, 0});
    for (int s = 0; s <= 720; ++s) {
      const double a = 6.2831853 * s / 72;
      d.Points.push_back({sfStitch, static_cast<int>((200 + s) * std::cos(a)),
                          static_cast<int>((200 + s) * std::sin(a))});
    }
    d.Points.push_back({sfEnd, 0, 0});
    d.SetColorCount();
    TStitchFormatMarlow::Save(design_.string(), d, nullptr);

    static int argc = 1;
    static char name[] = "startup_bench";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void Cleanup() {
    if (server_ > 0) {
      ::kill(server_, SIGTERM);
      ::waitpid(server_, nullptr, 0);
    }
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  TPelloraOptions Options() const {
    TPelloraOptions o;
    o.settingsPath = QString::fromStdString((root_ / "config" / "Orven" / "Pellora.ini").string());
    o.programFolder = root_ / "home";
    o.workFolder = root_ / "PEL_design";
    o.paramFile = TSingleInstance::DefaultPaths().paramFile;
    o.connector = ConnectPelService;
    return o;
  }
  const std::filesystem::path& Design() const { return design_; }

 private:
  std::filesystem::path root_;
  pid_t server_ = -1;
  std::vector<std::unique_ptr<sim::TSimTcpMachine>> machines_;
  std::unique_ptr<sim::TSimSlpAgent> agent_;
  std::filesystem::path design_;
  std::unique_ptr<QApplication> app_;
};

// Made once and never destroyed: the application object must not outlive the benchmark
// library's own statics. Only the server and the folder are cleaned up at exit.
World& TheWorld() {
  static World* world = [] {
    auto* w = new World;
    std::atexit([] { TheWorld().Cleanup(); });
    return w;
  }();
  return *world;
}

template <class Done>
bool Pump(Done done, std::chrono::seconds limit = std::chrono::seconds(20)) {
  const auto end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > end) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

void StartUp(benchmark::State& state) {
  World& world = TheWorld();
  double shown = 0, machines = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    TFPellora window(world.Options());
    window.show();
    Pump([&] { return window.isVisible(); });
    const auto t1 = Clock::now();
    if (!Pump([&] { return window.Panels().GetMachineCount() == 2; }))
      state.SkipWithError("the machines were not added");
    const auto t2 = Clock::now();
    shown += Ms(t1 - t0);
    machines += Ms(t2 - t0);
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  state.counters["shown_ms"] = benchmark::Counter(shown, benchmark::Counter::kAvgIterations);
  state.counters["machines_ms"] = benchmark::Counter(machines, benchmark::Counter::kAvgIterations);
}
BENCHMARK(StartUp)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void HandOver(benchmark::State& state) {
  World& world = TheWorld();
  TSingleInstance instance(TSingleInstance::DefaultPaths());
  if (instance.Start({}).role != TSingleInstance::TRole::Running) {
    state.SkipWithError("could not be the running program");
    return;
  }
  TFPellora window(world.Options());
  QObject::connect(&instance, &TSingleInstance::activateRequested, &window,
                   &TFPellora::PostActivate);
  QObject::connect(&instance, &TSingleInstance::paramFileRequested, &window,
                   &TFPellora::PostParamFile);
  window.show();
  Pump([&] { return window.Panels().GetMachineCount() == 2; });
  for (auto _ : state) {
    window.ClearLayout(true);
    const auto t0 = Clock::now();
    const pid_t second = Spawn({HOOPDESK_PATH, world.Design().string() + "/1"});
    if (!Pump([&] { return window.Layout().DesignCount() == 1; }))
      state.SkipWithError("the design was not opened");
    const auto t1 = Clock::now();
    ::waitpid(second, nullptr, 0);
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
}
BENCHMARK(HandOver)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
