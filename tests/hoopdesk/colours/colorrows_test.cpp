// The colour rows' geometry, shared by the colour frame and the colour settings dialog.
#include "hoopdesk/colours/colorrows.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorRows, RowsAreFortyPixelsApartWithGapsAndTheSwatchBand) {
  const struct {
    int x, y;
    bool band;
    int row;
  } cases[] = {{0, 8, false, 0},   {0, 40, false, 0},   {0, 41, false, -1},  {0, 47, false, -1},
               {0, 48, false, 1},  {0, 7, false, -1},   {0, -30, false, -1}, {38, 128, true, 3},
               {70, 128, true, 3}, {37, 128, true, -1}, {71, 128, true, -1}};
  for (const auto& c : cases) EXPECT_EQ(ColorRowAt(c.x, c.y, c.band), c.row) << c.x << "," << c.y;
}

TEST(ColorRows, APanelsRowsReachAcrossItsWidthOnly) {
  const struct {
    int x, y, width, row;
  } cases[] = {{0, 8, 200, 0},       {200, 48, 200, 1},    {201, 48, 200, -1}, {-1, 48, 200, -1},
               {150, 2368, 230, 59}, {150, 2401, 230, -1}, {100, 41, 230, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(ColorRowInPanel(c.x, c.y, c.width), c.row) << c.x << "," << c.y;
}

TEST(ColorRows, PanelHeightsAndTheRowsControls) {
  EXPECT_EQ(ColorPanelHeight(0), 4);
  EXPECT_EQ(ColorPanelHeight(15), 604);
  EXPECT_EQ(ColorPanelHeight(60), 2404);
  const struct {
    int row;
    QRect filled, name, check, marked;
  } cases[] = {
      {0, {0, 4, 230, 40}, {94, 12, 160, 23}, {4, 16, 17, 17}, {QPoint(37, 4), QPoint(71, 43)}},
      {3,
       {0, 124, 230, 40},
       {94, 132, 160, 23},
       {4, 136, 17, 17},
       {QPoint(37, 124), QPoint(71, 163)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ColorRowRect(c.row, 230), c.filled) << c.row;
    EXPECT_EQ(BlockNameRect(c.row), c.name) << c.row;
    EXPECT_EQ(EntryCheckRect(c.row), c.check) << c.row;
    EXPECT_EQ(MarkedBlockRect(c.row), c.marked) << c.row;
  }
}

TEST(ColorRows, ScrollingShowsTheSelectedRow) {
  struct Row {
    int index, position, height, want;
  };
  const Row rows[] = {
      {0, 100, 400, 8},       // above the box: scrolled up to it
      {5, 0, 400, 0},         // inside: stays
      {20, 0, 400, 448},      // below: the row becomes the last one shown
      {59, 2000, 400, 2000},  // already shown at the bottom
  };
  for (const Row& r : rows)
    EXPECT_EQ(ScrollToShowRow(r.index, r.position, r.height), r.want) << r.index;
}

TEST(ColorRows, ArrowKeysStayInsideTheRows) {
  const struct {
    int selected, delta, count, want;
  } cases[] = {{0, -1, 15, -1}, {0, 1, 15, 1}, {14, 1, 15, -1}, {14, -1, 15, 13},
               {-1, 1, 15, 0},  {3, 1, 0, -1}, {5, -1, 3, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(StepRow(c.selected, c.delta, c.count), c.want) << c.selected << " " << c.delta;
}

}  // namespace
