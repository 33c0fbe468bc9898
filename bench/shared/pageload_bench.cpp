// One page of the design browser: eight small designs (".dst" and ".10o" mixed) loaded with
// TStitchItem::Load, once from a folder of their own and once from a folder of 20,000 design
// files, in the same run, so the two times can be compared directly.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "shared/colorinfo.h"
#include "shared/foldernames.h"
#include "shared/frmforeign.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolderFiles = 20'000;
constexpr int kStitches = 1'500;

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A ".dst" file of random stitches with a colour change now and then: any bits of the first
// two bytes are a valid move, and the third carries the stitch (or colour change) control.
std::vector<std::uint8_t> DstFile(unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(TStitchFormatForeign::kHeaderSize, ' ');
  for (int i = 0; i < kStitches; ++i) {
    const auto b0 = static_cast<std::uint8_t>(random());
    const auto b1 = static_cast<std::uint8_t>(random());
    const std::uint8_t b2 = i % 400 == 399 ? 0xC3 : 0x03;
    bytes.insert(bytes.end(), {b0, b1, b2});
  }
  bytes.insert(bytes.end(), {0x00, 0x00, 0xF3});
  return bytes;
}

// A native design with a few colour blocks and a control file that names them.
TStitchItem NativeDesign(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> step(-40, 40);
  TStitchItem d;
  std::int32_t x = 0;
  std::int32_t y = 0;
  for (int i = 0; i < kStitches; ++i) {
    x += step(random);
    y += step(random);
    d.Points.push_back(
        {static_cast<std::uint8_t>(i % 500 == 499 ? sfColorChange : sfStitch), x, y});
  }
  d.SetColorCount();
  d.Title = "Design " + std::to_string(seed);
  for (int i = 0; i < d.GetColorCount(); ++i)
    d.SetColor(i, TEmbColor{0, 0, static_cast<COLORREF>(0x102030 * (i + 1)), "Thread"});
  return d;
}

// Names as people give them: words, numbers, spaces, dashes, underscores, capitals.
std::string DesignName(std::mt19937& random, int i) {
  static constexpr std::array<const char*, 12> kWords = {
      "Rose", "butterfly", "LOGO",  "Monogram",   "heart",  "Star",
      "leaf", "Dragon",    "tulip", "Club crest", "anchor", "Wedding"};
  static constexpr std::array<const char*, 4> kJoins = {" ", "_", "-", ""};
  std::string name = kWords[random() % kWords.size()];
  name += kJoins[random() % kJoins.size()];
  name += kWords[random() % kWords.size()];
  name += kJoins[random() % kJoins.size()];
  return name + std::to_string(i);
}

// The page's eight designs, written into a folder: four ".dst" files without a control file
// (each load looks for one) and four native pairs, one of them with an upper-case ".00O".
std::vector<std::string> WritePage(const fs::path& folder) {
  std::vector<std::string> paths;
  for (unsigned i = 0; i < 8; ++i) {
    const std::string base = (folder / ("Page design " + std::to_string(i))).string();
    if (i % 2 == 0) {
      WriteBytes(base + ".dst", DstFile(i));
      paths.push_back(base + ".dst");
    } else {
      const TStitchItem d = NativeDesign(i);
      WriteBytes(base + ".10o", TStitchFormatMarlow::BuildDesignFile(d));
      WriteBytes(base + (i == 7 ? ".00O" : ".00o"), TStitchFormatMarlow::BuildCtrlFile(d, nullptr));
      paths.push_back(base + ".10o");
    }
  }
  return paths;
}

// Fills the folder up to `files` entries: empty files with design extensions, native pairs
// among them, and a few other files.
void FillFolder(const fs::path& folder, int files) {
  std::mt19937 random(11);
  auto written = static_cast<int>(std::distance(fs::directory_iterator(folder), {}));
  for (int i = 0; written < files; ++i) {
    const std::string base = (folder / DesignName(random, i)).string();
    const unsigned kind = random() % 10;
    std::vector<std::string> names;
    if (kind < 4)
      names = {base + ".dst"};
    else if (kind < 5)
      names = {base + ".DST"};
    else if (kind < 8)
      names = {base + ".10o", base + ".00o"};
    else if (kind < 9)
      names = {base + (random() % 2 ? ".dsb" : ".dsz")};
    else
      names = {base + (random() % 2 ? ".jpg" : ".txt")};
    for (const std::string& name : names) std::ofstream{name};
    written += static_cast<int>(names.size());
  }
}

class Folders {
 public:
  enum Kind { kOwn, kBig, kChanging };

  Folders()
      : root_(fs::temp_directory_path() / ("pellora-pagebench-" + std::to_string(::getpid()))) {
    for (const char* name : {"own", "big", "changing"}) {
      fs::create_directories(root_ / name);
      pages_.push_back(WritePage(root_ / name));
    }
    FillFolder(root_ / "big", kFolderFiles);
    FillFolder(root_ / "changing", kFolderFiles);
    // A folder being browsed has sat still for a while; the listing of one that changed
    // within the last few seconds is not kept.
    std::this_thread::sleep_for(FolderNameCache::kDefaultSettle + std::chrono::seconds(1));
    palette_.LoadColors("bench", 60);
  }
  Folders(const Folders&) = delete;
  Folders& operator=(const Folders&) = delete;
  ~Folders() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  const std::vector<std::string>& Page(Kind kind) const { return pages_[kind]; }
  const TColorInfo& Palette() const { return palette_; }

 private:
  fs::path root_;
  std::vector<std::vector<std::string>> pages_;  // by Kind
  TColorInfo palette_;
};

const Folders& TheFolders() {
  static const Folders folders;
  return folders;
}

// Loads each design of the page as the browser does for its thumbnails.
void LoadPage(benchmark::State& state, const std::vector<std::string>& page) {
  for (const std::string& path : page) {
    TStitchItem d;
    if (!d.Load(path, TheFolders().Palette())) state.SkipWithError("a design did not load");
    benchmark::DoNotOptimize(d.Points.data());
  }
}

void BM_LoadPage(benchmark::State& state, Folders::Kind kind) {
  const std::vector<std::string>& page = TheFolders().Page(kind);
  for (auto _ : state) LoadPage(state, page);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
}
BENCHMARK_CAPTURE(BM_LoadPage, own_folder, Folders::kOwn)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPage, folder_of_20000, Folders::kBig)->Unit(benchmark::kMillisecond);

// The page in a folder of 20,000 files right after a file was added to it, as while designs
// are being copied in: the listing of a folder that changed moments ago is not kept.
void BM_LoadPageAfterChange(benchmark::State& state) {
  const std::vector<std::string>& page = TheFolders().Page(Folders::kChanging);
  const fs::path added = fs::path(page.front()).parent_path() / "added.dst";
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream{added};
    fs::remove(added);
    state.ResumeTiming();
    LoadPage(state, page);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
}
BENCHMARK(BM_LoadPageAfterChange)->Unit(benchmark::kMillisecond);

}  // namespace
