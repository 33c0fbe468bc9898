// The design browser on a folder of 1,000 designs of 10,000 stitches each, in the main window
// on Qt's offscreen platform against a fake machine server.
//
// ChooseFolder: from choosing the folder in the tree to the first page of eight thumbnails
// painted, nothing cached. TurnPage: one page (four rows) further, the thumbnails drawn and
// painted; pages wrap round the folder, so every page is drawn anew. ListFolder: the file list
// of a folder of 10,000 files (design files of the four kinds and others). Memory: the resident
// size of the process after browsing every page of the folder (counter rss_mb; the iteration
// time means nothing there).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/browser/designfiles.h"
#include "hoopdesk/controls/paintpanel.h"
#include "hoopdesk/designmaker.h"
#include "hoopdesk/mainwindow/pelloraworld.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDesigns = 1000;
constexpr int kStitches = 10000;
constexpr int kListed = 10000;

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

class Bench {
 public:
  Bench() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "browser_bench";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    world_ = std::make_unique<PelloraWorld>();
    designs_ = world_->Home() / "Big folder";
    fs::create_directories(designs_);
    for (int i = 0; i < kDesigns; ++i) {
      char file[32];
      std::snprintf(file, sizeof file, "design%04d.10o", i);
      designmaker::WriteNative(designs_ / file,
                               designmaker::MakeDesign(i, kStitches, 600 + i % 7 * 100, file, i));
    }
    listed_ = world_->Home() / "Many files";
    fs::create_directories(listed_);
    const char* kinds[] = {".10o", ".DST", ".dsb", ".dsz", ".00o", ".txt"};
    for (int i = 0; i < kListed; ++i) {
      char file[32];
      std::snprintf(file, sizeof file, "f%05d%s", i, kinds[i % 6]);
      std::ofstream(listed_ / file) << 'x';
    }
    baselineKiB_ = ResidentKiB();
    window_ = world_->StartWindow();
    window_->resize(1180, 900);
    QCoreApplication::processEvents();
  }

  TFPellora& Window() { return *window_; }
  TDesignBrowser& Browser() { return window_->Browser(); }
  QString Designs() const { return QString::fromStdString(designs_.string()); }
  QString Listed() const { return QString::fromStdString(listed_.string()); }
  QString Work() const { return QString::fromStdString(world_->Work().string()); }
  long BaselineKiB() const { return baselineKiB_; }
  // Paints the thumbnail page now, as the window system would after a change.
  void PaintPage() { Window().Ui().PanelContainer->repaint(); }

 private:
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<PelloraWorld> world_;
  std::unique_ptr<TFPellora> window_;
  fs::path designs_;
  fs::path listed_;
  long baselineKiB_ = 0;
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

void ChooseFolder(benchmark::State& state) {
  Bench& b = TheBench();
  for (auto _ : state) {
    state.PauseTiming();
    b.Browser().ShowFolder(b.Work());
    b.Browser().Thumbnails().Clear();
    state.ResumeTiming();
    b.Browser().ShowFolder(b.Designs());
    b.PaintPage();
  }
  state.counters["files"] = static_cast<double>(b.Browser().FileList().size());
}
BENCHMARK(ChooseFolder)->Unit(benchmark::kMillisecond)->Iterations(20);

void TurnPage(benchmark::State& state) {
  Bench& b = TheBench();
  b.Browser().ShowFolder(b.Designs());
  TImgContainer& pages = b.Browser().ImgContainer();
  const int lastTop = (kDesigns + 1) / 2 - pages.VisibleRows();
  int top = 0;
  for (auto _ : state) {
    top = top + pages.VisibleRows() > lastTop ? 0 : top + pages.VisibleRows();
    pages.SetTopRow(top);
    b.PaintPage();
  }
}
BENCHMARK(TurnPage)->Unit(benchmark::kMillisecond)->Iterations(200);

void ListFolder(benchmark::State& state) {
  Bench& b = TheBench();
  qsizetype count = 0;
  for (auto _ : state) count = ListDesignFiles(b.Listed()).size();
  state.counters["listed"] = static_cast<double>(count);
}
BENCHMARK(ListFolder)->Unit(benchmark::kMillisecond)->Iterations(20);

void MemoryWhileBrowsing(benchmark::State& state) {
  Bench& b = TheBench();
  b.Browser().ShowFolder(b.Designs());
  TImgContainer& pages = b.Browser().ImgContainer();
  for (auto _ : state) {
    for (int top = 0; top <= (kDesigns + 1) / 2; top += pages.VisibleRows()) {
      pages.SetTopRow(top);
      b.PaintPage();
    }
  }
  state.counters["rss_mb"] = static_cast<double>(ResidentKiB()) / 1024.0;
  state.counters["before_window_mb"] = static_cast<double>(b.BaselineKiB()) / 1024.0;
  state.counters["cached"] = b.Browser().Thumbnails().CachedCount();
}
BENCHMARK(MemoryWhileBrowsing)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
