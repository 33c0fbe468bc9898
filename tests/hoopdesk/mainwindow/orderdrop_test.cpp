// The Order list's drop rules: the row that shows the drop focus rectangle while a row is
// dragged, and what a drop moves.
#include "hoopdesk/mainwindow/orderdrop.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(OrderDrop, TheMarkFollowsTheRowUnderThePointer) {
  const struct {
    int over;
    bool moved;  // the old rectangle goes and the new one comes
    int mark;
  } steps[] = {
      {2, true, 2},    {2, false, 2},   // still over the same row: nothing is drawn again
      {0, true, 0},    {-1, true, -1},  // beside every row: no row is marked
      {-1, false, -1}, {1, true, 1},
  };
  TOrderDrop drop;
  EXPECT_EQ(drop.DropMark(), -1);
  for (const auto& s : steps) {
    EXPECT_EQ(drop.DragOver(s.over), s.moved) << s.over;
    EXPECT_EQ(drop.DropMark(), s.mark) << s.over;
  }
}

TEST(OrderDrop, ADropMovesOnlyFromASelectedRowOntoARow) {
  const struct {
    const char* what;
    int target, source;
    std::optional<TOrderMove> want;
  } cases[] = {
      {"onto another row", 2, 0, TOrderMove{0, 2}},
      {"upwards", 0, 2, TOrderMove{2, 0}},
      {"onto itself: told all the same", 1, 1, TOrderMove{1, 1}},
      {"beside every row", -1, 1, std::nullopt},
      {"nothing selected", 1, -1, std::nullopt},
  };
  for (const auto& c : cases) {
    TOrderDrop drop;
    drop.DragOver(c.target >= 0 ? c.target : 0);
    EXPECT_EQ(drop.DragDrop(c.target, c.source), c.want) << c.what;
    EXPECT_EQ(drop.DropMark(), -1) << c.what << ": the rectangle goes with the drop";
  }
  TOrderDrop cancelled;
  cancelled.DragOver(1);
  cancelled.Cancel();
  EXPECT_EQ(cancelled.DropMark(), -1);
}

}  // namespace
