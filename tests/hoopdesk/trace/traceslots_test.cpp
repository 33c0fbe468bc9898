// Which slot of the trace window holds which machine's frame.
#include "hoopdesk/trace/traceslots.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Slots = std::array<TTraceSlot, 6>;

// Machines 0..5 with frames, as after six machines came.
constexpr Slots kFull = {{{0, true}, {1, true}, {2, true}, {3, true}, {4, true}, {5, true}}};

TEST(TraceSlots, AFrameIsFoundOnlyWhereASlotHoldsOne) {
  const Slots slots = {{{3, false}, {3, true}, {-1, false}, {7, true}, {-1, false}, {-1, false}}};
  EXPECT_EQ(FramedSlot(slots, 3), 1);  // not the slot that kept the index without a frame
  EXPECT_EQ(FramedSlot(slots, 7), 3);
  EXPECT_EQ(FramedSlot(slots, 2), -1);
  EXPECT_EQ(FramedSlot(slots, -1), -1);  // free slots hold no frame
}

TEST(TraceSlots, ANewFrameTakesTheSlotKeptForItsMachineElseTheFirstFreeOne) {
  const struct {
    const char* what;
    Slots slots;
    int machine, want;
  } cases[] = {
      {"empty", {}, 4, 0},
      {"kept for the machine", {{{0, true}, {-1, false}, {4, false}}}, 4, 2},
      {"kept for another machine counts as free", {{{0, true}, {9, false}, {4, false}}}, 5, 1},
      {"all taken", kFull, 6, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(SlotForFrame(c.slots, c.machine), c.want) << c.what;
}

TEST(TraceSlots, TheSlotHandedOverIsTheFirstOutsideTheMachinesInView) {
  const struct {
    const char* what;
    Slots slots;
    int first, count, want;
  } cases[] = {
      {"scrolled down by one: machine 0 leaves", kFull, 1, 6, 0},
      {"scrolled up by one: machine 5 leaves",
       {{{1, true}, {2, true}, {3, true}, {4, true}, {5, true}, {6, true}}},
       0,
       6,
       5},
      {"every machine stays in view", kFull, 0, 6, -1},
      {"a free slot qualifies", {{{2, true}, {-1, false}}}, 2, 6, 1},
      {"the range's end is outside it", {{{7, true}, {6, true}}}, 1, 6, 0},
      {"no overflow at the top of the range", kFull, 2147483647, 1, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SlotToHandOver(c.slots, c.first, c.count), c.want) << c.what;
}

TEST(TraceSlots, FramesAreTiledInMachineOrderWithoutFramelessSlots) {
  const Slots slots = {{{6, true}, {1, true}, {2, false}, {-1, false}, {4, true}, {3, true}}};
  EXPECT_EQ(TiledSlots(slots), (std::vector<int>{1, 5, 4, 0}));
  EXPECT_EQ(TiledSlots(kFull), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_TRUE(TiledSlots(Slots{}).empty());
}

}  // namespace
