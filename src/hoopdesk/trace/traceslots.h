// Which of the trace window's slots holds which machine's frame. Each slot keeps a machine index
// (-1: free) and whether it holds a frame; a slot handed to a machine without a record keeps the
// index but has no frame. Plain functions over the slots, so the window's choices are checked
// without frames.
#pragma once

#include <span>
#include <vector>

struct TTraceSlot {
  int machine = -1;
  bool framed = false;
};

// The slot holding the machine's frame, or -1.
int FramedSlot(std::span<const TTraceSlot> slots, int machine);

// The slot a new frame of the machine goes into: a slot without a frame that was already handed
// to the machine first, so no other slot keeps its index, else the first slot without a frame;
// -1 when every slot holds one.
int SlotForFrame(std::span<const TTraceSlot> slots, int machine);

// The slot handed to a machine that comes into view with machines first .. first + count - 1:
// the first whose machine lies outside that range (a free slot's -1 does); -1 for none.
int SlotToHandOver(std::span<const TTraceSlot> slots, int first, int count);

// The slots that take a cell when the frames are tiled, those with a frame and a machine, in
// ascending machine order.
std::vector<int> TiledSlots(std::span<const TTraceSlot> slots);
