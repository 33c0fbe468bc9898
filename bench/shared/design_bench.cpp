// Native design files and the stream form with a design of 1,000,000 stitch records.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/memstream.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"

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

std::string FilePath() {
  static const std::string path = [] {
    const auto p = std::filesystem::temp_directory_path() /
                   ("pellora-bench-" + std::to_string(::getpid()) + ".10o");
    const auto bytes = TStitchFormatMarlow::BuildDesignFile(Design());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }();
  return path;
}

// Resident-set high-water mark in bytes; resettable through clear_refs.
long PeakResident(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string key;
  long kb = 0;
  while (in >> key) {
    if (key == field) {
      in >> kb;
      return kb * 1024;
    }
    in.ignore(1 << 10, '\n');
  }
  return -1;
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
  long before = 0;
  long peak = 0;
  for (auto _ : state) {
    std::ofstream("/proc/self/clear_refs") << "5";
    before = PeakResident("VmRSS:");
    TStitchItem d;
    TStitchFormatMarlow reader;
    reader.GeneratePolylines(path, d, true);
    peak = PeakResident("VmHWM:");
    state.counters["records_MB"] =
        static_cast<double>(d.Points.capacity() * sizeof(TEmbPoint)) / 1e6;
  }
  state.counters["peak_growth_MB"] = static_cast<double>(peak - before) / 1e6;
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

void BM_StreamSaveLoad(benchmark::State& state) {
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
BENCHMARK(BM_StreamSaveLoad)->Unit(benchmark::kMillisecond);

}  // namespace
