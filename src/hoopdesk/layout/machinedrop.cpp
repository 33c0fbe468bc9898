#include "hoopdesk/layout/machinedrop.h"

int MachineAtPoint(std::span<const TSlotArea> areas, QPoint point) {
  for (const TSlotArea& slot : areas) {
    if (slot.machine >= 0 && slot.canTake && slot.rect.contains(point)) return slot.machine;
  }
  return -1;
}
