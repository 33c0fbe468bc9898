#include "shared/colormatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "shared/colorinfo.h"
#include "shared/stitch.h"

namespace {

TEST(ColorToLab, ReferenceValues) {
  struct Case {
    COLORREF colour;
    double L, a, b;
  };
  const Case cases[] = {{RGB(0, 0, 0), -16.0, 0.0, 0.0},
                        {RGB(255, 255, 255), 99.9652, -1.8195, 0.1298},
                        {RGB(255, 0, 0), 53.2003, 73.0764, 68.1923},
                        {RGB(0, 0, 255), 35.1627, 71.0072, -103.2985}};
  for (const Case& c : cases) {
    const TLabColor lab = ColorToLab(c.colour);
    EXPECT_NEAR(lab.L, c.L, 1e-4) << c.colour;
    EXPECT_NEAR(lab.a, c.a, 1e-4) << c.colour;
    EXPECT_NEAR(lab.b, c.b, 1e-4) << c.colour;
  }
}

double Distance(COLORREF x, COLORREF y) {
  const TLabColor p = ColorToLab(x);
  const TLabColor q = ColorToLab(y);
  return std::sqrt((p.L - q.L) * (p.L - q.L) + (p.a - q.a) * (p.a - q.a) +
                   (p.b - q.b) * (p.b - q.b));
}

TColorInfo Palette(const std::vector<std::pair<COLORREF, int>>& entries) {
  TColorInfo p;
  for (const auto& [colour, flag] : entries)
    p.Insert(-1, {colour, static_cast<std::uint8_t>(flag), "", ""});
  return p;
}

int Match(COLORREF block, const TColorInfo* palette) {
  TStitchItem d;
  d.Colors = {{1, 0x77, block, "thread"}};
  d.ColorMatch(palette);
  EXPECT_EQ(d.Colors[0].Color, block);  // only the index changes
  EXPECT_EQ(d.Colors[0].Mark, 1);
  EXPECT_EQ(d.Colors[0].Name, "thread");
  return d.Colors[0].Index;
}

TEST(ColorMatch, ChoosesTheNearestSelectableEntry) {
  const COLORREF red = RGB(255, 0, 0);
  EXPECT_NEAR(Distance(red, RGB(255, 60, 0)), 11.73, 0.01);
  EXPECT_NEAR(Distance(red, RGB(200, 0, 0)), 18.18, 0.01);
  struct Case {
    const char* what;
    std::vector<std::pair<COLORREF, int>> palette;
    COLORREF block;
    int index;
  };
  const Case cases[] = {
      {"nearer wins", {{RGB(200, 0, 0), 1}, {RGB(255, 60, 0), 1}}, red, 1},
      {"exact match", {{RGB(0, 0, 255), 1}, {red, 1}, {RGB(250, 0, 0), 1}}, red, 1},
      {"lowest of equals", {{RGB(0, 9, 0), 1}, {red, 1}, {red, 1}}, red, 1},
      {"tie keeps the lower index", {{RGB(10, 10, 10), 1}, {RGB(10, 10, 10), 1}}, red, 0},
      {"clear flag never chosen", {{RGB(0, 0, 255), 1}, {red, 0}, {RGB(255, 60, 0), 1}}, red, 2},
      {"nothing selectable", {{red, 0}, {RGB(0, 0, 255), 0}}, red, 0},
      {"empty palette", {}, red, 0},
  };
  for (const Case& c : cases) {
    const TColorInfo palette = Palette(c.palette);
    EXPECT_EQ(Match(c.block, &palette), c.index) << c.what;
  }
  EXPECT_EQ(Match(red, nullptr), 0);
}

TEST(ColorMatch, ServesPalettesLongerThanAMachinePalette) {
  TColorInfo palette;
  palette.LoadColors("none", 60);  // the built-in colours
  for (int i = 0; i < 60; ++i) palette.SetFlag(i, i >= 40);
  palette.SetColor(57, RGB(1, 2, 3));
  EXPECT_EQ(Match(RGB(1, 2, 3), &palette), 57);
}

TEST(ColorMatch, EntriesBeyondWhatAnIndexByteNamesAreNotChosen) {
  TColorInfo palette;
  palette.LoadColors("none", 300);  // entries from 60 on are black
  for (int i = 0; i < 300; ++i) palette.SetFlag(i, true);
  palette.SetColor(3, RGB(250, 250, 250));
  palette.SetColor(280, RGB(255, 255, 255));
  EXPECT_EQ(Match(RGB(255, 255, 255), &palette), 48);  // the first built-in white
  for (int i = 40; i < 60; ++i) palette.SetFlag(i, false);
  EXPECT_EQ(Match(RGB(255, 255, 255), &palette), 3);
}

TEST(ColorMatch, SetsEveryBlock) {
  TColorInfo palette = Palette({{RGB(0, 0, 0), 1}, {RGB(255, 255, 255), 1}, {RGB(0, 0, 255), 1}});
  TStitchItem d;
  d.Colors = {{0, 0, RGB(250, 250, 250), ""}, {0, 0, RGB(0, 0, 200), ""}, {0, 0, RGB(5, 5, 5), ""}};
  d.ColorMatch(&palette);
  EXPECT_EQ(d.Colors[0].Index, 1);
  EXPECT_EQ(d.Colors[1].Index, 2);
  EXPECT_EQ(d.Colors[2].Index, 0);
}

}  // namespace
