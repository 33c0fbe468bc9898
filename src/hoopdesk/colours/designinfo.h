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
