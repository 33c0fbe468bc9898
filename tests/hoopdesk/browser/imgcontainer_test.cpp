#include "hoopdesk/browser/imgcontainer.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>
#include <vector>

namespace {

// A thumbnail container with its bar, as tall as it may be: four rows in view.
struct TallPage {
  TallPage() { container.SetHeight(529); }
  QWidget panel;
  QScrollBar bar{Qt::Vertical, &panel};
  TImgContainer container{&panel, &bar};
};

struct PagingCase {
  const char* what;
  int height;      // container height asked for
  int files;       // file-list count
  int topBefore;   // row asked for before the list is set
  int topAsked;    // row asked for after
  int wantHeight;  // clamped height
  int wantVisible;
  bool wantEnabled;
  int wantTop;
  int wantLastTop;  // bar maximum, only when enabled: the top row of the last full page
};

class Paging : public ::testing::TestWithParam<PagingCase> {};

TEST_P(Paging, RowsEnabledStateAndClamping) {
  const PagingCase& c = GetParam();
  QWidget panel;
  QScrollBar bar(Qt::Vertical, &panel);
  TImgContainer container(&panel, &bar);
  EXPECT_EQ(container.SetHeight(c.height), c.wantHeight);
  EXPECT_EQ(panel.height(), c.wantHeight);
  EXPECT_EQ(container.VisibleRows(), c.wantVisible);
  container.SetItemCount(1000);
  container.SetTopRow(c.topBefore);
  container.SetItemCount(c.files);
  container.SetTopRow(c.topAsked);
  EXPECT_EQ(bar.isEnabled(), c.wantEnabled);
  EXPECT_EQ(container.GetTopRow(), c.wantTop);
  EXPECT_EQ(bar.value(), c.wantTop);
  if (c.wantEnabled) {
    // The bar ends at the last full page, so its thumb cannot be dragged past it; its page is
    // the visible rows, so the thumb is as long as the share of rows shown.
    EXPECT_EQ(bar.maximum(), c.wantLastTop);
    EXPECT_EQ(bar.pageStep(), c.wantVisible);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Paging,
    ::testing::Values(
        // 9 files: 5 rows, 4 visible: scrolls by one row at most.
        PagingCase{"nine", 529, 9, 0, 1, 529, 4, true, 1, 1},
        PagingCase{"nineTooFar", 529, 9, 0, 7, 529, 4, true, 1, 1},
        PagingCase{"negative", 529, 9, 0, -3, 529, 4, true, 0, 1},
        // All rows fit: disabled, top 0 even after the list shrank while scrolled down.
        PagingCase{"fits", 529, 8, 0, 0, 529, 4, false, 0, 0},
        PagingCase{"shrank", 529, 3, 200, 0, 529, 4, false, 0, 0},
        PagingCase{"empty", 400, 0, 50, 2, 400, 3, false, 0, 0},
        // Heights outside the range are clamped: 100 gives one row, 600 four.
        PagingCase{"low", 100, 9, 0, 3, 144, 1, true, 3, 4},
        PagingCase{"high", 600, 9, 0, 0, 529, 4, true, 0, 1},
        PagingCase{"odd", 300, 7, 0, 9, 300, 2, true, 2, 2}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ImgContainer, MakeVisibleScrollsOnlyWhenTheRowIsOffThePage) {
  TallPage page;
  TImgContainer& container = page.container;
  container.SetItemCount(40);  // 20 rows
  container.MakeVisible(5);    // row 2: already shown
  EXPECT_EQ(container.GetTopRow(), 0);
  container.MakeVisible(31);  // row 15
  EXPECT_EQ(container.GetTopRow(), 15);
  container.MakeVisible(37);  // row 18: shown from 15
  EXPECT_EQ(container.GetTopRow(), 15);
  container.MakeVisible(39);  // row 19: the last page
  EXPECT_EQ(container.GetTopRow(), 16);
  container.MakeVisible(0);
  EXPECT_EQ(container.GetTopRow(), 0);
  container.ScrollRows(-1);  // wheel up on the first row
  EXPECT_EQ(container.GetTopRow(), 0);
  container.ScrollRows(1);
  EXPECT_EQ(container.GetTopRow(), 1);
}

// Turns of the wheel, one after another from row 6 of 15 rows: the rows the page moves.
TEST(ImgContainer, TheWheelTurnsARowForEachNotch) {
  struct Case {
    const char* what;
    std::vector<int> turns;
    int top;
  };
  const Case cases[] = {
      {"a notch down", {-120}, 7},
      {"a notch up", {120}, 5},
      {"two notches in one turn", {-240}, 8},
      {"a fine wheel's eighth parts of a notch", {-15, -15, -15, -15, -15, -15, -15}, 6},
      {"... and the eighth that completes it", {-15, -15, -15, -15, -15, -15, -15, -15}, 7},
      {"a notch and a half, then half a notch", {-180, -60}, 8},
      {"half a notch down, then half up: nothing", {-60, 60}, 6},
      {"the way back counts alone", {-100, 100, 20}, 5},
      {"a sideways turn", {0, 0}, 6},
      {"past the last page", {-120 * 20}, 11},
  };
  for (const Case& c : cases) {
    TallPage page;
    page.container.SetItemCount(30);  // 15 rows, the last page from row 11
    page.container.SetTopRow(6);
    for (const int turn : c.turns) page.container.Wheel(turn);
    EXPECT_EQ(page.container.GetTopRow(), c.top) << c.what;
  }
}

// The operator moves the bar itself: what it shows is the top row from then on, for the wheel,
// for a list that grows and for a page that is made visible.
TEST(ImgContainer, TheBarMovedByTheOperatorIsTheTopRow) {
  TallPage page;
  TImgContainer& container = page.container;
  QScrollBar& bar = page.bar;
  container.SetItemCount(30);  // 15 rows, the last page from row 11
  bar.setValue(6);
  container.ScrollRows(1);
  EXPECT_EQ(bar.value(), 7);
  bar.setValue(6);
  container.ScrollRows(-1);
  EXPECT_EQ(bar.value(), 5);
  bar.setValue(6);
  container.SetItemCount(31);
  EXPECT_EQ(container.GetTopRow(), 6);
  container.MakeVisible(13);  // row 6: already shown
  EXPECT_EQ(container.GetTopRow(), 6);
  bar.setValue(bar.maximum());
  container.ScrollRows(1);
  EXPECT_EQ(container.GetTopRow(), 12);  // 16 rows now
  container.SetItemCount(20);            // shrank: the last page of 10 rows
  EXPECT_EQ(bar.value(), 6);
}

}  // namespace
