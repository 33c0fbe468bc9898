#include "hoopdesk/trace/tracetiles.h"

TTraceGrid TraceGrid(int count) {
  switch (count) {
    case 1:
      return {1, 1};
    case 2:
      return {2, 1};
    case 3:
    case 4:
      return {2, 2};
    case 5:
    case 6:
      return {3, 2};
    default:
      return {};
  }
}

std::vector<QRect> TraceTiles(int count, int width, int height) {
  const TTraceGrid grid = TraceGrid(count);
  std::vector<QRect> cells;
  if (grid.columns == 0) return cells;
  const int cellWidth = width / grid.columns;
  const int cellHeight = height / grid.rows;
  for (int k = 0; k < count; ++k)
    cells.emplace_back((k % grid.columns) * cellWidth, (k / grid.columns) * cellHeight, cellWidth,
                       cellHeight);
  return cells;
}
