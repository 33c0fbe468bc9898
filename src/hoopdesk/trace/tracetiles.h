// How the trace window lays out its frames: a grid chosen by their number, filled row by row,
// above the legend.
#pragma once

#include <QRect>
#include <vector>

struct TTraceGrid {
  int columns = 0;
  int rows = 0;
};

// 1 x 1 for one frame, 2 x 1 for two, 2 x 2 for three or four, 3 x 2 for five or six; an empty
// grid for none or more than six.
TTraceGrid TraceGrid(int count);

// The cells of `count` frames in an area of width x height, in frame order; empty when the grid
// is.
std::vector<QRect> TraceTiles(int count, int width, int height);
