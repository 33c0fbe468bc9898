// Native design files and the stream form with a design of 1,000,000 stitch records.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "platform/memstream.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"

namespace {

// Heap in use and its high-water mark, counted by the allocation functions below, so the
// peak memory of one read can be measured without the noise of the resident set.
struct HeapCounter {
  std::atomic<std::size_t> current{0};
  std::atomic<std::size_t> peak{0};
};
HeapCounter gHeap;

void* CountedAlloc(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const std::size_t now = gHeap.current += ::malloc_usable_size(p);
  std::size_t seen = gHeap.peak.load();
  while (now > seen && !gHeap.peak.compare_exchange_weak(seen, now)) {
  }
  return p;
}

void CountedFree(void* p) {
  if (p == nullptr) return;
  gHeap.current -= ::malloc_usable_size(p);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }

namespace {

constexpr int kRecords = 1'000'000;

TStitchItem MakeDesign() {
  TStitchItem d;
  d.Points.reserve(kRecords);
  d.Points.push_back({sfStart, 0, 0});
  std::int32_t x = 0;
  std::int32_t y = 0;
  for (int i = 1; i < kRecords - 1; ++i) {
    x += (i * 7) % 61 - 30;
    y += (i * 13) % 41 - 20;
    const std::uint8_t f = i % 10000 == 0 ? sfColorChange : (i % 500 == 0 ? sfJump : sfStitch);
    d.Points.push_back({f, x, y});
  }
  d.Points.push_back({sfEnd, x, y});
  d.SetColorCount();
  d.FileName = "/tmp/bench.10o";
  d.Title = "bench";
  return d;
}

const TStitchItem& Design() {
  static const TStitchItem d = MakeDesign();
  return d;
}

// The design as a ".10o" file in the temporary folder, removed when the program ends.
class DesignFile {
 public:
  DesignFile()
      : path_(std::filesystem::temp_directory_path() /
              ("pellora-bench-" + std::to_string(::getpid()) + ".10o")) {
    const auto bytes = TStitchFormatMarlow::BuildDesignFile(Design());
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  DesignFile(const DesignFile&) = delete;
  DesignFile& operator=(const DesignFile&) = delete;
  ~DesignFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

std::string FilePath() {
  static const DesignFile file;
  return file.Path();
}

void BM_NativeReadFile(benchmark::State& state) {
  const std::string path = FilePath();
  for (auto _ : state) {
    TStitchItem d;
    TStitchFormatMarlow reader;
    benchmark::DoNotOptimize(reader.GeneratePolylines(path, d, true));
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_NativeReadFile)->Unit(benchmark::kMillisecond);

void BM_NativeReadPeakMemory(benchmark::State& state) {
  const std::string path = FilePath();
  std::size_t peak = 0;
  std::size_t records = 0;
  for (auto _ : state) {
    const std::size_t before = gHeap.current.load();
    gHeap.peak = before;
    TStitchItem d;
    TStitchFormatMarlow reader;
    reader.GeneratePolylines(path, d, true);
    peak = gHeap.peak.load() - before;
    records = d.Points.size() * sizeof(TEmbPoint);
  }
  state.counters["peak_heap_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["records_MB"] = static_cast<double>(records) / 1e6;
}
BENCHMARK(BM_NativeReadPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NativeEncode(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(TStitchFormatMarlow::BuildDesignFile(Design()));
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_NativeEncode)->Unit(benchmark::kMillisecond);

void BM_NativeWriteFile(benchmark::State& state) {
  TStitchItem d = Design();
  const std::string path = FilePath() + ".out.10o";
  for (auto _ : state) {
    benchmark::DoNotOptimize(TStitchFormatMarlow::Save(path, d, nullptr));
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  std::filesystem::remove(path);
  std::filesystem::remove(FilePath() + ".out.00o");
}
BENCHMARK(BM_NativeWriteFile)->Unit(benchmark::kMillisecond);

// The server loads each stream into the send design its connection keeps, so the record
// vector's memory is reused from one design to the next.
void BM_StreamSaveLoad(benchmark::State& state) {
  std::size_t bytes = 0;
  TStitchItem d;
  for (auto _ : state) {
    auto s = Design().Save();
    bytes = s->size();
    d.Load(s.get());
    benchmark::DoNotOptimize(d.Points.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_StreamSaveLoad)->Unit(benchmark::kMillisecond);

// The same into a new design each time: every page of its records is fresh memory.
void BM_StreamSaveLoadFreshDesign(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto s = Design().Save();
    bytes = s->size();
    TStitchItem d;
    d.Load(s.get());
    benchmark::DoNotOptimize(d.Points.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_StreamSaveLoadFreshDesign)->Unit(benchmark::kMillisecond);

void BM_StreamSave(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto s = Design().Save();
    bytes = s->size();
    benchmark::DoNotOptimize(s->Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_StreamSave)->Unit(benchmark::kMillisecond);

void BM_StreamLoad(benchmark::State& state) {
  auto s = Design().Save();
  for (auto _ : state) {
    TStitchItem d;
    d.Load(s.get());
    benchmark::DoNotOptimize(d.Points.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s->size()));
}
BENCHMARK(BM_StreamLoad)->Unit(benchmark::kMillisecond);

}  // namespace
