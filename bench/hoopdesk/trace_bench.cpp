// The trace window with six machines sewing, on Qt's offscreen platform against a fake machine
// server. Each frame traces a design of `stitches` stitches (the argument).
//
// TraceStep: one progress report handed to a frame (the step the event sink takes for an
// OnProgress) and the repaint it causes; counters median_us and p99_us over all steps.
// SixMachinesAt50Hz: six machines, each reporting its progress 50 times a second for three
// seconds of wall time, every frame tracing; counters cpu_percent (process CPU time over wall
// time, repaints included), median_us and p99_us of the steps.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "hoopdesk/designmaker.h"
#include "hoopdesk/fakeservice.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/quiethost.h"
#include "hoopdesk/trace/ftrace.h"

namespace {

constexpr int kMachines = 6;

class World {
 public:
  explicit World(int stitches) : panels_(FakeConnector(fake_)) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "trace_bench";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) app_ = std::make_unique<QApplication>(argc, argv);
    const std::filesystem::path home = dir_.path().toStdString();
    ::setenv("PELLORA_HOME", home.c_str(), 1);
    std::filesystem::create_directories(home / "SendData");
    panels_.SetSendFolder((home / "SendData").string() + "/");
    trace_ = std::make_unique<TFTrace>(panels_);
    trace_->resize(1200, 800);
    trace_->show();
    panels_.SetHost(&host_);
    panels_.SetTraceSink(trace_.get());
    panels_.ConnectService();
    for (int d = 0; d < kMachines; ++d) {
      TConnInfo info{};
      info.port = static_cast<std::uint16_t>(d);
      panels_.AddMachine(d, info, "");
      const std::string file = "000000" + std::to_string(d + 1) + ".10o";
      TStitchItem design = designmaker::MakeDesign(d, stitches, 800, file, d);
      design.ColorMatch(&panels_.GetMachine(d)->palette);
      TStitchFormatMarlow::Save((home / "SendData" / file).string(), design,
                                &panels_.GetMachine(d)->palette);
      totals_.push_back(trace_->LoadTraceDesign(d, file));
      trace_->ShowTraceFrame(d, true);
      trace_->SetTraceProgress(d, 0x12, 0, 0, 0, 0, 0);
    }
    positions_.assign(kMachines, 0);
    QCoreApplication::processEvents();
  }

  // Machine d reports its next stitch; the time the frame took, in microseconds.
  double Step(int d) {
    const auto start = std::chrono::steady_clock::now();
    int& p = positions_[static_cast<std::size_t>(d)];
    p = p + 1 < totals_[static_cast<std::size_t>(d)] ? p + 1 : 0;
    trace_->SetTraceProgress(d, 0x11, p, 0, 120, 1, totals_[static_cast<std::size_t>(d)]);
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
  }

 private:
  std::unique_ptr<QApplication> app_;
  QTemporaryDir dir_;
  TFakeService fake_;
  TPanelManager panels_;
  TQuietPanelHost host_;
  std::unique_ptr<TFTrace> trace_;
  std::vector<std::int32_t> totals_;
  std::vector<int> positions_;
};

void Report(benchmark::State& state, std::vector<double> steps) {
  if (steps.empty()) return;
  std::sort(steps.begin(), steps.end());
  state.counters["median_us"] = steps[steps.size() / 2];
  state.counters["p99_us"] = steps[std::min(steps.size() - 1, steps.size() * 99 / 100)];
  state.counters["steps"] = static_cast<double>(steps.size());
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void TraceStep(benchmark::State& state) {
  World world(static_cast<int>(state.range(0)));
  std::vector<double> steps;
  int d = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    world.Step(d);
    QCoreApplication::processEvents();  // the repaint the step asked for
    steps.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
    d = (d + 1) % kMachines;
  }
  Report(state, std::move(steps));
}
BENCHMARK(TraceStep)->Arg(10'000)->Arg(50'000)->Unit(benchmark::kMicrosecond);

void SixMachinesAt50Hz(benchmark::State& state) {
  World world(static_cast<int>(state.range(0)));
  std::vector<double> steps;
  double cpu = 0;
  double wall = 0;
  for (auto _ : state) {
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      for (int d = 0; d < kMachines; ++d) steps.push_back(world.Step(d));
    });
    QElapsedTimer clock;
    const double cpuBefore = CpuSeconds();
    clock.start();
    tick.start(20);
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    wall += static_cast<double>(clock.nsecsElapsed()) / 1e9;
    cpu += CpuSeconds() - cpuBefore;
  }
  state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
  Report(state, std::move(steps));
}
BENCHMARK(SixMachinesAt50Hz)
    ->Arg(10'000)
    ->Arg(50'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
