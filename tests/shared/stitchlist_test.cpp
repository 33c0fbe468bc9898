#include "shared/stitchlist.h"

#include <gtest/gtest.h>

#include "foreignfile.h"
#include "shared/colorinfo.h"

using namespace foreigntest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

TStitchItem Laid(TRect view, TPoint offset = {}) {
  TStitchItem d;
  d.SetViewRect(view);
  d.Offset = offset;
  return d;
}

std::vector<int> Order(const TStitch& list) {
  std::vector<int> out;
  for (int p = 0; p < list.GetCount(); ++p) out.push_back(list.GetOrderAt(p));
  return out;
}

// A list of n designs, each a 10 x 10 pixel square at (20 i, 0).
TStitch Squares(int n) {
  TStitch list;
  for (int i = 0; i < n; ++i) list.AddItem(Laid({0, 0, 10, 10}, {20 * i, 0}));
  return list;
}

}  // namespace

TEST(DesignList, AddFileSelectsTheNewDesignAndDeleteClearsTheSelection) {
  const auto dir = TestFolder();
  const std::string path =
      WriteBytes(dir / "one.dst", File(Body({{0x01, 0, 0x03}, {0x01, 0, 0x03}, {0, 0, 0xF3}})));

  TColorInfo palette;
  TStitch list;
  ASSERT_EQ(list.AddFile(path, palette, 5, 6), 0);
  ASSERT_EQ(list.AddFile(path, palette, 7, 8), 1);
  EXPECT_EQ(list.GetSelected(), 1);
  EXPECT_EQ(list.GetItem(1)->Offset, (TPoint{7, 8}));
  EXPECT_EQ(list.GetItem(1)->FileName, path);
  EXPECT_EQ(list.AddFile((dir / "missing.dst").string(), palette, 0, 0), -1);
  EXPECT_EQ(list.AddFile((dir / "one.txt").string(), palette, 0, 0), -1);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetSelected(), 1);

  list.Delete(0);
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_EQ(Order(list), (std::vector<int>{0}));
  EXPECT_EQ(list.GetSelected(), -1);
  EXPECT_EQ(list.GetItem(0)->Offset, (TPoint{7, 8}));
}

TEST(DesignList, IndexesOutOfRangeAreIgnored) {
  TStitch list = Squares(2);
  EXPECT_EQ(list.GetItem(-1), nullptr);
  EXPECT_EQ(list.GetItem(2), nullptr);
  list.SetSelected(1);
  list.SetSelected(2);
  EXPECT_EQ(list.GetSelected(), 1);
  // Only -1 means none: other negative values do not stay behind as a selection.
  list.SetSelected(-5);
  EXPECT_EQ(list.GetSelected(), -1);
  TRect r;
  EXPECT_FALSE(list.GetSelectedRect(r));
  list.MoveItem(2, 5, 5);
  list.MoveItem(-1, 5, 5);
  list.Delete(2);
  list.EraseItem(-1);
  list.MoveOrder(0, 2);
  list.MoveOrder(-1, 0);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_EQ(Order(list), (std::vector<int>{0, 1}));
  EXPECT_EQ(list.GetOrderAt(-1), -1);
  EXPECT_EQ(list.GetOrderAt(2), -1);
  EXPECT_EQ(list.FindOrder(7), -1);
  EXPECT_EQ(list.GetItem(0)->Offset, (TPoint{0, 0}));
}

TEST(DesignList, DisplayOrderMovesAndFollowsRemovals) {
  TStitch list = Squares(4);
  list.MoveOrder(0, 2);
  EXPECT_EQ(Order(list), (std::vector<int>{1, 2, 0, 3}));
  list.MoveOrder(3, 0);
  EXPECT_EQ(Order(list), (std::vector<int>{3, 1, 2, 0}));
  EXPECT_EQ(list.FindOrder(2), 2);

  list.Delete(1);
  EXPECT_EQ(Order(list), (std::vector<int>{2, 1, 0}));

  // Erasing keeps the order whole too, and the same design selected.
  list.SetSelected(2);
  list.EraseItem(0);
  EXPECT_EQ(Order(list), (std::vector<int>{1, 0}));
  EXPECT_EQ(list.GetSelected(), 1);
  EXPECT_EQ(list.GetItem(1)->Offset, (TPoint{60, 0}));
  list.EraseItem(1);
  EXPECT_EQ(Order(list), (std::vector<int>{0}));
  EXPECT_EQ(list.GetSelected(), -1);

  list.Clear();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetOrderAt(0), -1);
}

