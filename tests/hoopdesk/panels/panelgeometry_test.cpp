// Where the queue thumbnails sit in a panel, which design a point hits, the queue scroll bar
// and the slot the shared controls line up under.
#include "hoopdesk/panels/panelgeometry.h"

#include <gtest/gtest.h>

namespace {

struct HitCase {
  int width, height, off, count, x, expected;
};

class DesignAt : public testing::TestWithParam<HitCase> {};

TEST_P(DesignAt, CountsFromThePanelsLastColumn) {
  const HitCase& c = GetParam();
  EXPECT_EQ(TPanelGeometry(c.width, c.height, c.off).DesignAt(c.x, c.count), c.expected)
      << "x = " << c.x;
}

// 193 x 85 panels: 65-pixel thumbnails 69 apart; design 0 covers 124..188, design 1 55..119.
INSTANTIATE_TEST_SUITE_P(
    Panel193, DesignAt,
    testing::Values(HitCase{193, 85, 0, 2, 150, 0}, HitCase{193, 85, 0, 2, 124, 0},
                    HitCase{193, 85, 0, 2, 188, 0}, HitCase{193, 85, 0, 2, 192, 0},
                    HitCase{193, 85, 0, 2, 60, 1}, HitCase{193, 85, 0, 2, 55, 1},
                    HitCase{193, 85, 0, 1, 60, -1},   // only one design queued
                    HitCase{193, 85, 0, 2, 10, -1},   // where a third would be
                    HitCase{193, 85, 0, 2, 193, -1},  // right of the panel
                    HitCase{193, 85, 0, 2, 500, -1}, HitCase{193, 85, 0, 0, 150, -1},
                    // Scrolled 18 pixels: everything sits 18 further right.
                    HitCase{193, 85, 18, 3, 142, 0}, HitCase{193, 85, 18, 3, 141, 1},
                    HitCase{193, 85, 18, 3, 4, 2},
                    // A panel too low for a thumbnail hits nothing.
                    HitCase{193, 16, 0, 3, 100, -1}));

TEST(PanelGeometry, ThumbnailsRunLeftFromTheRightEnd) {
  const TPanelGeometry g(193, 85, 0);
  EXPECT_EQ(g.Side(), 65);
  EXPECT_EQ(g.Pitch(), 69);
  EXPECT_EQ(g.ThumbnailLeft(0), 124);
  EXPECT_EQ(g.ThumbnailLeft(1), 55);
  EXPECT_EQ(g.ThumbnailLeft(2), -14);
  EXPECT_TRUE(g.ThumbnailVisible(2));  // its last 51 columns show
  EXPECT_FALSE(g.ThumbnailVisible(3));
  EXPECT_FALSE(TPanelGeometry(193, 85, -200).ThumbnailVisible(0));
}

struct ScrollCase {
  int width, height, longest;
  TQueueScroll expected;
};

class QueueScroll : public testing::TestWithParam<ScrollCase> {};

TEST_P(QueueScroll, ScrollsOnlyWhenTheLongestQueueIsWiderThanAPanel) {
  const ScrollCase& c = GetParam();
  const TQueueScroll s = TPanelGeometry::QueueScroll(c.width, c.height, c.longest);
  EXPECT_EQ(s.enabled, c.expected.enabled);
  if (!c.expected.enabled) return;
  EXPECT_EQ(s.maximum, c.expected.maximum);
  EXPECT_EQ(s.pageStep, c.expected.pageStep);
  EXPECT_EQ(s.value, c.expected.value);
  EXPECT_EQ(s.step, c.expected.step);
  // At the starting position the first designs are in view.
  EXPECT_EQ(TPanelGeometry::ScrollOffset(true, s.maximum, s.value), 0);
}

// Three designs need 3 * 69 + 4 = 211 pixels: 18 more than the panel, shown from the start.
INSTANTIATE_TEST_SUITE_P(Queues, QueueScroll,
                         testing::Values(ScrollCase{193, 85, 0, {}}, ScrollCase{193, 85, 2, {}},
                                         ScrollCase{193, 85, 3, {true, 18, 193, 18, 69}},
                                         ScrollCase{100, 85, 16, {true, 1008, 100, 1008, 69}}));

TEST(PanelGeometry, ScrollOffsetIsZeroWhileTheBarIsDisabled) {
  EXPECT_EQ(TPanelGeometry::ScrollOffset(false, 18, 0), 0);
  EXPECT_EQ(TPanelGeometry::ScrollOffset(true, 18, 0), 18);
}

TEST(PanelGeometry, SharedControlsSitUnderTheLastUsedSlot) {
  const int expected[] = {5, 0, 1, 2, 3, 4, 5, 5, 5};
  for (int n = 0; n <= 8; ++n) EXPECT_EQ(TPanelGeometry::ReferenceSlot(n), expected[n]) << n;
  EXPECT_EQ(TPanelGeometry::ReferenceSlot(16), 5);
}

}  // namespace
