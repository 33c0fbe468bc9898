#include "shared/colorinfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TSTITCH_COLOR Entry(const std::string& label, COLORREF color = 0) {
  return {color, 1, label, "note " + label};
}

std::vector<std::string> Labels(const TColorInfo& p) {
  std::vector<std::string> out;
  for (int i = 0; i < p.GetCount(); ++i) out.push_back(p.GetLabel(i));
  return out;
}

TColorInfo Abc() {
  TColorInfo p;
  for (const char* l : {"A", "B", "C"}) p.Insert(-1, Entry(l));
  return p;
}

TEST(ColorInfo, NewPaletteIsEmptyAndUnmodified) {
  TColorInfo p;
  EXPECT_EQ(p.GetCount(), 0);
  EXPECT_FALSE(p.IsModified());
  EXPECT_EQ(p.GetSection(), "");
  EXPECT_EQ(p.GetFileName(), "");
}

TEST(ColorInfo, InvalidIndexesAreIgnored) {
  TColorInfo p = Abc();
  for (int i : {-1, 3, 1000}) {
    EXPECT_EQ(p.GetColor(i), 0u);
    EXPECT_EQ(p.GetRGB(i), TRGBValues{});
    EXPECT_FALSE(p.GetFlag(i));
    EXPECT_EQ(p.GetLabel(i), "");
    p.SetColor(i, 5);
    p.SetFlag(i, true);
    p.SetLabel(i, "x");
    EXPECT_EQ(p.Delete(i), 3);
  }
  EXPECT_EQ(Labels(p), (std::vector<std::string>{"A", "B", "C"}));
}

TEST(ColorInfo, GetRgbGivesBlueGreenRed) {
  TColorInfo p;
  p.Insert(-1, Entry("x", RGB(10, 20, 30)));
  EXPECT_EQ(p.GetRGB(0), (TRGBValues{30, 20, 10}));
}

TEST(ColorInfo, MoveFollowsInsertBeforeRule) {
  struct Case {
    int from, to;
    bool ok;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {0, 2, true, {"B", "A", "C"}},   {2, 0, true, {"C", "A", "B"}},
      {0, 3, true, {"B", "C", "A"}},   {1, 1, true, {"A", "B", "C"}},
      {0, 4, false, {"A", "B", "C"}},  {3, 0, false, {"A", "B", "C"}},
      {-1, 0, false, {"A", "B", "C"}}, {0, -1, false, {"A", "B", "C"}},
  };
  for (const Case& c : cases) {
    TColorInfo p = Abc();
    EXPECT_EQ(p.Move(c.from, c.to), c.ok) << c.from << "->" << c.to;
    EXPECT_EQ(Labels(p), c.labels) << c.from << "->" << c.to;
  }
}

TEST(ColorInfo, InsertPositions) {
  TColorInfo empty;
  EXPECT_EQ(empty.Insert(-1, Entry("e")), 0);
  EXPECT_TRUE(empty.IsModified());

  TColorInfo p = Abc();
  TColorInfo untouched = Abc();
  EXPECT_EQ(untouched.Insert(5, Entry("e")), 5);
  EXPECT_EQ(untouched.Insert(3, Entry("e")), 3);
  EXPECT_EQ(untouched.GetCount(), 3);

  EXPECT_EQ(p.Insert(1, Entry("X")), 1);
  EXPECT_EQ(Labels(p), (std::vector<std::string>{"A", "X", "B", "C"}));
  EXPECT_EQ(p.GetEntry(1).Note, "note X");  // all four fields are copied
}

TEST(ColorInfo, DeleteReturnsNewCount) {
  TColorInfo p = Abc();
  EXPECT_EQ(p.Delete(0), 2);
  EXPECT_EQ(Labels(p), (std::vector<std::string>{"B", "C"}));
}

TEST(ColorInfo, BuiltinColours) {
  EXPECT_EQ(BuiltinColor(0), RGB(0, 0, 255));
  EXPECT_EQ(BuiltinColor(29), RGB(160, 0, 0));
  EXPECT_EQ(BuiltinColor(45), RGB(192, 192, 192));
  EXPECT_EQ(BuiltinColor(59), RGB(255, 255, 255));
  EXPECT_EQ(BuiltinColor(60), 0u);
  EXPECT_EQ(BuiltinColor(-1), 0u);
}

}  // namespace
