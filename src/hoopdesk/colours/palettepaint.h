// Palette rows as the colour dialogs draw them: row i from y = 4 + 40i to 44 + 40i, its number
// centred at x 30, the thread's swatch at (38, 8 + 40i) and its label from x 78.
#pragma once

#include <QImage>
#include <cstdint>

#include "platform/wintypes.h"

class QPainter;
class TColorInfo;

inline constexpr int kPaletteRowPitch = 40;
inline constexpr int kPaletteRowTop = 8;

// Height of a panel that holds `count` rows.
int PaletteHeight(int count);

// The row under (x, y) of a panel `width` wide: -1 outside 0..width, and in the 8 pixels
// between two rows' hit areas.
int PaletteRowAt(int x, int y, int width);

// The swatch of a thread colour on `background` (kButtonFaceBackground for the button face).
QImage SwatchImage(COLORREF color, std::int32_t background, bool marked = false);

// Draws every entry of the palette; `selected` (-1 none) is filled blue with white text.
void PaintPaletteRows(QPainter& p, const TColorInfo& palette, int selected, int width);
