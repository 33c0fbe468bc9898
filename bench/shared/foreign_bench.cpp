#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "shared/frmtajima.h"

namespace {

constexpr std::size_t kRecords = 1'000'000;

// One axis of a ".dst" move in balanced ternary: digits for the weights 1, 3, 9, 27, 81.
std::array<int, 5> Ternary(int v) {
  std::array<int, 5> digits{};
  for (int& d : digits) {
    int r = ((v % 3) + 3) % 3;
    if (r == 2) r = -1;
    d = r;
    v = (v - r) / 3;
  }
  return digits;
}

// A ".dst" record for a move of (dx, dy) in file terms (y up) with the given control bits.
// Byte 0 holds the weights 1 (low bits) and 9 (high bits), byte 1 the weights 3 and 27, byte 2
// the weight 81.
std::array<std::uint8_t, 3> DstRecord(int dx, int dy, std::uint8_t control) {
  const auto x = Ternary(dx), y = Ternary(dy);
  std::array<std::uint8_t, 3> r{0, 0, control};
  for (std::size_t i = 0; i < 2; ++i) {
    std::uint8_t& b = r[i];
    const std::size_t low = i, high = i + 2;  // digits of the weights 1 or 3, and 9 or 27
    if (x[low] > 0) b |= 0x01;
    if (x[low] < 0) b |= 0x02;
    if (x[high] > 0) b |= 0x04;
    if (x[high] < 0) b |= 0x08;
    if (y[low] > 0) b |= 0x80;
    if (y[low] < 0) b |= 0x40;
    if (y[high] > 0) b |= 0x20;
    if (y[high] < 0) b |= 0x10;
  }
  if (x[4] > 0) r[2] |= 0x04;
  if (x[4] < 0) r[2] |= 0x08;
  if (y[4] > 0) r[2] |= 0x20;
  if (y[4] < 0) r[2] |= 0x10;
  return r;
}

// A design of stitches that wander within 4 mm steps, with a jump now and then and a colour
// change every few thousand records.
std::vector<std::uint8_t> DstBody() {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> step(-40, 40);
  std::vector<std::uint8_t> body;
  body.reserve(kRecords * 3);
  for (std::size_t i = 0; i < kRecords; ++i) {
    std::uint8_t control = 0x03;
    if (i % 4000 == 3999)
      control = 0xC3;
    else if (i % 97 == 0)
      control = 0x83;
    const auto r = i + 1 == kRecords ? std::array<std::uint8_t, 3>{0, 0, 0xF3}
                                     : DstRecord(step(random), step(random), control);
    body.insert(body.end(), r.begin(), r.end());
  }
  return body;
}

void BM_ParseDst(benchmark::State& state) {
  const std::vector<std::uint8_t> body = DstBody();
  for (auto _ : state) {
    TStitchItem design;
    TStitchFormatTajima{}.Parse(body, design, true);
    benchmark::DoNotOptimize(design.Points.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRecords));
}
BENCHMARK(BM_ParseDst)->Unit(benchmark::kMillisecond);

void BM_ReadDstFile(benchmark::State& state) {
  const std::vector<std::uint8_t> body = DstBody();
  const auto path = std::filesystem::temp_directory_path() / "pellora_bench_1m.dst";
  {
    std::ofstream out(path, std::ios::binary);
    const std::vector<char> header(TStitchFormatTajima::kHeaderSize, ' ');
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(body.data()),
              static_cast<std::streamsize>(body.size()));
  }
  for (auto _ : state) {
    TStitchItem design;
    TStitchFormatTajima{}.GeneratePolylines(path.string(), design, true);
    benchmark::DoNotOptimize(design.Points.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRecords));
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadDstFile)->Unit(benchmark::kMillisecond);

}  // namespace
