#include "hoopdesk/browser/imgcontainer.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>

namespace {

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
  int wantMaximum;  // bar maximum, only when enabled
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
    EXPECT_EQ(bar.maximum(), c.wantMaximum);
    EXPECT_EQ(bar.pageStep(), c.wantVisible);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Paging,
    ::testing::Values(
        // 9 files: 5 rows, 4 visible: scrolls by one row at most.
        PagingCase{"nine", 529, 9, 0, 1, 529, 4, true, 1, 4},
        PagingCase{"nineTooFar", 529, 9, 0, 7, 529, 4, true, 1, 4},
        PagingCase{"negative", 529, 9, 0, -3, 529, 4, true, 0, 4},
        // All rows fit: disabled, top 0 even after the list shrank while scrolled down.
        PagingCase{"fits", 529, 8, 0, 0, 529, 4, false, 0, 0},
        PagingCase{"shrank", 529, 3, 200, 0, 529, 4, false, 0, 0},
        PagingCase{"empty", 400, 0, 50, 2, 400, 3, false, 0, 0},
        // Heights outside the range are clamped: 100 gives one row, 600 four.
        PagingCase{"low", 100, 9, 0, 3, 144, 1, true, 3, 4},
        PagingCase{"high", 600, 9, 0, 0, 529, 4, true, 0, 4},
        PagingCase{"odd", 300, 7, 0, 9, 300, 2, true, 2, 3}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ImgContainer, MakeVisibleScrollsOnlyWhenTheRowIsOffThePage) {
  QWidget panel;
  QScrollBar bar(Qt::Vertical, &panel);
  TImgContainer container(&panel, &bar);
  container.SetHeight(529);
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

}  // namespace
