#include "hoopdesk/docking/dockzone.h"

#include <gtest/gtest.h>

namespace {

struct ZoneCase {
  int width, height;
  TPoint point;
  TDockAlign align;
  TRect preview;
};

// A 500 x 400 site: w = 100, h = 80.
const ZoneCase kCases[] = {
    {500, 400, {0, 0}, alLeft, {0, 0, 250, 400}},
    {500, 400, {99, 399}, alLeft, {0, 0, 250, 400}},
    {500, 400, {100, 0}, alTop, {0, 0, 500, 200}},
    {500, 400, {399, 79}, alTop, {0, 0, 500, 200}},
    {500, 400, {400, 0}, alRight, {250, 0, 500, 400}},
    {500, 400, {499, 399}, alRight, {250, 0, 500, 400}},
    {500, 400, {100, 320}, alBottom, {0, 200, 500, 400}},
    {500, 400, {399, 399}, alBottom, {0, 200, 500, 400}},
    {500, 400, {100, 80}, alClient, {100, 80, 400, 320}},
    {500, 400, {399, 319}, alClient, {100, 80, 400, 320}},
    // Outside the site: no zone.
    {500, 400, {500, 10}, alNone, {}},
    {500, 400, {-1, 10}, alNone, {}},
    {500, 400, {200, 400}, alNone, {}},
    // A site narrower than 5 pixels: zone width 0, only the right zone matches.
    {4, 400, {0, 200}, alRight, {2, 0, 4, 400}},
    {4, 400, {3, 10}, alRight, {2, 0, 4, 400}},
    // A site lower than 5 pixels: h = 0, the middle has no top or client zone left.
    {500, 4, {200, 0}, alBottom, {0, 2, 500, 4}},
};

TEST(GetDockZone, ZonesAreTestedInOrderWithLeftAndTopEdgesInside) {
  for (const ZoneCase& c : kCases) {
    const TDockZone zone = GetDockZone(c.width, c.height, c.point);
    EXPECT_EQ(zone.align, c.align)
        << c.width << "x" << c.height << " at " << c.point.x << "," << c.point.y;
    EXPECT_EQ(zone.preview, c.preview) << c.point.x << "," << c.point.y;
  }
}

// A side tiles the dropped form with the one it was dropped on, before it on the left and top;
// the middle makes pages.
TEST(DockPlacement, SidesTileInTheirDirectionAndTheMiddleMakesPages) {
  const struct {
    TDockAlign align;
    TDockPlacement want;
  } cases[] = {
      {alLeft, {false, true, true}},    {alRight, {false, true, false}},
      {alTop, {false, false, true}},    {alBottom, {false, false, false}},
      {alClient, {true, false, false}},
  };
  for (const auto& c : cases) {
    const TDockPlacement place = DockPlacement(c.align);
    EXPECT_EQ(place.pages, c.want.pages) << c.align;
    EXPECT_EQ(place.sideBySide, c.want.sideBySide) << c.align;
    EXPECT_EQ(place.droppedFirst, c.want.droppedFirst) << c.align;
  }
}

}  // namespace
