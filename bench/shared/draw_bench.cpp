// Drawing a design of 100,000 stitches: as a 64 x 64 thumbnail, at zoom 100 into a bitmap
// that holds the whole design, and one trace step of 100 records over a drawn trace; and
// shaded lines whose ends lie billions of pixels outside a small bitmap.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "platform/bitmap.h"
#include "shared/emline.h"
#include "shared/stitch.h"
#include "shared/traceinfo.h"

namespace {

constexpr int kStitches = 100000;

// Satin-like columns of 3 to 4 mm stitches over 150 x 150 mm, a colour change every
// 10,000 stitches with a cut before it, and a mode jump now and then.
TStitchItem MakeDesign() {
  TStitchItem d;
  std::uint32_t state = 12345;
  const auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  d.Points.push_back({sfStart, 0, 0});
  int blocks = 1;
  for (int i = 0; i < kStitches; ++i) {
    if (i > 0 && i % 10000 == 0) {
      d.Points.push_back({sfCut, d.Points.back().X, d.Points.back().Y});
      d.Points.push_back({sfColorChange, d.Points.back().X, d.Points.back().Y});
      ++blocks;
    }
    const int column = (i / 400) % 40;
    const int row = i % 400;
    const std::int32_t x = -750 + column * 37 + ((row & 1) ? 30 + static_cast<int>(next() % 8) : 0);
    const std::int32_t y = -750 + (i / 16000) * 200 + row / 2 + static_cast<int>(next() % 3);
    d.Points.push_back({static_cast<std::uint8_t>(i % 997 == 0 ? sfModeJump : sfStitch), x, y});
  }
  d.Points.push_back({sfEnd, 0, 0});
  for (int b = 0; b < blocks; ++b)
    d.Colors.push_back(
        {0, 0, RGB(static_cast<std::uint8_t>(40 * b), 120, static_cast<std::uint8_t>(250 - 20 * b)),
         ""});
  d.RawRect = {-750, -750, 750, 750};
  d.ViewRect = {-750 * 96 / 254, -750 * 96 / 254, 750 * 96 / 254, 750 * 96 / 254};
  return d;
}

void BM_DrawThumbnail(benchmark::State& state) {
  TStitchItem d = MakeDesign();
  platform::Bitmap bmp(64, 64);
  for (auto _ : state) benchmark::DoNotOptimize(d.Draw(bmp, true, 0, -1, nullptr));
}
BENCHMARK(BM_DrawThumbnail)->Unit(benchmark::kMillisecond);

void BM_DrawZoom100(benchmark::State& state) {
  TStitchItem d = MakeDesign();
  platform::Bitmap bmp(600, 600);  // the view is 566 pixels square
  int zoom = 0;
  for (auto _ : state) benchmark::DoNotOptimize(zoom = d.Draw(bmp, true, 0, -1, nullptr));
  if (zoom != 100) state.SkipWithError("not drawn at zoom 100");
}
BENCHMARK(BM_DrawZoom100)->Unit(benchmark::kMillisecond);

void BM_TraceStep100(benchmark::State& state) {
  TStitchItem d = MakeDesign();
  platform::Bitmap bmp(300, 300);
  TTraceInfo info;
  info.ShowDesign = 1;
  info.Mode = 0;
  d.TracePaint(info, bmp, RGB(255, 255, 255), nullptr);
  info.Mode = 1;
  const int records = static_cast<int>(d.Points.size());
  int at = 0;
  for (auto _ : state) {
    info.FirstPos = at;
    info.CurStitch = at + 100;
    d.TracePaint(info, bmp, RGB(255, 255, 255), nullptr);
    at = (at + 100) % (records - 100);
  }
}
BENCHMARK(BM_TraceStep100)->Unit(benchmark::kMicrosecond);

// Only the part of each line inside the bitmap may be walked.
void BM_HugeLinesClipped(benchmark::State& state) {
  platform::Bitmap bmp(16, 16);
  EmLine line(bmp, 2, 1);
  for (auto _ : state) {
    line.Line(-8000000000LL, 3, 8000000000LL, 3, {0, 0, 255});
    line.Line(-8000000000LL, -8000000000LL, 8000000000LL, 8000000000LL, {0, 255, 0});
    line.Line(9000000000LL, 9000000000LL, 9000000001LL, -9000000000LL, {255, 0, 0});
  }
}
BENCHMARK(BM_HugeLinesClipped)->Unit(benchmark::kMicrosecond);

}  // namespace
