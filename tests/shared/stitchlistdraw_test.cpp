#include <gtest/gtest.h>

#include <limits>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "shared/intmath.h"
#include "shared/stitchlist.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBackground = RGB(10, 20, 30);

// A red line of 96 pixels (one inch) to the right, laid at offset with its origin at origin.
TStitchItem Line(TPoint offset, TPoint origin = {}) {
  TStitchItem d;
  d.Points = {{sfStitch, 0, 0}, {sfStitch, 254, 0}};
  d.Colors = {TEmbColor{0, 0, kRed, ""}};
  d.Origin = origin;
  d.Offset = offset;
  d.SetRawRect({0, 0, 254, 0});
  d.SetViewRect(intmath::ViewOf(d.GetRawRect(), origin));
  return d;
}

}  // namespace

TEST(DesignListDrawing, DrawAllOfNothingFillsTheBitmap) {
  TStitch list;
  platform::Bitmap bitmap(20, 10);
  bitmap.GetCanvas().GetBrush().color = kBackground;
  EXPECT_TRUE(list.DrawAll(bitmap));
  EXPECT_EQ(bitmap.GetPixel(5, 5), kBackground);
  EXPECT_EQ(bitmap.GetPixel(0, 0), kBlack);  // the outline in the canvas pen
  EXPECT_LE(list.GetZoom(true), 100);
}

TEST(DesignListDrawing, DrawAllFitsTheWholeLayout) {
  TStitch list;
  list.AddItem(Line({0, 0}));
  list.AddItem(Line({300, 100}));  // the union is 396 x 100 pixels
  platform::Bitmap bitmap(100, 100);
  bitmap.GetCanvas().GetBrush().color = kBackground;
  list.DrawAll(bitmap);
  EXPECT_EQ(list.GetZoom(true), 25);
  // Centred on the union at a quarter of its size, the first line runs from (1, 38) to
  // (25, 38).
  EXPECT_NE(bitmap.GetPixel(10, 38), kBackground);
  EXPECT_EQ(bitmap.GetPixel(10, 60), kBackground);

  platform::Bitmap tiny(2, 2);
  list.DrawAll(tiny);
  EXPECT_EQ(list.GetZoom(true), 0);
}

TEST(DesignListDrawing, DrawItemKeepsTheZoomOfTheDesignDrawn) {
  TStitch list;
  list.AddItem(Line({0, 0}));
  platform::Bitmap bitmap(48, 48);
  list.DrawItem(0, bitmap, nullptr);
  EXPECT_EQ(list.GetZoom(true), 50);
  list.DrawItem(1, bitmap, nullptr);
  list.DrawItemAt(-1, bitmap, 0, 0, 10, 10, nullptr);
  EXPECT_EQ(list.GetZoom(true), 50);
  list.DrawItemAt(0, bitmap, 0, 0, 24, 24, nullptr);
  EXPECT_EQ(list.GetZoom(true), 25);
}

TEST(DesignListDrawing, LayoutMarksTheHomePointAndLandsOnTheTarget) {
  TStitch list;
  // Origin (254, 508) in 0.1 mm is (96, 192) pixels: home lies at (200 - 96, 250 - 192).
  list.AddItem(Line({200, 250}, {254, 508}));
  TStitchItem merged;
  list.MergeItems(merged);
  platform::Bitmap target(400, 400);
  TStitch::ClearBitmap(target);
  list.DrawLayout(merged, target.GetCanvas(), kBackground, 10, 20, 300, 300, nullptr);

  const int hx = 10 + 104, hy = 20 + 58;
  EXPECT_EQ(target.GetPixel(hx, hy - 7), kBlack);  // the cross
  EXPECT_EQ(target.GetPixel(hx + 7, hy), kBlack);
  EXPECT_EQ(target.GetPixel(hx - 8, hy), kBlack);           // the outer ring
  EXPECT_EQ(target.GetPixel(hx - 5, hy), kBlack);           // the inner ring
  EXPECT_EQ(target.GetPixel(hx - 6, hy - 2), kBackground);  // between the rings
  EXPECT_EQ(target.GetPixel(hx + 20, hy + 20), kBackground);
  // The design itself: its record (0, 0) lies on the home point, and it runs one inch right.
  EXPECT_NE(target.GetPixel(hx + 50, hy), kBackground);
  EXPECT_EQ(target.GetPixel(hx + 50, hy + 5), kBackground);
  // Outside the copied area the target is untouched.
  EXPECT_EQ(target.GetPixel(5, 5), platform::kWhite);
  EXPECT_EQ(target.GetPixel(315, 325), platform::kWhite);

  platform::Bitmap again(300, 300);
  list.PaintBuffer(again.GetCanvas());
  EXPECT_EQ(again.GetPixel(104, 51), kBlack);
  EXPECT_EQ(again.GetPixel(250, 250), target.GetPixel(260, 270));
}

TEST(DesignListDrawing, LayoutOfNothingIsTheBackground) {
  TStitch list;
  TStitchItem merged;
  platform::Bitmap target(50, 50);
  list.PaintBuffer(target.GetCanvas());  // no buffer yet: nothing
  EXPECT_EQ(target.GetPixel(0, 0), kBlack);
  list.DrawLayout(merged, target.GetCanvas(), kBackground, 0, 0, 40, 40, nullptr);
  EXPECT_EQ(target.GetPixel(0, 0), kBackground);
  EXPECT_EQ(target.GetPixel(39, 39), kBackground);
  EXPECT_EQ(target.GetPixel(40, 40), kBlack);
}

TEST(DesignListDrawing, ExtremeLayoutsStayWithinTheArithmetic) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  TStitch list;
  list.AddItem(Line({kMax, kMin}, {kMin, kMax}));
  list.AddItem(Line({kMin, kMax}));
  list.AddItem(Line({0, 0}, {kMax, kMax}));
  list.SetSelected(0);
  platform::Bitmap bitmap(32, 32);
  platform::Bitmap target(32, 32);
  TStitchItem merged;
  for (const int size : {kMin, -1, 0, 1, 64, kMax}) {
    SCOPED_TRACE(size);
    list.FitToArea(size, kMax);
    list.FitToArea(kMin, size);
    list.MoveItem(0, kMax, kMin);
    list.MoveItem(1, kMin, kMax);
    TRect r;
    list.GetSelectedRect(r);
    list.HitTest(kMin, kMax);
    list.DrawAll(bitmap);
    list.MergeItems(merged);
    // Designs laid too far apart for a jump run are joined by single jumps.
    EXPECT_LT(merged.Points.size(), 40u);
    list.DrawLayout(merged, target.GetCanvas(), kBackground, kMin, kMax, 16, 16, nullptr);
  }
  EXPECT_EQ(list.GetCount(), 3);
}
