// Where a dock form dropped on a dock site goes: the site is cut into fifths, the outer fifths
// are the sides and the middle is the page (client) zone. A side tiles the dropped form with the
// one it was dropped on; the middle makes them pages.
#pragma once

#include "platform/wintypes.h"

// The component library's alignment values, which the dock handlers pass on.
enum TDockAlign : int {
  alNone = 0,
  alTop = 1,
  alBottom = 2,
  alLeft = 3,
  alRight = 4,
  alClient = 5,
};

struct TDockZone {
  TDockAlign align = alNone;
  TRect preview;  // in the site's client coordinates; all 0 for alNone
};

// The zone of a site of width x height under the point (site client coordinates).
TDockZone GetDockZone(int width, int height, TPoint point);

// How a form dropped in a zone is placed.
struct TDockPlacement {
  bool pages = false;         // the middle: both forms become pages, the dropped one shown
  bool sideBySide = false;    // left or right: tiled side by side; top or bottom: stacked
  bool droppedFirst = false;  // the dropped form goes left of or above the other
};

// The placement for a side zone or the middle; a form is never docked for none.
TDockPlacement DockPlacement(TDockAlign align);
