// The texts of the design colours dialog's foot: size in millimetres, stitches, colours, and
// for a machine's queued design the extents around its origin (0.1 mm) and the drawing scale.
#pragma once

#include <QString>

#include "platform/wintypes.h"

struct TDesignInfoTexts {
  QString width, height, stitches, colors;
  QString x1, x2, y1, y2, scale;
};

// rawRect in 0.1 mm; zoom in percent. The extents and the scale are filled only with
// `extents` set (needle mode).
TDesignInfoTexts MakeDesignInfoTexts(const TRect& rawRect, int stitches, int colors, int zoom,
                                     bool extents);

// Where the design's origin (0, 0) lies in a picture w x h pixels that shows the design drawn
// at `zoom` percent around the centre of its raw rectangle (0.1 mm). Worked in 64 bits: a
// design's centre may lie anywhere in the 32-bit range.
TPoint DesignOriginPoint(const TRect& rawRect, int zoom, int w, int h);
