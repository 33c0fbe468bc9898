#include <gtest/gtest.h>

#include "shared/colorinfo.h"
#include "shared/stitch.h"

namespace {

TColorInfo MachinePalette() {
  TColorInfo p;
  for (int i = 0; i < 15; ++i) {
    p.Insert(-1, TSTITCH_COLOR{RGB(static_cast<std::uint8_t>(10 + i), 0, 0), 1, "", ""});
  }
  return p;
}

}  // namespace

TEST(StitchColors, GetColorThroughAPalette) {
  const TColorInfo palette = MachinePalette();
  TStitchItem d;
  d.Colors = {TEmbColor{1, 3, 0x777777, "a"}, TEmbColor{0, 20, 0x888888, "b"},
              TEmbColor{0, kNoPaletteIndex, 0x999999, "c"}};
  struct Case {
    int block;
    const TColorInfo* palette;
    bool ok;
    TEmbColor out;
  } cases[] = {
      {0, &palette, true, {1, 3, RGB(13, 0, 0), "a"}},
      {0, nullptr, true, {1, 3, 0x777777, "a"}},
      {1, &palette, true, {0, 0, RGB(10, 0, 0), "b"}},
      {2, &palette, true, {0, 0, RGB(10, 0, 0), "c"}},
      {2, nullptr, true, {0, kNoPaletteIndex, 0x999999, "c"}},
      {3, &palette, false, {}},
      {-1, nullptr, false, {}},
  };
  for (const auto& c : cases) {
    TEmbColor out{1, 1, 1, "stale"};
    EXPECT_EQ(d.GetColor(c.block, c.palette, out), c.ok) << c.block;
    EXPECT_EQ(out, c.out) << c.block;
    EXPECT_EQ(d.GetColor(c.block, c.palette), c.out.Color) << c.block;
  }
}

TEST(StitchColors, NeedleColorCursor) {
  TStitchItem d;
  d.Colors = {TEmbColor{0, 0, RGB(1, 2, 3), ""}, TEmbColor{1, 0, RGB(10, 20, 30), ""}};
  EXPECT_EQ(d.GetFirstNeedleColor(nullptr), (TNeedleColor{3, 2, 1}));
  EXPECT_EQ(d.NeedleIndex, 0);
  EXPECT_EQ(d.GetNextNeedleColor(nullptr), (TNeedleColor{225, 235, 245})) << "marked: inverted";
  EXPECT_EQ(d.GetNextNeedleColor(nullptr), (TNeedleColor{0, 0, 0})) << "black past the end";
  EXPECT_EQ(d.GetNextNeedleColor(nullptr), (TNeedleColor{0, 0, 0}));
  EXPECT_EQ(d.GetFirstNeedleColor(nullptr), (TNeedleColor{3, 2, 1})) << "restarts";
}
