#include "shared/stitch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<TEmbPoint> Recs(std::initializer_list<TEmbPoint> l) { return l; }

std::vector<std::uint8_t> Funcs(const TStitchItem& d) {
  std::vector<std::uint8_t> f;
  for (const auto& p : d.Points) f.push_back(p.Func);
  return f;
}

TStitchItem WithFuncs(std::initializer_list<std::uint8_t> funcs) {
  TStitchItem d;
  for (auto f : funcs) d.Points.push_back({f, 0, 0});
  return d;
}

}  // namespace

TEST(StitchItem, EmptyDesign) {
  TStitchItem d;
  EXPECT_EQ(d.GetStitchSize(0), 0);
  EXPECT_EQ(d.GetStartPos(), (TPoint{0, 0}));
  EXPECT_FALSE(d.FindCutFunctionFromLast());
  d.SetColorCount();
  EXPECT_EQ(d.GetColorCount(), 1);
}

TEST(StitchItem, StitchSizeLeavesOutALeadingStartOnlyForMachineType0x20) {
  auto d = WithFuncs({sfStart, sfStitch, sfEnd});
  EXPECT_EQ(d.GetStitchSize(0), 3);
  EXPECT_EQ(d.GetStitchSize(0x20), 2);
  EXPECT_EQ(d.GetStitchSize(0x21), 3);
  auto e = WithFuncs({sfStitch, sfEnd});
  EXPECT_EQ(e.GetStitchSize(0x20), 2);
}

TEST(StitchItem, IsSameComparesStitchSizeAndUniqueId) {
  auto a = WithFuncs({sfStart, sfStitch});
  auto b = WithFuncs({sfStitch, sfStitch});
  a.SetUniqueID(7);
  b.SetUniqueID(7);
  EXPECT_TRUE(a.IsSame(&b));
  b.SetUniqueID(8);
  EXPECT_FALSE(a.IsSame(&b));
  EXPECT_FALSE(a.IsSame(nullptr));
}

TEST(StitchItem, DeleteExtraNeedle) {
  struct Case {
    std::vector<std::uint8_t> in, out;
  } cases[] = {
      {{0, 2, 1, 2}, {0, 2, 1}}, {{0, 2, 0}, {0, 2, 0}}, {{2, 1}, {1}}, {{}, {}}, {{6, 1}, {6, 1}},
  };
  for (const auto& c : cases) {
    TStitchItem d;
    for (auto f : c.in) d.Points.push_back({f, 0, 0});
    d.DeleteExtraNeedle();
    EXPECT_EQ(Funcs(d), c.out);
  }
}

TEST(StitchItem, FindCutFunctionFromLast) {
  struct Case {
    std::vector<std::uint8_t> funcs;
    bool cut;
  } cases[] = {
      {{0, 6, 1, 11}, true}, {{6, 0}, false}, {{6, 9}, false},
      {{1, 2, 11}, false},   {{6, 10}, true}, {{}, false},
  };
  for (const auto& c : cases) {
    TStitchItem d;
    for (auto f : c.funcs) d.Points.push_back({f, 0, 0});
    EXPECT_EQ(d.FindCutFunctionFromLast(), c.cut) << ::testing::PrintToString(c.funcs);
  }
}

TEST(StitchItem, StartPosIsTheFirstMovingRecord) {
  TStitchItem d;
  d.Points = Recs({{sfStart, 1, 1}, {sfColorChange, 2, 2}, {sfNativeJump, 3, 4}, {sfStitch, 5, 6}});
  EXPECT_EQ(d.GetStartPos(), (TPoint{3, 4}));
}

