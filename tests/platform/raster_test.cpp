#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/linewalk.h"

namespace {

using platform::Bitmap;
using platform::Canvas;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// One character per pixel, rows top to bottom: '.' black, '#' white, 'R' red, 'B' blue.
std::string Picture(const Bitmap& bmp) {
  std::string out;
  for (int y = 0; y < bmp.Height(); ++y) {
    for (int x = 0; x < bmp.Width(); ++x) {
      const COLORREF c = bmp.GetPixel(x, y);
      out += c == platform::kBlack   ? '.'
             : c == platform::kWhite ? '#'
             : c == kRed             ? 'R'
             : c == kBlue            ? 'B'
                                     : '?';
    }
    out += '\n';
  }
  return out;
}

std::string Rows(std::initializer_list<const char*> rows) {
  std::string out;
  for (const char* r : rows) (out += r) += '\n';
  return out;
}

TEST(Bitmap, PixelMemoryIsBottomUpBgrWithRowsPaddedToFourBytes) {
  Bitmap bmp(5, 3);
  EXPECT_EQ(bmp.BytesPerRow(), 16);
  EXPECT_EQ(bmp.BitsPerPixel(), 24);
  bmp.SetPixel(1, 0, RGB(10, 20, 30));  // top line is the last row of memory
  const std::uint8_t* p = bmp.Pixels() + 2 * 16 + 3;
  EXPECT_EQ(p[0], 30);
  EXPECT_EQ(p[1], 20);
  EXPECT_EQ(p[2], 10);
  EXPECT_EQ(bmp.GetPixel(1, 0), RGB(10, 20, 30));

  Bitmap wide(3, 2, 32);
  EXPECT_EQ(wide.BytesPerRow(), 12);
}

TEST(Bitmap, RefusesNegativeAndHugeSizes) {
  Bitmap bmp(4, 4);
  EXPECT_FALSE(bmp.SetSize(-1, 4));
  EXPECT_EQ(bmp.Width(), 0);
  EXPECT_EQ(bmp.Pixels(), nullptr);
  EXPECT_FALSE(bmp.SetSize(1 << 30, 1 << 30));
  EXPECT_FALSE(bmp.SetSize(1 << 30, 0));
  EXPECT_TRUE(bmp.SetSize(0, 0));
  bmp.GetCanvas().Rectangle(-5, -5, 5, 5);  // drawing into nothing is harmless
}

TEST(Bitmap, DeviceBitmapHasNoPixelMemoryButTakesDrawing) {
  Bitmap bmp(4, 4, 24, platform::PixelAccess::DeviceOnly);
  EXPECT_EQ(bmp.Pixels(), nullptr);
  bmp.GetCanvas().Rectangle(0, 0, 4, 4);
  EXPECT_EQ(bmp.GetPixel(0, 0), platform::kBlack);  // the pen
  EXPECT_EQ(bmp.GetPixel(1, 1), platform::kWhite);  // the brush
}

TEST(Bitmap, CopiesAndMovesKeepTheirOwnCanvas) {
  Bitmap a(3, 3);
  a.GetCanvas().GetPen().color = kRed;
  Bitmap b(a);
  Bitmap c(std::move(a));
  b.GetCanvas().MoveTo(0, 1);
  b.GetCanvas().LineTo(3, 1);
  c.GetCanvas().MoveTo(1, 0);
  c.GetCanvas().LineTo(1, 3);
  EXPECT_EQ(Picture(b), Rows({"...", "RRR", "..."}));
  EXPECT_EQ(Picture(c), Rows({".R.", ".R.", ".R."}));
  Bitmap d;
  d = c;
  d.GetCanvas().FillRect({0, 0, 1, 1});
  EXPECT_EQ(Picture(d), Rows({"#R.", ".R.", ".R."}));
  EXPECT_EQ(Picture(c), Rows({".R.", ".R.", ".R."}));
}

TEST(Canvas, RectangleLeavesOutRightAndBottomEdges) {
  Bitmap bmp(6, 5);
  Canvas& cv = bmp.GetCanvas();
  cv.GetPen().color = kRed;
  cv.Rectangle(1, 1, 5, 4);
  EXPECT_EQ(Picture(bmp), Rows({"......", ".RRRR.", ".R##R.", ".RRRR.", "......"}));
  cv.GetBrush().style = platform::BrushStyle::Clear;
  cv.GetPen().color = kBlue;
  cv.Rectangle(4, 3, 0, 0);  // corners in any order
  EXPECT_EQ(Picture(bmp), Rows({"BBBB..", "BRRBR.", "BBBBR.", ".RRRR.", "......"}));
}

TEST(Canvas, FillRectPaintsTheBrushWithoutOutlineOrRasterOp) {
  Bitmap bmp(4, 3);
  Canvas& cv = bmp.GetCanvas();
  cv.SetRop2(platform::RasterOp::NotXorPen);
  cv.GetBrush().color = kBlue;
  cv.FillRect({1, 1, 3, 3});
  cv.FillRect({-100, 2, 1, 100});
  EXPECT_EQ(Picture(bmp), Rows({"....", ".BB.", "BBB."}));
  cv.GetBrush().style = platform::BrushStyle::Clear;
  cv.FillRect({0, 0, 4, 3});
  EXPECT_EQ(Picture(bmp), Rows({"....", ".BB.", "BBB."}));
}

TEST(Canvas, EllipseFitsItsBoxWithOutlineAndInside) {
  Bitmap bmp(7, 7);
  Canvas& cv = bmp.GetCanvas();
  cv.GetPen().color = kRed;
  cv.Ellipse(1, 1, 6, 6);  // a circle of radius 2 around (3, 3)
  EXPECT_EQ(Picture(bmp),
            Rows({".......", "..RRR..", ".R###R.", ".R###R.", ".R###R.", "..RRR..", "......."}));
  Bitmap tiny(3, 3);
  tiny.GetCanvas().Ellipse(0, 0, 3, 3);  // radius 1 fills its box
  EXPECT_EQ(Picture(tiny), Rows({"...", ".#.", "..."}));
}

TEST(Canvas, EllipseOfRadiusTwelveReachesTwelvePixelsEachWay) {
  Bitmap bmp(40, 40);
  Canvas& cv = bmp.GetCanvas();
  cv.GetBrush().color = kBlue;
  cv.FillRect({0, 0, 40, 40});
  cv.GetBrush().color = platform::kWhite;
  cv.GetPen().color = kRed;
  cv.Ellipse(20 - 12, 20 - 12, 20 + 12 + 1, 20 + 12 + 1);
  for (const auto& [x, y] : std::vector<std::array<int, 2>>{{8, 20}, {32, 20}, {20, 8}, {20, 32}})
    EXPECT_EQ(bmp.GetPixel(x, y), kRed) << x << "," << y;
  for (const auto& [x, y] : std::vector<std::array<int, 2>>{{7, 20}, {33, 20}, {20, 7}, {20, 33}})
    EXPECT_EQ(bmp.GetPixel(x, y), kBlue) << x << "," << y;
  EXPECT_EQ(bmp.GetPixel(20, 20), platform::kWhite);
  EXPECT_EQ(bmp.GetPixel(9, 20), platform::kWhite);
  // Closed and symmetric: walking in from either side of any row of the box meets the
  // outline before the inside.
  for (int y = 8; y <= 32; ++y) {
    int left = 0;
    while (bmp.GetPixel(left, y) == kBlue) ++left;
    int right = 39;
    while (bmp.GetPixel(right, y) == kBlue) --right;
    EXPECT_EQ(bmp.GetPixel(left, y), kRed) << y;
    EXPECT_EQ(left + right, 40) << y;
    EXPECT_EQ(bmp.GetPixel(y, left), kRed) << y;
  }
}

TEST(Canvas, ShapesFarOutsideWriteNothingAndReturnQuickly) {
  Bitmap bmp(8, 8);
  Canvas& cv = bmp.GetCanvas();
  const std::string before = Picture(bmp);
  cv.Ellipse(-2000000000, -2000000000, -1999999000, -1999999000);
  cv.Rectangle(100, 100, 2000000000, 2000000000);
  cv.MoveTo(-2000000000, 5);
  cv.LineTo(-1000000000, 2000000000);
  EXPECT_EQ(Picture(bmp), before);
  // Huge shapes around the bitmap still draw the part inside.
  cv.Ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_EQ(bmp.GetPixel(4, 4), platform::kWhite);
}

TEST(Canvas, LineToLeavesOutItsLastPointAndPolylineItsLastVertex) {
  Bitmap bmp(5, 4);
  Canvas& cv = bmp.GetCanvas();
  cv.GetPen().color = kRed;
  cv.MoveTo(0, 0);
  cv.LineTo(4, 0);
  EXPECT_EQ(cv.PenPos(), (TPoint{4, 0}));
  cv.MoveTo(2, 2);
  cv.LineTo(2, 2);  // zero length: nothing
  const TPoint path[] = {{0, 3}, {3, 3}, {3, 1}};
  cv.Polyline(path);
  EXPECT_EQ(Picture(bmp), Rows({"RRRR.", ".....", "...R.", "RRRR."}));
}

TEST(Canvas, WidePenIsASquareOnEachPoint) {
  Bitmap bmp(6, 5);
  Canvas& cv = bmp.GetCanvas();
  cv.GetPen() = {kRed, 3};
  cv.MoveTo(1, 2);
  cv.LineTo(4, 2);
  EXPECT_EQ(Picture(bmp), Rows({"......", "RRRRR.", "RRRRR.", "RRRRR.", "......"}));
  cv.GetPen().width = 2147483647;  // covers everything near it, quickly
  cv.MoveTo(100, 100);
  cv.LineTo(101, 100);
  EXPECT_EQ(bmp.GetPixel(5, 4), kRed);
}

TEST(Canvas, NotXorCrossDrawnTwiceRestoresThePixels) {
  Bitmap bmp(20, 20);
  Canvas& cv = bmp.GetCanvas();
  cv.GetBrush().color = RGB(12, 200, 99);
  cv.FillRect({0, 0, 10, 20});
  const std::string before = Picture(bmp);
  const auto cross = [&] {
    const platform::RasterOp old = cv.SetRop2(platform::RasterOp::NotXorPen);
    const TPoint v[] = {{10, 2}, {10, 18}};
    const TPoint h[] = {{2, 10}, {18, 10}};
    cv.Polyline(v);
    cv.Polyline(h);
    EXPECT_EQ(cv.SetRop2(old), platform::RasterOp::NotXorPen);
  };
  cross();
  EXPECT_EQ(bmp.GetPixel(10, 3), platform::kWhite);  // black inverted
  EXPECT_EQ(bmp.GetPixel(3, 10), RGB(255 - 12, 55, 255 - 99));
  EXPECT_EQ(bmp.GetPixel(10, 10), platform::kBlack);  // crossed twice
  cross();
  EXPECT_EQ(Picture(bmp), before);
  EXPECT_EQ(cv.GetRop2(), platform::RasterOp::CopyPen);
}

TEST(Canvas, DrawCopiesAnotherBitmapClipped) {
  Bitmap from(3, 2);
  from.GetCanvas().GetBrush().color = kRed;
  from.GetCanvas().FillRect({0, 0, 3, 2});
  from.SetPixel(0, 0, kBlue);
  Bitmap to(4, 3, 32);
  to.GetCanvas().Draw(2, 1, from);
  EXPECT_EQ(Picture(to), Rows({"....", "..BR", "..RR"}));
  to.GetCanvas().Draw(-2, -1, from);
  EXPECT_EQ(Picture(to), Rows({"R...", "..BR", "..RR"}));
}

TEST(Canvas, StockObjects) {
  using platform::StockObject;
  EXPECT_EQ(platform::StockBrush(StockObject::WhiteBrush).color, platform::kWhite);
  EXPECT_EQ(platform::StockBrush(StockObject::GrayBrush).color, RGB(128, 128, 128));
  EXPECT_EQ(platform::StockBrush(StockObject::BlackBrush).color, platform::kBlack);
  EXPECT_EQ(platform::StockPen(StockObject::BlackPen), (platform::Pen{platform::kBlack, 1}));
}

// The plain walk, step by step, as the reference for the clipped one.
std::vector<std::array<std::int64_t, 4>> Walk(platform::LineWalk w) {
  std::vector<std::array<std::int64_t, 4>> out;
  for (; !w.Done(); w.Next()) out.push_back({w.Step(), w.X(), w.Y(), w.Error()});
  return out;
}

TEST(LineWalk, ClippedWalkMatchesThePlainWalkInsideTheWindow) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> coord(-30, 30);
  for (int n = 0; n < 3000; ++n) {
    const int x0 = coord(gen), y0 = coord(gen), x1 = coord(gen), y1 = coord(gen);
    const int l = coord(gen), t = coord(gen);
    const int r = l + coord(gen) + 30, b = t + coord(gen) + 30;
    std::vector<std::array<std::int64_t, 4>> expected;
    for (const auto& p : Walk(platform::LineWalk(x0, y0, x1, y1)))
      if (p[1] >= l && p[1] < r && p[2] >= t && p[2] < b) expected.push_back(p);
    platform::LineWalk clipped(x0, y0, x1, y1);
    const bool any = clipped.Clip(l, t, r, b);
    EXPECT_EQ(any, !expected.empty());
    EXPECT_EQ(Walk(clipped), expected) << x0 << "," << y0 << " " << x1 << "," << y1 << " in " << l
                                       << "," << t << "," << r << "," << b;
  }
}

