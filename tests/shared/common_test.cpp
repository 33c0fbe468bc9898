#include "shared/common.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(Geometry, ZoomAndUnzoomTruncateTowardZero) {
  EXPECT_EQ(UnzoomPoint(50, 10, -7), (TPoint{20, -14}));
  EXPECT_EQ(ZoomPoint(50, -7, 3), (TPoint{-3, 1}));
  EXPECT_EQ(ZoomPoint(150, 3, -3), (TPoint{4, -4}));
  EXPECT_EQ(UnzoomPoint(0, 10, 10), (TPoint{0, 0}));
  EXPECT_EQ(UnzoomPoint(-5, 10, 10), (TPoint{0, 0}));
  EXPECT_EQ(UnzoomPoint(300, 10, -10), (TPoint{3, -3}));
  // Large coordinates are multiplied without overflowing on the way.
  EXPECT_EQ(ZoomPoint(50, 2000000000, -2000000000), (TPoint{1000000000, -1000000000}));
  EXPECT_EQ(UnzoomPoint(200, std::numeric_limits<std::int32_t>::max(), 0).x, 1073741823);
}

TEST(Geometry, FitZoomShrinksOnlyWhatDoesNotFit) {
  struct Case {
    std::int64_t area, length;
    std::int32_t zoom;
  };
  const Case axes[] = {
      {200, 400, 50},
      {400, 200, 100},
      {399, 400, 99},
      {0, 10, 0},
      {0, 0, 100},
      {-5, 0, 100},
      {-5, 10, -50},
      {std::numeric_limits<std::int32_t>::min(), 1, std::numeric_limits<std::int32_t>::min()},
  };
  for (const Case& c : axes)
    EXPECT_EQ(FitZoom(c.area, c.length), c.zoom) << c.area << " " << c.length;
  // A rectangle: the smaller zoom of its sides, each side at least 1.
  EXPECT_EQ(FitZoom(TRect{0, 0, 400, 100}, 200, 100), 50);
  EXPECT_EQ(FitZoom(TRect{0, 0, 100, 400}, 200, 100), 25);
  EXPECT_EQ(FitZoom(TRect{5, 5, 5, 5}, 64, 64), 100);
  EXPECT_EQ(FitZoom(TRect{5, 5, 5, 5}, 0, 64), 0);
}

TEST(Geometry, ZoomRectScalesEveryCoordinate) {
  TRect r{-7, 3, 10, 21};
  ZoomRect(r, 50);
  EXPECT_EQ(r, (TRect{-3, 1, 5, 10}));
}

TEST(Geometry, CentresTruncateTowardZero) {
  const struct {
    TRect rect;
    TPoint centre;
  } cases[] = {
      {{-3, -3, 0, 0}, {-1, -1}},
      {{0, 0, 3, 5}, {1, 2}},
      {{-5, 2, 5, 2}, {0, 2}},
      {{2000000000, 2000000000, 2000000000, 2000000000}, {2000000000, 2000000000}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CenterX(c.rect), c.centre.x);
    EXPECT_EQ(CenterY(c.rect), c.centre.y);
    EXPECT_EQ(CenterPoint(c.rect), c.centre);
  }
}

TEST(Geometry, RectToPixelsInPlace) {
  TRect r{254, -254, 100, -100};
  RectToPixels(r, r);
  EXPECT_EQ(r, (TRect{96, -96, 37, -37}));
}

TEST(Geometry, ExtendRectKeepsEdgesInclusive) {
  TRect r{5, 5, 5, 5};
  ExtendRect(r, {5, 5});
  EXPECT_EQ(r, (TRect{5, 5, 5, 5}));  // grown from one point: zero width
  ExtendRect(r, {-2, 9});
  ExtendRect(r, {7, 1});
  EXPECT_EQ(r, (TRect{-2, 1, 7, 9}));
}

}  // namespace