TEST(StitchItem, ColorBlocks) {
  auto d = WithFuncs({sfStitch, sfColorChange, sfRepeatColor, sfColorChange});
  d.SetColorCount();
  ASSERT_EQ(d.GetColorCount(), 3);
  d.SetColor(1, TEmbColor{1, 5, 0x123456, "Red"});
  d.SetColor(7, 0x111111);  // ignored
  d.SetMark(1);
  d.SetMark(1);
  EXPECT_EQ(d.Colors[1].Mark, 0) << "SetMark twice restores";
  d.SetMark(1);
  d.SetColor(1, TEmbColor{1, 5, 0x123456, "Red"});
  EXPECT_EQ(d.Colors[1], (TEmbColor{0, 5, 0x123456, "Red"})) << "SetColor always unmarks";

  d.Colors[2].Mark = 2;
  d.ClearMark(2);
  EXPECT_EQ(d.Colors[2].Mark, 2) << "only a mark of 1 is cleared";
  d.SetMark(2);
  EXPECT_EQ(d.Colors[2].Mark, 0);

  d.Points.pop_back();
  d.SetColorCount();
  EXPECT_EQ(d.GetColorCount(), 2);
  EXPECT_EQ(d.Colors[1].Color, 0x123456u) << "existing blocks keep their contents";

  TEmbColor out{1, 1, 1, "x"};
  d.GetIndexColor(5, out);
  EXPECT_EQ(out, TEmbColor{});
}

TEST(StitchItem, JumpOneByOne) {
  struct Case {
    TPoint from, to;
    std::vector<TEmbPoint> jumps;
  } cases[] = {
      {{0, 0}, {300, 0}, {{1, 100, 0}, {1, 200, 0}, {1, 300, 0}}},
      {{0, 0}, {127, -127}, {{1, 127, -127}}},
      {{0, 0}, {0, 0}, {{1, 0, 0}}},
      {{10, 10}, {10, 138}, {{1, 10, 74}, {1, 10, 138}}},
      {{0, 0}, {-255, 3}, {{1, -85, 1}, {1, -170, 2}, {1, -255, 3}}},
  };
  for (const auto& c : cases) {
    TStitchItem d;
    d.JumpOneByOne(c.from, c.to);
    EXPECT_EQ(d.Points, c.jumps);
  }
}

TEST(StitchItem, MoveHomeInsertsJumpsFromHome) {
  TStitchItem d;
  d.Points = Recs({{sfStart, 0, 0}, {sfStitch, 50, 60}, {sfStitch, 70, 80}});
  d.MoveHome(0, 0);
  EXPECT_EQ(d.Points, Recs({{sfStart, 0, 0},
                            {sfJump, 50, 60},
                            {sfJump, 50, 60},
                            {sfStitch, 50, 60},
                            {sfStitch, 70, 80}}));
  EXPECT_EQ(d.RawRect, (TRect{0, 0, 70, 80})) << "grows to contain home";
  EXPECT_EQ(d.Origin, (TPoint{35, 40}));
  EXPECT_EQ(d.ViewRect, (TRect{-13, -15, 13, 15}));
}

TEST(StitchItem, MoveHomeReplacesLeadingJumpsAndShiftsAllButStarts) {
  TStitchItem d;
  d.Points = Recs({{sfStart, 5, 5},
                   {sfJump, 1, 1},
                   {sfStart, 2, 2},
                   {sfJump, 3, 3},
                   {sfStitch, -100, 10},
                   {sfColorChange, -100, 10}});
  d.MoveHome(-200, 0);
  EXPECT_EQ(d.Points, Recs({{sfStart, 5, 5},
                            {sfJump, -100, 3},
                            {sfJump, -200, 6},
                            {sfJump, -300, 10},
                            {sfJump, -300, 10},
                            {sfStitch, -300, 10},
                            {sfColorChange, -300, 10}}));
  EXPECT_EQ(d.RawRect, (TRect{-300, 0, 0, 10}));
}

TEST(StitchItem, MoveHomeWithoutStitchesAppendsTheRun) {
  TStitchItem d;
  d.Points = Recs({{sfColorChange, 4, 4}});
  d.MoveHome(1, 1);
  EXPECT_EQ(d.Points, Recs({{sfColorChange, 5, 5}, {sfJump, 0, 0}, {sfJump, 0, 0}}));
}