TEST(LineWalk, FollowsTheBresenhamRule) {
  // A shallow line: the other coordinate moves when the error reaches 0.
  const auto pts = Walk(platform::LineWalk(0, 0, 5, 2));
  std::vector<std::array<std::int64_t, 4>> expected = {{0, 0, 0, -5}, {1, 1, 0, -1}, {2, 2, 1, -7},
                                                       {3, 3, 1, -3}, {4, 4, 2, -9}, {5, 5, 2, -5}};
  EXPECT_EQ(pts, expected);
  const auto steep = Walk(platform::LineWalk(0, 0, -1, -3));
  ASSERT_EQ(steep.size(), 4u);
  EXPECT_EQ(steep.back()[1], -1);
  EXPECT_EQ(steep.back()[2], -3);
  EXPECT_EQ(Walk(platform::LineWalk(4, 4, 4, 4)).size(), 1u);
}

TEST(LineWalk, HugeLinesCostOnlyTheirVisiblePart) {
  platform::LineWalk w(-4000000000LL, -3000000000LL, 4000000000LL, 3000000001LL);
  ASSERT_TRUE(w.Clip(0, 0, 64, 64));
  const auto pts = Walk(w);
  EXPECT_LE(pts.size(), 64u);
  EXPECT_FALSE(pts.empty());
  for (const auto& p : pts) {
    EXPECT_GE(p[1], 0);
    EXPECT_LT(p[2], 64);
    // On the line through the two ends within half a pixel.
    const double y = -3000000000.0 + (p[1] + 4000000000.0) * 6000000001.0 / 8000000000.0;
    EXPECT_NEAR(static_cast<double>(p[2]), y, 0.5 + 1e-6);
  }
  platform::LineWalk away(-4000000000LL, 100, 4000000000LL, 100);
  EXPECT_FALSE(away.Clip(0, 0, 64, 64));
  EXPECT_TRUE(Walk(away).empty());
}

}  // namespace
