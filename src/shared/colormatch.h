#pragma once

#include "platform/wintypes.h"

// A colour in the CIE L*a*b*-like space that colour matching measures distances in.
struct TLabColor {
  double L = 0;
  double a = 0;
  double b = 0;
};

// The conversion of colour matching: channels squared, a fixed RGB-to-XYZ matrix, the
// reference white (96, 100, 109) and plain cube roots (no linear segment near black).
TLabColor ColorToLab(COLORREF color);
