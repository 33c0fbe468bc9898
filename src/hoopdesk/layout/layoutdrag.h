// The gesture of dragging a design out of the layout window's drawing panel. A left press on a
// design arms it; a move with the left button held and a design selected shows the outline;
// only a release of the left button after such a move drops the design, so a click selects a
// design without moving or queueing it. Points are the panel's, so a design moves by exactly the
// distance the pointer went.
#pragma once

#include <QPoint>

struct TLayoutRelease {
  bool drop = false;    // the selected design goes where the pointer is (DecideLayoutDrop)
  bool disarm = false;  // the gesture was armed: its drag cursor goes
};

class TLayoutDrag {
 public:
  // A press on design `hit` (-1: none); left: of the left button. True when it arms a gesture
  // that was not armed (the drag cursor comes then). Any press hides the outline.
  bool Press(bool left, int hit, QPoint at);
  // A move; leftHeld: the left button is down. True when the outline follows it.
  bool Move(bool leftHeld, bool designSelected);
  // A release of any button ends the gesture.
  TLayoutRelease Release(bool left, bool designSelected);

  // How far the pointer went from the arming press.
  QPoint Offset(QPoint at) const { return at - start_; }

 private:
  QPoint start_;
  bool armed_ = false;  // the left button went down on a design
  bool shown_ = false;  // the outline is shown: the pointer moved with the button held
};
