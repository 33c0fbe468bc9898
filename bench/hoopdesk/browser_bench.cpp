// The design browser on a folder of 1,000 designs of 10,000 stitches each, in the main window
// on Qt's offscreen platform against a fake machine server.
//
// ChooseFolder: from choosing the folder in the tree to the first page of eight thumbnails
// painted, nothing cached. DrawEightAlone: the same eight designs loaded, drawn and put on the
// page, which is then painted, without choosing their folder: ChooseFolder's time over this one
// is what the folder itself costs (listing, sorting, the tree). TurnPage: one page (four rows)
// further, the thumbnails drawn and painted; pages wrap round the folder, so every page is drawn
// anew. ListFolder: the file list of a folder of 10,000 files (design files of the four kinds and
// others). Memory: the resident size of the process after browsing every page of the folder
// (counter rss_mb; the iteration time means nothing there). FolderTreeModel: the folder tree's
// model made and shown on a folder, until the folder's parent is loaded (process CPU time counts
// its loading thread too).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCollator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/browser/designfiles.h"
#include "hoopdesk/browser/foldertree.h"
#include "hoopdesk/browser/thumbnailprovider.h"
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

void DrawEightAlone(benchmark::State& state) {
  Bench& b = TheBench();
  b.Browser().ShowFolder(b.Designs());
  const QStringList first = b.Browser().FileList().mid(0, TThumbnailPage::kSlots);
  for (auto _ : state) {
    state.PauseTiming();
    b.Browser().Thumbnails().Clear();
    state.ResumeTiming();
    TThumbnailProvider& thumbnails = b.Browser().Thumbnails();
    std::vector<TThumbnailKey> keys;
    for (const QString& name : first) {
      if (auto key = thumbnails.KeyFor(b.Designs() + '/' + name, TThumbnailPage::kImageSize)) {
        thumbnails.Request(*key);
        keys.push_back(*key);
      }
    }
    thumbnails.WaitFor(keys, std::nullopt);
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (const auto t = thumbnails.Cached(keys[i]))
        b.Window().Ui().Img[i]->setPixmap(QPixmap::fromImage(t->image));
    }
    b.PaintPage();
  }
}
BENCHMARK(DrawEightAlone)->Unit(benchmark::kMillisecond)->Iterations(20);

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

// The sort of one group of 1,000 names as the list sorts it, by a collator comparison per pair
// (range 0), against a collation key made once per name and keys compared (range 1), in the
// program's locale. Both give the same order.
void SortNames(benchmark::State& state) {
  QStringList names;
  for (int i = 0; i < kDesigns; ++i)
    names.append(QString("Design %1.10o").arg((i * 7919) % kDesigns, 4, 10, QChar('0')));
  QCollator order;
  order.setCaseSensitivity(Qt::CaseInsensitive);
  for (auto _ : state) {
    QStringList sorted = names;
    if (state.range(0) == 0) {
      std::sort(sorted.begin(), sorted.end(),
                [&order](const QString& a, const QString& b) { return order.compare(a, b) < 0; });
    } else {
      std::vector<std::pair<QCollatorSortKey, QString>> keyed;
      keyed.reserve(static_cast<std::size_t>(sorted.size()));
      for (QString& name : sorted) keyed.emplace_back(order.sortKey(name), std::move(name));
      std::sort(keyed.begin(), keyed.end(),
                [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
      for (qsizetype i = 0; i < sorted.size(); ++i)
        sorted[i] = std::move(keyed[static_cast<std::size_t>(i)].second);
    }
    benchmark::DoNotOptimize(sorted.constFirst());
  }
  state.SetLabel(QLocale().name().toStdString());
}
BENCHMARK(SortNames)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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

// The model made as the window made it before it skipped icons and whole-root work.
void MakeModelAsBefore(QTreeView& tree) {
  auto* model = new QFileSystemModel(&tree);
  model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model->setRootPath(QDir::rootPath());
  tree.setModel(model);
}

// Wall time, and the process's CPU time, which counts the model's loading thread.
void TreeTimes(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(20);
}

void ShowAndWait(benchmark::State& state, void (*make)(QTreeView&), const QString& folder) {
  for (auto _ : state) {
    QTreeView tree;
    make(tree);
    auto* model = static_cast<QFileSystemModel*>(tree.model());
    const QString parent = QFileInfo(folder).absolutePath();
    bool loaded = false;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, &tree,
                     [&](const QString& path) { loaded = loaded || path == parent; });
    const QModelIndex index = model->index(folder);
    tree.setCurrentIndex(index);
    tree.scrollTo(index);
    QElapsedTimer waited;
    waited.start();
    while (!loaded && waited.elapsed() < 2000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!loaded) state.SkipWithError("the folder's parent never loaded");
  }
}

void FolderTreeModelAsBefore(benchmark::State& state) {
  ShowAndWait(state, MakeModelAsBefore, TheBench().Designs());
}
BENCHMARK(FolderTreeModelAsBefore)->Apply(TreeTimes);

// What the window's start does now: the tree is hidden, so it only remembers the folder.
void FolderTreeAtStart(benchmark::State& state) {
  const QString folder = TheBench().Designs();
  for (auto _ : state) {
    QTreeView tree;
    tree.hide();
    TFolderTree folders(&tree);
    folders.Select(folder);
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(folders.SelectedPath());
  }
}
BENCHMARK(FolderTreeAtStart)->Apply(TreeTimes);

// What the first showing of the tree costs now, until the folder's parent is loaded.
void MakeTreeShown(QTreeView& tree) {
  new TFolderTree(&tree, &tree);
  tree.show();
}

void FolderTreeFirstShown(benchmark::State& state) {
  ShowAndWait(state, MakeTreeShown, TheBench().Designs());
}
BENCHMARK(FolderTreeFirstShown)->Apply(TreeTimes);

}  // namespace
