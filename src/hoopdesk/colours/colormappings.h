// The operator's own colour assignments of the colour frame: which palette entry a design's
// colour block takes. The automatic nearest-colour match runs again whenever the palette's
// selectable entries change; the assignments are applied after it, so they survive.
#pragma once

#include <vector>

#include "shared/stitch.h"

class TColorInfo;

// How a dropped palette entry changes a block: recolour it (the browser's dialog), or assign
// the entry as its needle (the queued-design dialog and the main window).
enum class TColorFrameMode : int { Recolour = 0, DialogNeedles = 1, MainNeedles = 2 };

struct TIndexColor {
  int block = -1;
  TEmbColor color;
};

class TColorMappings {
 public:
  void Clear() { entries_.clear(); }
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::vector<TIndexColor>& Entries() const { return entries_; }
  // Replaces the assignment of the block, or appends one.
  void Record(int block, const TEmbColor& color);
  // Matches every block to the palette's nearest selectable entry, then applies the
  // assignments in order. Nothing without a palette.
  void Apply(TStitchItem& design, const TColorInfo* palette) const;

 private:
  std::vector<TIndexColor> entries_;
};

// Drops palette entry `entry` on colour block `block`: in recolour mode the block takes the
// entry's colour and label and keeps its palette index; in the needle modes it takes the
// entry as its palette index and the assignment is recorded. The block's mark is cleared.
// False, with nothing changed, for a block or entry out of range.
bool DropPaletteEntry(TStitchItem& design, int block, const TColorInfo& palette, int entry,
                      TColorFrameMode mode, TColorMappings& mappings);
