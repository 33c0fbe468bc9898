#include <gtest/gtest.h>

#include "platform/bitmap.h"
#include "shared/stitch.h"
#include "shared/traceinfo.h"

namespace {

using platform::Bitmap;

constexpr COLORREF kBackground = RGB(0, 0, 255);

// A horizontal red line across the middle of the view, drawn into a 40 x 40 bitmap.
class TracePaintTest : public ::testing::Test {
 protected:
  TracePaintTest() : bmp_(40, 40) {
    design_.Points = {{sfStitch, -100, 0}, {sfStitch, 0, 0}, {sfStitch, 100, 0}};
    design_.Colors = {{0, 0, RGB(255, 0, 0), ""}};
    design_.ViewRect = {-38, -10, 38, 10};
    design_.PenWidth = 3;
  }

  COLORREF Middle(int x) const { return bmp_.GetPixel(x, 20); }
  static bool Grey(COLORREF c) {
    return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c);
  }
  static bool Red(COLORREF c) {
    return GetRValue(c) > GetGValue(c) && GetGValue(c) == GetBValue(c);
  }

  Bitmap bmp_;
  TStitchItem design_;
};

TEST_F(TracePaintTest, WithoutADesignOnlyTheBackgroundIsPainted) {
  TTraceInfo info;
  info.ShowDesign = 0;
  design_.TracePaint(info, bmp_, kBackground, nullptr);
  EXPECT_EQ(design_.PenWidth, 3);
  EXPECT_EQ(bmp_.GetPixel(20, 20), kBackground);
  EXPECT_EQ(bmp_.GetPixel(0, 0), platform::kBlack);  // outlined with the canvas pen
}

TEST_F(TracePaintTest, ModesClearOrOverlay) {
  TTraceInfo info;
  info.ShowDesign = 1;
  info.Mode = 2;  // all in colour
  design_.TracePaint(info, bmp_, kBackground, nullptr);
  EXPECT_EQ(design_.PenWidth, 0);
  EXPECT_EQ(bmp_.GetPixel(5, 5), kBackground);
  EXPECT_TRUE(Red(Middle(30)));

  info.Mode = 0;  // cleared, everything after record 0 grey, cross on record 0
  design_.PenWidth = 7;
  design_.TracePaint(info, bmp_, kBackground, nullptr);
  EXPECT_EQ(design_.PenWidth, 0);
  EXPECT_TRUE(Grey(Middle(30)));
  EXPECT_TRUE(Grey(Middle(10)));
  EXPECT_EQ(design_.CrossDrawn, 1);

  info.Mode = 1;  // over the grey drawing: records 0 and 1 sewn
  info.FirstPos = 0;
  info.CurStitch = 2;
  bmp_.GetCanvas().GetBrush().color = RGB(0, 255, 0);
  design_.TracePaint(info, bmp_, kBackground, nullptr);
  EXPECT_EQ(bmp_.GetPixel(5, 5), kBackground);  // not cleared
  EXPECT_TRUE(Red(Middle(10)));
  EXPECT_TRUE(Grey(Middle(30)));
  EXPECT_EQ(design_.CrossPos, (TPoint{20, 20}));
  EXPECT_EQ(design_.PenWidth, 0);
}

}  // namespace
