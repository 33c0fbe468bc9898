#include "hoopdesk/layout/layoutdrag.h"

#include <utility>

bool TLayoutDrag::Press(bool left, int hit, QPoint at) {
  shown_ = false;
  if (!left || hit < 0) return false;
  start_ = at;
  return !std::exchange(armed_, true);
}

bool TLayoutDrag::Move(bool leftHeld, bool designSelected) {
  if (!leftHeld || !designSelected || !armed_) return false;
  shown_ = true;
  return true;
}

TLayoutRelease TLayoutDrag::Release(bool left, bool designSelected) {
  const bool drop = left && designSelected && shown_;
  shown_ = false;
  return {drop, std::exchange(armed_, false)};
}
