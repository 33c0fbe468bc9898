// Geometry of the colour rows that the colour frame and the colour dialogs draw: one row every
// 40 pixels from y = 8, the swatch at x = 38.
#pragma once

inline constexpr int kColorRowPitch = 40;
inline constexpr int kColorRowTop = 8;
inline constexpr int kColorSwatchX = 38;
inline constexpr int kColorSwatchSize = 32;

// The row under (x, y), or -1 between rows. With band set, x must also lie on the swatch
// column (38..70), as for the design's blocks.
constexpr int ColorRowAt(int x, int y, bool band) {
  if (band && (x < kColorSwatchX || x > kColorSwatchX + kColorSwatchSize)) return -1;
  const int dy = y - kColorRowTop;
  if (dy < 0) return -1;
  const int row = dy / kColorRowPitch;
  return dy - kColorRowPitch * row <= kColorSwatchSize ? row : -1;
}

// Height of a panel of count rows.
constexpr int ColorPanelHeight(int count) { return kColorRowPitch * count + 4; }
