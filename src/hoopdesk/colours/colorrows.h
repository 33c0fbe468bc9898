// Geometry of the colour rows that the colour frame and the colour settings dialog draw: one
// row every 40 pixels from y = 8, the swatch at x = 38, a hit band 32 pixels high. The one
// place these numbers are written; painting, hit tests, panel heights and scrolling follow it.
#pragma once

#include <QRect>

inline constexpr int kColorRowPitch = 40;
inline constexpr int kColorRowTop = 8;
inline constexpr int kColorSwatchX = 38;
inline constexpr int kColorSwatchSize = 32;

// The top of row `row`'s swatch; the row itself reaches from 4 above it to 36 below.
constexpr int ColorRowY(int row) { return kColorRowTop + kColorRowPitch * row; }

// The row under (x, y), or -1 between rows. With band set, x must also lie on the swatch
// column (38..70), as for the design's blocks.
constexpr int ColorRowAt(int x, int y, bool band) {
  if (band && (x < kColorSwatchX || x > kColorSwatchX + kColorSwatchSize)) return -1;
  const int dy = y - kColorRowTop;
  if (dy < 0) return -1;
  const int row = dy / kColorRowPitch;
  return dy - kColorRowPitch * row <= kColorSwatchSize ? row : -1;
}

// The row under (x, y) of a panel `width` wide: -1 also left or right of the panel.
constexpr int ColorRowInPanel(int x, int y, int width) {
  return x < 0 || x > width ? -1 : ColorRowAt(x, y, false);
}

// Height of a panel of count rows.
constexpr int ColorPanelHeight(int count) { return kColorRowPitch * count + 4; }

// The scroll position that shows row `index` in a box `height` high now scrolled to
// `position`: scrolled up to a row above the box, down to make a row below it the last one
// shown, unchanged for a row already shown.
constexpr int ScrollToShowRow(int index, int position, int height) {
  const int y = ColorRowY(index);
  if (position > y) return y;
  if (height + position - kColorSwatchSize < y) return y - (height - kColorRowPitch);
  return position;
}

// The row an arrow key moves a selection to, or -1 when it would leave the `count` rows.
constexpr int StepRow(int selected, int delta, int count) {
  const int next = selected + delta;
  return next >= 0 && next < count ? next : -1;
}

// A row filled as selected: the whole width of its panel, from 4 above the swatch.
inline QRect ColorRowRect(int row, int width) {
  return QRect(0, ColorRowY(row) - 4, width, kColorRowPitch);
}

// The colour frame's controls on its rows: a block's name field and a palette entry's check
// box.
inline QRect BlockNameRect(int row) { return QRect(94, ColorRowY(row) + 4, 160, 23); }
inline QRect EntryCheckRect(int row) { return QRect(4, ColorRowY(row) + 8, 17, 17); }
// The frame around the marked block's swatch, filled with the block's colour.
inline QRect MarkedBlockRect(int row) {
  return QRect(QPoint(kColorSwatchX - 1, ColorRowY(row) - 4),
               QPoint(kColorSwatchX + kColorSwatchSize + 1, ColorRowY(row) + 35));
}
