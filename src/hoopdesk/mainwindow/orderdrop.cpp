#include "hoopdesk/mainwindow/orderdrop.h"

bool TOrderDrop::DragOver(int item) {
  if (item == dropMark_) return false;
  dropMark_ = item;
  return true;
}

std::optional<TOrderMove> TOrderDrop::DragDrop(int target, int source) {
  dropMark_ = -1;
  if (target < 0 || source < 0) return std::nullopt;
  return TOrderMove{source, target};
}
