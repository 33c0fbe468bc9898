#include "hoopdesk/docking/dockzone.h"

#include <array>

namespace {

// Left and top edges belong to the rectangle, right and bottom do not.
bool Inside(const TRect& r, TPoint p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

TDockZone GetDockZone(int width, int height, TPoint point) {
  const int w = width / 5;
  const int h = height / 5;
  struct Zone {
    TRect area;
    TDockAlign align;
    TRect preview;
  };
  const std::array<Zone, 5> zones = {{
      {{0, 0, w, height}, alLeft, {0, 0, width / 2, height}},
      {{w, 0, 4 * w, h}, alTop, {0, 0, width, height / 2}},
      {{4 * w, 0, width, height}, alRight, {width / 2, 0, width, height}},
      {{w, 4 * h, 4 * w, height}, alBottom, {0, height / 2, width, height}},
      {{w, h, 4 * w, 4 * h}, alClient, {w, h, 4 * w, 4 * h}},
  }};
  for (const Zone& zone : zones) {
    if (Inside(zone.area, point)) return {zone.align, zone.preview};
  }
  return {};
}

TDockPlacement DockPlacement(TDockAlign align) {
  switch (align) {
    case alClient:
      return {true, false, false};
    case alLeft:
      return {false, true, true};
    case alRight:
      return {false, true, false};
    case alTop:
      return {false, false, true};
    case alBottom:
    case alNone:
      break;
  }
  return {};
}
