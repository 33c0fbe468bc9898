#include <gtest/gtest.h>

#include "hoopdesk/layout/layoutdrop.h"

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

}  // namespace
