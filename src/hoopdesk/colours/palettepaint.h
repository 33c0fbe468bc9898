// Palette rows as the colour frame and the colour settings dialog draw them: row i's number
// centred at x 30, the thread's swatch at (38, 8 + 40i) and its label from x 78; the selected
// row filled blue with white texts.
#pragma once

#include <cstdint>

class QPainter;
class TColorInfo;

struct TPaletteRowStyle {
  std::int32_t swatchBackground;  // of rows not selected: a COLORREF or kButtonFaceBackground
  bool hideUnselectable = false;  // no swatch for an entry the colour match may not choose
};

// Draws every entry of the palette; `selected` (-1 none) is filled blue with white text.
void PaintPaletteRows(QPainter& p, const TColorInfo& palette, int selected, int width,
                      const TPaletteRowStyle& style);