TEST(StitchItem, MoveHomeToAnAbsurdlyFarRecordInsertsBoundedJumps) {
  const struct {
    std::int32_t x;
    std::size_t records;  // start, the jump run, the stitch
  } cases[] = {
      {2'147'483'647, 4},          // one jump and its repeat
      {-2'147'483'647 - 1, 4},     // also at the far negative end
      {127 * 65'536, 65'536 + 3},  // the longest run still made step by step, and its repeat
      {127 * 65'537 + 1, 4},       // one step beyond
  };
  for (const auto& c : cases) {
    TStitchItem d;
    d.Points = Recs({{sfStart, 0, 0}, {sfStitch, c.x, 0}});
    d.MoveHome(0, 0);
    EXPECT_EQ(d.Points.size(), c.records) << c.x;
    EXPECT_EQ(d.Points.back(), (TEmbPoint{sfStitch, c.x, 0})) << c.x;
    EXPECT_EQ(d.Points[d.Points.size() - 2], (TEmbPoint{sfJump, c.x, 0})) << c.x;
  }
}

TEST(StitchItem, CopyKeepsTheViewRectangleOnce) {
  TStitchItem src;
  src.Points = Recs({{sfStitch, 1, 2}});
  src.Colors = {TEmbColor{1, 3, 0xFF, "n"}};
  src.Origin = {5, 6};
  src.Offset = {100, 200};
  src.RawRect = {1, 2, 3, 4};
  src.ViewRect = {-10, -20, 10, 20};
  src.Title = "src";
  TStitchItem d;
  d.Title = "mine";
  d.UniqueID = 9;
  d.Copy(src);
  EXPECT_EQ(d.Points, src.Points);
  EXPECT_EQ(d.Colors, src.Colors);
  EXPECT_EQ(d.GetViewRect(), src.GetViewRect()) << "the offset counts once";
  EXPECT_EQ(d.GetViewRect(), (TRect{90, 180, 110, 220}));
  EXPECT_EQ(d.Title, "mine");
  EXPECT_EQ(d.UniqueID, 9);
}

TEST(StitchItem, CenterPtTruncatesTowardZero) {
  TStitchItem d;
  d.ViewRect = {-3, -5, 0, 2};
  d.Offset = {1000, 1000};
  EXPECT_EQ(d.CenterPt(), (TPoint{-1, -1}));
}

TEST(StitchItem, LimitMovesSplitsLongMovesBetweenMovingRecords) {
  TStitchItem d;
  d.Points = Recs({{sfStart, 0, 0},
                   {sfStitch, 100, 0},
                   {sfColorChange, 900, 900},
                   {sfStitch, 400, 0},
                   {sfStitch, 400, -127}});
  EXPECT_EQ(d.LimitMoves(), 2);
  EXPECT_EQ(d.Points, Recs({{sfStart, 0, 0},
                            {sfStitch, 100, 0},
                            {sfColorChange, 900, 900},
                            {sfJump, 200, 0},
                            {sfJump, 300, 0},
                            {sfStitch, 400, 0},
                            {sfStitch, 400, -127}}));
  EXPECT_EQ(d.LimitMoves(), 0) << "idempotent";
}

TEST(StitchItem, LimitMovesMeasuresFromRecordZeroUntilTheFirstMovingRecord) {
  // The cut and the colour change carry no move: the jump is reached from the start record.
  TStitchItem d;
  d.Points = Recs({{sfStart, 0, 0}, {sfCut, 500, 0}, {sfColorChange, 5000, 0}, {sfJump, 128, 0}});
  EXPECT_EQ(d.LimitMoves(), 1);
  EXPECT_EQ(d.Points[3], (TEmbPoint{sfJump, 64, 0}));
  EXPECT_EQ(d.Points.size(), 5u);
}

TEST(StitchItem, LimitMovesRefusesAnAbsurdDesign) {
  TStitchItem d;
  d.Points = Recs({{sfStitch, -2'000'000'000, 0}, {sfStitch, 2'000'000'000, 0}});
  EXPECT_EQ(d.LimitMoves(), -1);
  EXPECT_EQ(d.Points.size(), 2u);
}
