// Colour-block operations that consult a palette.

#include "shared/colorinfo.h"
#include "shared/stitch.h"

bool TStitchItem::GetColor(int index, const TColorInfo* palette, TEmbColor& out) const {
  if (index < 0 || index >= GetColorCount()) {
    out = TEmbColor{};
    return false;
  }
  const auto& block = Colors[static_cast<std::size_t>(index)];
  out.Mark = block.Mark != 0 ? 1 : 0;
  out.Index = block.Index;
  if (palette != nullptr) {
    // A block whose entry the palette does not have (0xFF, or a shorter machine palette)
    // shows entry 0.
    if (palette->GetCount() <= out.Index) out.Index = 0;
    out.Color = palette->GetColor(out.Index);
  } else {
    out.Color = block.Color;
  }
  out.Name = block.Name;
  return true;
}

COLORREF TStitchItem::GetColor(int index, const TColorInfo* palette) const {
  TEmbColor c;
  GetColor(index, palette, c);
  return c.Color;
}

TNeedleColor TStitchItem::GetFirstNeedleColor(const TColorInfo* palette) {
  NeedleIndex = -1;
  return GetNextNeedleColor(palette);
}

TNeedleColor TStitchItem::GetNextNeedleColor(const TColorInfo* palette) {
  if (NeedleIndex < GetColorCount()) ++NeedleIndex;
  TEmbColor c;
  GetColor(NeedleIndex, palette, c);  // black beyond the last block
  TNeedleColor out{GetBValue(c.Color), GetGValue(c.Color), GetRValue(c.Color)};
  if (c.Mark != 0) {
    out.Blue = 255 - out.Blue;
    out.Green = 255 - out.Green;
    out.Red = 255 - out.Red;
  }
  return out;
}
