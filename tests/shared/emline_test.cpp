#include "shared/emline.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/bitmap.h"
#include "shared/shaderandom.h"

namespace {

using platform::Bitmap;
using Bgr = EmLine::Bgr;

std::array<std::int32_t, 3> Channels(const Bgr& c) { return {c.Blue, c.Green, c.Red}; }

std::array<std::int32_t, 3> PixelBgr(const Bitmap& bmp, int x, int y) {
  const COLORREF c = bmp.GetPixel(x, y);
  return {GetBValue(c), GetGValue(c), GetRValue(c)};
}

TEST(ShadeRandom, FollowsTheCLibrarySequenceAndScalesWithoutOverflow) {
  TShadeRandom r(1);
  EXPECT_EQ(r.Next(), 41u);
  EXPECT_EQ(r.Next(), 18467u);
  EXPECT_EQ(r.Next(), 6334u);
  TShadeRandom s(99);
  for (int i = 0; i < 100000; ++i) EXPECT_LE(s.Random(28), 28u);
}

// Reference shade tables for seed 12345 and the colour blue 40, green 90, red 200: a short
// line (its length raised to 8) followed by lines of length 30 and 100.
TEST(EmLine, ShadeTablesFollowTheSeededGenerator) {
  using Table = std::array<std::array<std::int32_t, 3>, 8>;
  struct Case {
    std::int64_t length;
    Table shades;
  };
  const Case cases[] = {
      {3,
       {{{31, 70, 156},
         {34, 77, 171},
         {36, 82, 182},
         {37, 84, 186},
         {37, 84, 186},
         {63, 104, 194},
         {89, 125, 202},
         {115, 145, 210}}}},
      {30,
       {{{47, 85, 171},
         {51, 93, 187},
         {54, 99, 199},
         {56, 102, 204},
         {56, 102, 204},
         {61, 106, 205},
         {67, 111, 207},
         {73, 115, 208}}}},
      {100,  // long lines get the least brightening
       {{{31, 70, 156},
         {34, 77, 171},
         {36, 82, 182},
         {37, 84, 186},
         {37, 84, 186},
         {43, 89, 188},
         {50, 94, 190},
         {56, 99, 192}}}},
  };
  Bitmap bmp(128, 8);
  EmLine line(bmp, 1, 12345);
  for (const Case& c : cases) {
    line.Line(0, 1, c.length, 1, {40, 90, 200});
    for (std::size_t i = 0; i < 8; ++i)
      EXPECT_EQ(Channels(line.Shades()[i]), c.shades[i]) << c.length << " shade " << i;
  }
}

TEST(EmLine, StraightLineRunsFromDarkEndsToABrightMiddle) {
  Bitmap bmp(20, 3);
  EmLine line(bmp, 1, 7);
  line.Line(1, 1, 18, 1, {10, 120, 250});  // 18 points: shade index = step, folded at 8
  const auto& sh = line.Shades();
  const int expected[18] = {0, 1, 2, 3, 4, 5, 6, 7, 7, 7, 7, 6, 5, 4, 3, 2, 1, 0};
  for (int step = 0; step < 18; ++step)
    EXPECT_EQ(PixelBgr(bmp, 1 + step, 1), Channels(sh[expected[step]])) << step;
  EXPECT_EQ(bmp.GetPixel(0, 1), platform::kBlack);
  EXPECT_EQ(bmp.GetPixel(19, 1), platform::kBlack);
  for (int x = 0; x < 20; ++x) {
    EXPECT_EQ(bmp.GetPixel(x, 0), platform::kBlack);
    EXPECT_EQ(bmp.GetPixel(x, 2), platform::kBlack);
  }
}

TEST(EmLine, ZeroLengthLinePlotsOnePixel) {
  Bitmap bmp(3, 3);
  EmLine line(bmp, 1, 1);
  line.Line(1, 1, 1, 1, {200, 200, 200});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(bmp.GetPixel(x, y) != platform::kBlack, x == 1 && y == 1) << x << "," << y;
  EXPECT_EQ(PixelBgr(bmp, 1, 1), Channels(line.Shades()[0]));
}

TEST(EmLine, DiagonalHalfBlendsRightAndBelowExceptAtTheLastPoint) {
  Bitmap bmp(6, 6);
  EmLine line(bmp, 1, 3);
  line.Line(1, 1, 4, 4, {0, 0, 254});  // red 254 on black: a half blend gives 127
  const auto& sh = line.Shades();
  for (int i = 0; i <= 3; ++i) {
    const std::int64_t s = std::min<std::int64_t>(i * 18 / 4 > 7 ? 17 - i * 18 / 4 : i * 18 / 4, 7);
    EXPECT_EQ(PixelBgr(bmp, 1 + i, 1 + i), Channels(sh[static_cast<std::size_t>(s)])) << i;
  }
  // (2, 1) is right of point 0; (1, 2) below it; each half of shade 0 over black.
  const auto half = [](std::int32_t c) { return (c + 1) / 2; };
  EXPECT_EQ(PixelBgr(bmp, 2, 1)[2], half(sh[0].Red));
  EXPECT_EQ(PixelBgr(bmp, 1, 2)[2], half(sh[0].Red));
  EXPECT_EQ(bmp.GetPixel(5, 4), platform::kBlack);  // the last point blends nothing
  EXPECT_EQ(bmp.GetPixel(4, 5), platform::kBlack);
  EXPECT_EQ(bmp.GetPixel(3, 1), platform::kBlack);
}

TEST(EmLine, ShallowLineSharesEachPointWithTheNeighbourAcrossTheIdealLine) {
  Bitmap bmp(8, 4);
  EmLine line(bmp, 1, 5);
  line.Line(0, 1, 4, 2, {0, 0, 250});
  // Every column of the line is coloured in exactly its two rows 1 and 2 or 0 and 1 ...
  for (int x = 0; x <= 4; ++x) {
    int coloured = 0;
    for (int y = 0; y < 4; ++y) coloured += bmp.GetPixel(x, y) != platform::kBlack;
    EXPECT_GE(coloured, 1) << x;
    EXPECT_LE(coloured, 2) << x;
  }
  // ... and the point and its neighbour split the colour: at step 1 the error is -2, so the
  // point (1, 1) takes 4/(4+2) and its neighbour below (1, 2) takes 2/(2+4).
  const std::int32_t c = line.Shades()[static_cast<std::size_t>(1 * 18 / 5)].Red;
  EXPECT_EQ(GetRValue(bmp.GetPixel(1, 1)), (c * 4 + 3) / 6);
  EXPECT_EQ(GetRValue(bmp.GetPixel(1, 2)), (c * 2 + 3) / 6);
  EXPECT_EQ(bmp.GetPixel(1, 0), platform::kBlack);
}

TEST(EmLine, WideBrushTintsTheRestOfItsSquare) {
  Bitmap bmp(4, 4);
  EmLine line(bmp, 2, 9);
  line.Line(1, 1, 1, 1, {0, 0, 250});
  const std::int32_t c = line.Shades()[0].Red;
  EXPECT_EQ(GetRValue(bmp.GetPixel(1, 1)), c);
  // Weights (2, 8) over black for the three others.
  for (const auto& [x, y] : std::vector<std::array<int, 2>>{{2, 1}, {1, 2}, {2, 2}})
    EXPECT_EQ(GetRValue(bmp.GetPixel(x, y)), (c * 2 + 5) / 10) << x << "," << y;
  EXPECT_EQ(bmp.GetPixel(3, 3), platform::kBlack);
}

TEST(EmLine, NeverWritesOutsideTheBitmapNorIntoRowPadding) {
  for (const int bpp : {24, 32}) {
    Bitmap bmp(5, 5, bpp);
    std::uint8_t* bits = bmp.Pixels();
    const std::size_t size = static_cast<std::size_t>(bmp.BytesPerRow()) * 5;
    std::vector<std::uint8_t> marks(size);
    for (std::size_t i = 0; i < size; ++i) marks[i] = bits[i] = static_cast<std::uint8_t>(i * 7);
    EmLine line(bmp, 3, 11);
    const std::int64_t ends[][4] = {{-3, -3, 8, 8}, {-10, 2, 20, 3}, {4, -9, 4, 12},
                                    {6, 6, 6, 6},   {-1, -1, -1, 9}, {5, 0, 5, 4},
                                    {0, 5, 4, 5},   {-4, 4, 4, -4},  {7, 2, -7, 3}};
    for (const auto& e : ends) line.Line(e[0], e[1], e[2], e[3], {255, 255, 255});
    for (int row = 0; row < 5; ++row) {
      const std::size_t start = static_cast<std::size_t>(row * bmp.BytesPerRow());
      for (int x = 0; x < 5; ++x) {
        if (bpp == 32) {
          EXPECT_EQ(bits[start + x * 4 + 3], marks[start + x * 4 + 3]);
        }
      }
      for (std::size_t i = start + 5 * (bpp / 8); i < start + bmp.BytesPerRow(); ++i)
        EXPECT_EQ(bits[i], marks[i]) << "padding byte " << i;
    }
  }
}

// Lines that would take hours to walk pixel by pixel: only the visible part is walked (the
// test time-out catches a walk of the whole line; draw_bench times these lines).
TEST(EmLine, HugeCoordinatesWalkOnlyTheVisiblePart) {
  Bitmap bmp(16, 16);
  EmLine line(bmp, 2, 1);
  line.Line(-8000000000LL, 3, 8000000000LL, 3, {0, 0, 255});
  line.Line(-8000000000LL, -8000000000LL, 8000000000LL, 8000000000LL, {0, 255, 0});
  line.Line(9000000000LL, 9000000000LL, 9000000001LL, -9000000000LL, {255, 0, 0});
  EXPECT_NE(bmp.GetPixel(0, 3), platform::kBlack);
  EXPECT_NE(bmp.GetPixel(15, 3), platform::kBlack);
  EXPECT_NE(bmp.GetPixel(8, 8), platform::kBlack);
  EXPECT_EQ(bmp.GetPixel(15, 0), platform::kBlack);
}

TEST(EmLine, BitmapWithoutPixelMemoryIsLeftAlone) {
  Bitmap bmp(4, 4, 24, platform::PixelAccess::DeviceOnly);
  EmLine line(bmp, 1, 1);
  line.Line(0, 0, 3, 3, {255, 255, 255});
  EXPECT_EQ(bmp.GetPixel(1, 1), platform::kBlack);
}

}  // namespace
