// Where a docked window dropped on a dock site goes: the site is cut into fifths, the outer
// fifths are the sides and the middle is the page (client) zone.
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
