// Which machine panel takes a design let go at a point: the panel areas on screen, each with
// the machine it shows and whether that machine can take a design now.
#pragma once

#include <QPoint>
#include <QRect>
#include <span>

struct TSlotArea {
  QRect rect;        // in the coordinates of the point
  int machine = -1;  // -1: the slot shows no machine
  bool canTake = false;
};

// The machine of the first slot that contains the point and can take a design, or -1.
int MachineAtPoint(std::span<const TSlotArea> areas, QPoint point);