TEST(DesignList, FitCentresAndZooms) {
  TStitch list;
  list.AddItem(Laid({0, 0, 400, 100}));
  list.FitToArea(200, 100);
  EXPECT_EQ(list.GetZoom(false), 50);
  // The area is (400, 200) unzoomed: the design moves down by 50.
  EXPECT_EQ(list.GetItem(0)->Offset, (TPoint{0, 50}));

  list.SetFit(false);
  list.FitToArea(600, 300);
  EXPECT_EQ(list.GetZoom(false), 100);
  EXPECT_EQ(list.GetItem(0)->Offset, (TPoint{100, 100}));
  list.Refit(0, 0);
  EXPECT_EQ(list.GetItem(0)->Offset, (TPoint{100, 100}));
}

TEST(DesignList, FitSurvivesDegenerateSizes) {
  struct Case {
    const char* name;
    TRect view;
    int width, height;
    int zoom;
    TPoint offset;
  };
  const Case cases[] = {
      {"a design of no size in an area of no size", {0, 0, 0, 0}, 0, 0, 100, {0, 0}},
      {"a design of no size in a negative area", {0, 0, 0, 0}, -10, -10, 100, {-5, -5}},
      {"an area of no size", {0, 0, 40, 20}, 0, 0, 0, {-20, -10}},
      {"a negative area", {0, 0, 40, 20}, -10, 30, -25, {-20, -10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStitch list;
    list.AddItem(Laid(c.view));
    list.FitToArea(c.width, c.height);
    EXPECT_EQ(list.GetZoom(false), c.zoom);
    EXPECT_EQ(list.GetItem(0)->Offset, c.offset);
  }
  TStitch empty;
  empty.FitToArea(100, 100);
  EXPECT_EQ(empty.GetZoom(false), 100);
  EXPECT_EQ(empty.GetUnionRect(), (TRect{}));
}

TEST(DesignList, HitTestPrefersTheSelectedDesign) {
  TStitch list;
  list.AddItem(Laid({0, 0, 10, 10}));
  list.AddItem(Laid({0, 0, 10, 10}, {5, 5}));
  EXPECT_EQ(list.HitTest(7, 7), 0);
  list.SetSelected(1);
  EXPECT_EQ(list.HitTest(7, 7), 1);
  EXPECT_EQ(list.HitTest(2, 2), 0);
  // Right and bottom edges lie outside.
  EXPECT_EQ(list.HitTest(15, 14), -1);
  EXPECT_EQ(list.HitTest(14, 14), 1);
  EXPECT_EQ(list.GetUnionRect(), (TRect{0, 0, 15, 15}));
}

TEST(DesignList, SelectedRectAndMovesFollowTheZoom) {
  TStitch list;
  list.AddItem(Laid({0, 0, 400, 100}));
  list.AddItem(Laid({10, 20, 30, 41}));
  list.SetSelected(1);
  list.FitToArea(200, 100);  // zoom 50; design 1 moves by (0, 50)
  TRect r;
  ASSERT_TRUE(list.GetSelectedRect(r));
  EXPECT_EQ(r, (TRect{5, 35, 15, 45}));
  list.MoveItem(1, 3, -4);
  EXPECT_EQ(list.GetItem(1)->Offset, (TPoint{6, 42}));

  list.SetFit(false);
  list.FitToArea(1200, 600);  // zoom 100
  ASSERT_TRUE(list.GetSelectedRect(r));
  EXPECT_EQ(r, list.GetItem(1)->GetViewRect());
  const TPoint before = list.GetItem(1)->Offset;
  list.MoveItem(1, 3, -4);
  EXPECT_EQ(list.GetItem(1)->Offset, (TPoint{before.x + 3, before.y - 4}));
}

TEST(DesignList, AMoveAtZoomZeroIsNoMove) {
  TStitch list;
  list.AddItem(Laid({0, 0, 400, 100}));
  list.FitToArea(0, 0);
  ASSERT_EQ(list.GetZoom(false), 0);
  const TPoint before = list.GetItem(0)->Offset;
  list.MoveItem(0, 30, 30);
  EXPECT_EQ(list.GetItem(0)->Offset, before);
}

namespace {

// A design whose records are the given points, with one colour block per colour.
TStitchItem Design(std::vector<TEmbPoint> points, std::vector<COLORREF> colors, TPoint origin,
                   TPoint offset) {
  TStitchItem d;
  d.Points = std::move(points);
  for (COLORREF c : colors) d.Colors.push_back(TEmbColor{1, 7, c, "n"});
  d.Origin = origin;
  d.Offset = offset;
  return d;
}

class Merge : public ::testing::Test {
 protected:
  // First design: two stitches, laid at (0, 0) with its origin at (5, 0).
  TStitchItem First(std::vector<COLORREF> colors = {kRed}) {
    return Design({{sfStart, 0, 0}, {sfStitch, 0, 0}, {sfStitch, 10, 0}, {sfEnd, 10, 0}},
                  std::move(colors), {5, 0}, {0, 0});
  }
  // Second design: a jump and two stitches, laid one inch (254 units) to the right with its
  // origin at (10, 0): it lies 249 units right of the first.
  TStitchItem Second(std::vector<COLORREF> colors) {
    return Design({{sfJump, 0, 0}, {sfStitch, 0, 0}, {sfStitch, 20, 0}}, std::move(colors), {10, 0},
                  {96, 0});
  }
  std::vector<COLORREF> Colors() const {
    std::vector<COLORREF> out;
    for (const TEmbColor& c : merged_.Colors) out.push_back(c.Color);
    return out;
  }
  TStitch list_;
  TStitchItem merged_;
};

}  // namespace

TEST_F(Merge, DesignsOfOneColourShareABlock) {
  list_.AddItem(First());
  list_.AddItem(Second({kRed}));
  list_.MergeItems(merged_);
  EXPECT_EQ(Points(merged_), (std::vector<Point>{{3, 0, 0},
                                                 {0, 0, 0},
                                                 {0, 10, 0},
                                                 {6, 10, 0},
                                                 {1, 129, 0},
                                                 {1, 249, 0},
                                                 {1, 249, 0},
                                                 {0, 249, 0},
                                                 {0, 269, 0},
                                                 {11, 0, 0}}));
  EXPECT_EQ(Colors(), (std::vector<COLORREF>{kRed}));
  EXPECT_EQ(merged_.Colors[0].Mark, 0);
  EXPECT_EQ(merged_.Colors[0].Index, 7);
  EXPECT_EQ(merged_.Origin, (TPoint{5, 0}));
  EXPECT_EQ(merged_.Offset, (TPoint{0, 0}));
}

TEST_F(Merge, DesignsOfTwoColoursGetAColourChangeAfterACut) {
  list_.AddItem(First());
  list_.AddItem(Second({kBlue}));
  list_.MergeItems(merged_);
  EXPECT_EQ(Codes(merged_), (std::vector<int>{3, 0, 0, 6, 2, 1, 1, 1, 0, 0, 11}));
  EXPECT_EQ(Colors(), (std::vector<COLORREF>{kRed, kBlue}));

  // A first design that ends in a cut gets no second one.
  TStitchItem cut = First();
  cut.Points.insert(cut.Points.end() - 1, TEmbPoint{sfCut, 10, 0});
  TStitch list;
  list.AddItem(cut);
  list.AddItem(Second({kBlue}));
  list.MergeItems(merged_);
  EXPECT_EQ(Codes(merged_), (std::vector<int>{3, 0, 0, 6, 2, 1, 1, 1, 0, 0, 11}));
}

TEST_F(Merge, FollowsTheDisplayOrder) {
  list_.AddItem(First());
  list_.AddItem(Second({kBlue}));
  list_.MoveOrder(1, 0);
  list_.MergeItems(merged_);
  // The second design comes first and keeps its own coordinates.
  EXPECT_EQ(merged_.Origin, (TPoint{10, 0}));
  EXPECT_EQ(merged_.Offset, (TPoint{96, 0}));
  EXPECT_EQ(Colors(), (std::vector<COLORREF>{kBlue, kRed}));
  EXPECT_EQ(Points(merged_), (std::vector<Point>{{3, 0, 0},
                                                 {1, 0, 0},
                                                 {0, 0, 0},
                                                 {0, 20, 0},
                                                 {6, 20, 0},
                                                 {2, 20, 0},
                                                 {1, -69, 0},
                                                 {1, -159, 0},
                                                 {1, -249, 0},
                                                 {0, -249, 0},
                                                 {0, -239, 0},
                                                 {11, 0, 0}}));
}

TEST_F(Merge, SurplusColourBlocksStayOutOfTheMergedDesign) {
  // Three blocks but no colour change: only the first is used.
  list_.AddItem(First({kRed, kGreen, kBlue}));
  list_.AddItem(Second({kGreen, kBlue}));
  // No block at all: its slot keeps the default.
  list_.AddItem(Second({}));
  list_.MergeItems(merged_);
  EXPECT_EQ(Codes(merged_), (std::vector<int>{3, 0, 0, 6, 2, 1, 1, 1, 0, 0, 6, 2, 1, 1, 0, 0, 11}));
  EXPECT_EQ(Colors(), (std::vector<COLORREF>{kRed, kGreen, 0}));
}

TEST_F(Merge, EmptyListGivesStartAndEnd) {
  list_.MergeItems(merged_);
  EXPECT_EQ(Codes(merged_), (std::vector<int>{3, 11}));
  EXPECT_EQ(merged_.GetRawRect(), (TRect{}));
}
