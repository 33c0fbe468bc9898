// Where the Send tab's controls sit for a tab width and a machine count, and which panel slot a
// point lies in.
#include "hoopdesk/panels/sendtablayout.h"

#include <gtest/gtest.h>

#include <array>

#include "hoopdesk/panels/panelgeometry.h"

namespace {

struct SlotCase {
  int k, tabWidth, scrollWidth;
  TSlotPlace expected;
};

TEST(SendTabLayout, SlotsFillTheTabLeftOfTheirColumn) {
  const SlotCase cases[] = {
      // 400 wide: the column starts at 400 - 8 - 113 = 279, the image is 12 short of it.
      {0, 400, 0, {QRect(8, 8, 267, 85), {279, 12}, {278, 54}, {328, 8}, {279, 75}}},
      {5, 400, 0, {QRect(8, 468, 267, 85), {279, 472}, {278, 514}, {328, 468}, {279, 535}}},
      // The machine scroll bar shows: everything moves left by its width.
      {1, 400, 17, {QRect(8, 100, 250, 85), {262, 104}, {261, 146}, {311, 100}, {262, 167}}},
      // Too narrow for a panel: the image keeps one column.
      {0, 100, 0, {QRect(8, 8, 1, 85), {-21, 12}, {-22, 54}, {28, 8}, {-21, 75}}},
  };
  for (const SlotCase& c : cases) {
    const TSlotPlace place = TSendTabLayout::Slot(c.k, c.tabWidth, c.scrollWidth);
    EXPECT_EQ(place.image, c.expected.image) << c.k << " " << c.tabWidth;
    EXPECT_EQ(place.sendBtn, c.expected.sendBtn) << c.k << " " << c.tabWidth;
    EXPECT_EQ(place.lbl, c.expected.lbl) << c.k << " " << c.tabWidth;
    EXPECT_EQ(place.sewBtn, c.expected.sewBtn) << c.k << " " << c.tabWidth;
    EXPECT_EQ(place.progBar, c.expected.progBar) << c.k << " " << c.tabWidth;
  }
}

TEST(SendTabLayout, TheFormPlacesSlotsNinetyTwoApart) {
  EXPECT_EQ(TSendTabLayout::FormImage(0), QRect(8, 8, 193, 85));
  EXPECT_EQ(TSendTabLayout::FormImage(5), QRect(8, 468, 193, 85));
}

TEST(SendTabLayout, MachineScrollAndTrackBar) {
  EXPECT_EQ(TSendTabLayout::MachineScroll(400, 17), QRect(381, 8, 17, 545));
  EXPECT_EQ(TSendTabLayout::MachineScroll(400, 0), QRect(398, 8, 0, 545));
  EXPECT_EQ(TSendTabLayout::TrackBar(400, 0, 600), QRect(8, 600, 267, 30));
  EXPECT_EQ(TSendTabLayout::TrackBar(400, 17, 600), QRect(8, 600, 250, 30));
  EXPECT_EQ(TSendTabLayout::TrackBar(200, 0, 300), QRect(8, 300, 120, 30)) << "at least 120";
}

struct SharedCase {
  int machines;
  TSharedPlace expected;
};

TEST(SendTabLayout, SharedControlsSitUnderTheReferenceSlot) {
  // A queue scroll bar 16 high under the form's slots; no machine or six and more: under slot 6.
  const SharedCase cases[] = {{0, {563, 573, 583, 601}}, {1, {103, 113, 123, 141}},
                              {3, {287, 297, 307, 325}}, {5, {471, 481, 491, 509}},
                              {6, {563, 573, 583, 601}}, {16, {563, 573, 583, 601}}};
  for (const SharedCase& c : cases) {
    const QRect reference = TSendTabLayout::FormImage(TPanelGeometry::ReferenceSlot(c.machines));
    const TSharedPlace place =
        TSendTabLayout::SharedControls(reference.top() + reference.height(), 16);
    EXPECT_EQ(place.hScrollTop, c.expected.hScrollTop) << c.machines;
    EXPECT_EQ(place.sendAllTop, c.expected.sendAllTop) << c.machines;
    EXPECT_EQ(place.labelTop, c.expected.labelTop) << c.machines;
    EXPECT_EQ(place.trackBarTop, c.expected.trackBarTop) << c.machines;
  }
  EXPECT_EQ(TSendTabLayout::SendAllLeft(279), 304);
}

TEST(SendTabLayout, TheFirstSlotShowsAtMostTheSixthFromTheEnd) {
  const int expected[] = {0, 0, 0, 0, 0, 0, 0, 1, 2};
  for (int n = 0; n <= 8; ++n) EXPECT_EQ(TSendTabLayout::LastFirstMachine(n), expected[n]) << n;
  EXPECT_EQ(TSendTabLayout::LastFirstMachine(16), 10);
}

TEST(SlotAtPoint, OnlyAnActiveSlotThatHoldsThePoint) {
  const std::array<TSlotArea, 4> areas = {{{QRect(0, 0, 100, 50), true},
                                           {QRect(0, 60, 100, 50), false},
                                           {QRect(0, 120, 100, 50), true},
                                           {QRect(0, 140, 100, 50), true}}};
  const struct {
    QPoint point;
    int slot;
    const char* what;
  } cases[] = {{{10, 10}, 0, "inside"},
               {{0, 0}, 0, "top-left corner"},
               {{99, 49}, 0, "bottom-right corner"},
               {{100, 10}, -1, "right of the slot"},
               {{10, 55}, -1, "between two slots"},
               {{10, 70}, -1, "hidden or disabled"},
               {{10, 130}, 2, "the next active slot"},
               {{10, 150}, 2, "overlapping: the first wins"},
               {{10, 175}, 3, "the last slot"},
               {{-1, 10}, -1, "left of every slot"}};
  for (const auto& c : cases) EXPECT_EQ(SlotAtPoint(areas, c.point), c.slot) << c.what;
  EXPECT_EQ(SlotAtPoint({}, QPoint(0, 0)), -1);
}

}  // namespace
