// The gesture that drags a dock form by one of its grips: the main window's page tabs and a
// tiled form's grabber (the Order list moves its rows by the same gesture). A left press on the
// grip arms it; a move with the button held, once the pointer has gone the drag distance, drags the
// form; the release drops it where the pointer is, or is a plain click on the grip when the form
// was not dragged.
#pragma once

#include <QPoint>

enum class TGripStep {
  Pass,   // not the gesture's: the grip widget handles the event as usual
  Take,   // the arming press: taken, nothing to do yet
  Drag,   // the form follows the pointer (TFDockForm::DockDragMove)
  Drop,   // the drag ends here (TFDockForm::DockDragEnd)
  Click,  // released without a drag: the grip's own click
};

class TDockGrip {
 public:
  // A press; onGrip: the left button went down on a grip. Any press starts the gesture anew.
  TGripStep Press(bool onGrip, QPoint global);
  // A move; leftHeld: the left button is down. dragDistance: the platform's drag start
  // distance, as a Manhattan length.
  TGripStep Move(QPoint global, bool leftHeld, int dragDistance);
  // A release of any button ends the gesture.
  TGripStep Release();

  bool Armed() const { return armed_; }

 private:
  bool armed_ = false;
  bool dragging_ = false;
  QPoint press_;
};
