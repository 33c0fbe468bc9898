#include "hoopdesk/trace/traceslots.h"

#include <algorithm>
#include <cstdint>

namespace {

int FirstSlot(std::span<const TTraceSlot> slots, auto take) {
  const auto found = std::find_if(slots.begin(), slots.end(), take);
  return found != slots.end() ? static_cast<int>(found - slots.begin()) : -1;
}

}  // namespace

int FramedSlot(std::span<const TTraceSlot> slots, int machine) {
  return FirstSlot(slots,
                   [machine](const TTraceSlot& s) { return s.framed && s.machine == machine; });
}

int SlotForFrame(std::span<const TTraceSlot> slots, int machine) {
  const int kept = FirstSlot(
      slots, [machine](const TTraceSlot& s) { return !s.framed && s.machine == machine; });
  return kept >= 0 ? kept : FirstSlot(slots, [](const TTraceSlot& s) { return !s.framed; });
}

int SlotToHandOver(std::span<const TTraceSlot> slots, int first, int count) {
  const std::int64_t end = std::int64_t{first} + count;
  return FirstSlot(
      slots, [first, end](const TTraceSlot& s) { return s.machine < first || s.machine >= end; });
}

std::vector<int> TiledSlots(std::span<const TTraceSlot> slots) {
  std::vector<int> tiled;
  for (std::size_t k = 0; k < slots.size(); ++k)
    if (slots[k].framed && slots[k].machine >= 0) tiled.push_back(static_cast<int>(k));
  std::stable_sort(tiled.begin(), tiled.end(), [slots](int a, int b) {
    return slots[static_cast<std::size_t>(a)].machine < slots[static_cast<std::size_t>(b)].machine;
  });
  return tiled;
}
