// A hand-over as the operator meets it: from the start of a second program to the running
// program holding the file name it was given (the design's loading is not counted).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <string>
#include <vector>

#include "hoopdesk/startup/paramfile.h"
#include "hoopdesk/startup/singleinstance.h"
#include "serverprocess.h"

namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "handover_bench";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

void BM_HandOverToRunningProgram(benchmark::State& state) {
  App();
  ServerWorld world;
  const TSingleInstance::TPaths paths = TSingleInstance::DefaultPaths();
  TSingleInstance running(paths);
  if (running.Start({}).role != TSingleInstance::TRole::Running) {
    state.SkipWithError("cannot become the running program");
    return;
  }
  std::vector<std::string> opened;
  QObject::connect(&running, &TSingleInstance::paramFileRequested, &running, [&] {
    TParamFile::Read(paths.paramFile, [&](const std::string& arg) { opened.push_back(arg); });
  });

  for (auto _ : state) {
    opened.clear();
    QProcess second;
    second.start(QStringLiteral(HANDOVER_PROBE_PATH), {QStringLiteral("/designs/rose.10o/2")});
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (opened.empty() && std::chrono::steady_clock::now() < end)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    if (opened.empty()) {
      state.SkipWithError("the hand-over did not arrive");
      break;
    }
    state.PauseTiming();
    second.waitForFinished(10000);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_HandOverToRunningProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
