// How long the window stops answering while a folder with two huge designs is browsed: two
// ".dst" files whose stitches lie near +2^31 and -2^31 (about 52 MB each, one jump record per
// 121 units) among six ordinary designs, on the first page, in the main window on Qt's
// offscreen platform against a fake machine server.
//
// Each iteration chooses the folder from inside the event loop, nothing cached, and runs the
// loop until every picture of the page is shown. longest_stall_ms: the longest time the loop
// did not come round (a 1 ms timer's largest gap), the figure an operator feels;
// page_done_ms: from choosing the folder to the last picture shown. Arg 0 draws the whole page
// on the window's thread however long it takes (as before the budget); arg 1 draws within the
// window's page budget and leaves the rest to the worker threads.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/designmaker.h"
#include "hoopdesk/mainwindow/pelloraworld.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFar = 2'100'000'000;

// A small star, far out along x: a jump there, the star, the end.
void WriteFarDesign(const fs::path& path, int direction) {
  std::vector<std::uint8_t> bytes(512, ' ');
  bytes.reserve(512 + 3 * (kFar / 121 + 200));
  for (int x = 0; x < kFar; x += 121) designmaker::DstRecord(bytes, 121 * direction, 0, 0x80);
  for (int s = 0; s < 100; ++s)
    designmaker::DstRecord(bytes, s % 2 == 0 ? 100 : -100, s % 4 < 2 ? 60 : -60, 0x00);
  bytes.insert(bytes.end(), {0x00, 0x00, 0xF3});
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class Bench {
 public:
  Bench() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "thumbnailstall_bench";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    world_ = std::make_unique<PelloraWorld>();
    folder_ = world_->Home() / "Huge designs";
    fs::create_directories(folder_);
    WriteFarDesign(folder_ / "east.dst", 1);
    WriteFarDesign(folder_ / "west.dst", -1);
    for (int i = 0; i < 6; ++i)
      designmaker::WriteNative(folder_ / ("design" + std::to_string(i) + ".10o"),
                               designmaker::MakeDesign(i, 10000, 700, "d", i));
    window_ = world_->StartWindow();
    window_->resize(1180, 900);
    QCoreApplication::processEvents();
  }

  TDesignBrowser& Browser() { return window_->Browser(); }
  QString Folder() const { return QString::fromStdString(folder_.string()); }
  QString Work() const { return QString::fromStdString(world_->Work().string()); }

 private:
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<PelloraWorld> world_;
  std::unique_ptr<TFPellora> window_;
  fs::path folder_;
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

void BrowseHugeDesigns(benchmark::State& state) {
  Bench& b = TheBench();
  b.Browser().SetPageBudget(state.range(0) == 0 ? TDesignBrowser::kNoBudgetLimit
                                                : TDesignBrowser::kPageBudget);
  double longest = 0;
  double done = 0;
  for (auto _ : state) {
    b.Browser().ShowFolder(b.Work());
    b.Browser().Thumbnails().Clear();
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 stall = 0;
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
      const qint64 now = clock.nsecsElapsed();
      stall = std::max(stall, now - lastTick);
      lastTick = now;
    });
    bool chosen = false;
    clock.start();
    probe.start();
    QTimer::singleShot(0, [&] {
      b.Browser().ShowFolder(b.Folder());
      chosen = true;
    });
    while (!chosen || b.Browser().SlotsDrawing() > 0)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const qint64 end = clock.nsecsElapsed();
    QCoreApplication::processEvents();  // the probe's first tick after the page
    stall = std::max(stall, clock.nsecsElapsed() - lastTick);
    probe.stop();
    longest = std::max(longest, static_cast<double>(stall) / 1e6);
    done = std::max(done, static_cast<double>(end) / 1e6);
  }
  state.counters["longest_stall_ms"] = longest;
  state.counters["page_done_ms"] = done;
}
BENCHMARK(BrowseHugeDesigns)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
