#include "hoopdesk/docking/dockgrip.h"

#include <utility>

TGripStep TDockGrip::Press(bool onGrip, QPoint global) {
  armed_ = onGrip;
  dragging_ = false;
  press_ = global;
  return armed_ ? TGripStep::Take : TGripStep::Pass;
}

TGripStep TDockGrip::Move(QPoint global, bool leftHeld, int dragDistance) {
  if (!armed_ || !leftHeld) return TGripStep::Pass;
  if (!dragging_ && (global - press_).manhattanLength() < dragDistance) return TGripStep::Pass;
  dragging_ = true;
  return TGripStep::Drag;
}

TGripStep TDockGrip::Release() {
  if (!std::exchange(armed_, false)) return TGripStep::Pass;
  return std::exchange(dragging_, false) ? TGripStep::Drop : TGripStep::Click;
}
