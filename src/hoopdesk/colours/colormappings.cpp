#include "hoopdesk/colours/colormappings.h"

#include <algorithm>

#include "shared/colorinfo.h"

void TColorMappings::Record(int block, const TEmbColor& color) {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [block](const TIndexColor& e) { return e.block == block; });
  if (found != entries_.end()) {
    found->color = color;
  } else {
    entries_.push_back({block, color});
  }
}

void TColorMappings::Apply(TStitchItem& design, const TColorInfo* palette) const {
  if (palette == nullptr) return;
  design.ColorMatch(palette);
  for (const TIndexColor& e : entries_) design.SetColor(e.block, e.color);
}

bool DropPaletteEntry(TStitchItem& design, int block, const TColorInfo& palette, int entry,
                      TColorFrameMode mode, TColorMappings& mappings) {
  if (block < 0 || block >= design.GetColorCount() || entry < 0 || entry >= palette.GetCount())
    return false;
  TEmbColor c;
  design.GetColor(block, nullptr, c);
  if (mode == TColorFrameMode::Recolour) {
    c.Color = palette.GetColor(entry);
    c.Name = palette.GetLabel(entry);
  } else {
    c.Index = static_cast<std::uint8_t>(entry);
    c.Mark = 0;
    mappings.Record(block, c);
  }
  c.Mark = 0;
  design.SetColor(block, c);
  return true;
}
