#include <gtest/gtest.h>

#include <array>

#include "hoopdesk/layout/layoutdrop.h"
#include "hoopdesk/layout/machinedrop.h"

namespace {

TEST(LayoutDrop, TrashBeforeMachineBeforeTheLayoutItself) {
  const struct {
    bool trash;
    int machine;
    bool inside;
    TLayoutDrop want;
  } cases[] = {{true, 2, true, TLayoutDrop::Trash},  {true, -1, false, TLayoutDrop::Trash},
               {false, 2, true, TLayoutDrop::Queue}, {false, 0, false, TLayoutDrop::Queue},
               {false, -1, true, TLayoutDrop::Move}, {false, -1, false, TLayoutDrop::None}};
  for (const auto& c : cases)
    EXPECT_EQ(DecideLayoutDrop(c.trash, c.machine, c.inside), c.want)
        << c.trash << " " << c.machine << " " << c.inside;
}

TEST(MachineDrop, OnlyASlotThatShowsAMachineThatCanTakeADesign) {
  const std::array<TSlotArea, 3> areas = {{{QRect(0, 0, 100, 50), 4, true},
                                           {QRect(0, 60, 100, 50), 5, false},
                                           {QRect(0, 120, 100, 50), -1, true}}};
  EXPECT_EQ(MachineAtPoint(areas, QPoint(10, 10)), 4);
  EXPECT_EQ(MachineAtPoint(areas, QPoint(99, 49)), 4);
  EXPECT_EQ(MachineAtPoint(areas, QPoint(100, 10)), -1);
  EXPECT_EQ(MachineAtPoint(areas, QPoint(10, 70)), -1);   // cannot take one
  EXPECT_EQ(MachineAtPoint(areas, QPoint(10, 130)), -1);  // no machine in the slot
  EXPECT_EQ(MachineAtPoint(areas, QPoint(10, 55)), -1);   // between slots
}

}  // namespace
