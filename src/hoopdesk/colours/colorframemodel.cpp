#include "hoopdesk/colours/colorframemodel.h"

#include "hoopdesk/colours/colorrows.h"
#include "shared/colorinfo.h"

// Set up again over the same design, the block marked so far is no longer chosen: its mark
// goes with the choice, or the layout would keep drawing it inverted.
void TColorFrameModel::DropMarkOf(const TStitchItem* design) {
  if (design != nullptr && design == design_ && selDst_ >= 0) design_->ClearMark(selDst_);
  selDst_ = -1;
}

void TColorFrameModel::SetupMain(TStitchItem* design) {
  DropMarkOf(design);
  design_ = design;
  mode_ = TColorFrameMode::MainNeedles;
}

void TColorFrameModel::SetupDialog(TStitchItem* design, TColorInfo* palette, TColorFrameMode mode) {
  DropMarkOf(design);
  design_ = design;
  mode_ = mode;
  dialogPalette_ = palette;
  machine_ = -1;
  dataMode_ = false;
}

TColorInfo* TColorFrameModel::Palette() const {
  if (mode_ != TColorFrameMode::MainNeedles) return dialogPalette_;
  return machine_ >= 0 && machinePalette_ ? machinePalette_(machine_) : nullptr;
}

bool TColorFrameModel::TakeChanged() {
  const bool was = changed_;
  changed_ = false;
  return was;
}

std::optional<TColorFrameModel::TRefresh> TColorFrameModel::ChooseMachine(int machine) {
  if (!machinePalette_) return std::nullopt;
  mappings_.Clear();
  machine_ = machine;
  return Rematch();
}

TColorFrameModel::TRefresh TColorFrameModel::Rematch() {
  TRefresh refresh;
  if (design_ != nullptr) {
    mappings_.Apply(*design_, Palette());
    refresh.names = !dataMode_;
  }
  changed_ = true;
  return refresh;
}

TColorFrameModel::TRefresh TColorFrameModel::Check(int j, bool on) {
  TColorInfo* palette = Palette();
  if (palette == nullptr) return {};
  palette->SetFlag(j, on);
  TRefresh refresh = Rematch();
  refresh.layout = !dataMode_;
  return refresh;
}

bool TColorFrameModel::PressBlock(int r) {
  if (design_ == nullptr || r < 0 || r >= design_->GetColorCount()) return false;
  if (selDst_ >= 0) design_->ClearMark(selDst_);
  if (r == selDst_) {
    selDst_ = -1;
  } else {
    selDst_ = r;
    design_->SetMark(r);
  }
  changed_ = true;
  return true;
}

bool TColorFrameModel::PressEntry(int r) {
  const TColorInfo* palette = Palette();
  if (palette == nullptr || r < 0 || r >= palette->GetCount()) return false;
  selSrc_ = r;
  return true;
}

bool TColorFrameModel::CanDrag() const {
  const TColorInfo* palette = Palette();
  if (palette == nullptr || selSrc_ < 0 || selSrc_ >= palette->GetCount()) return false;
  return mode_ != TColorFrameMode::DialogNeedles || palette->GetFlag(selSrc_);
}

bool TColorFrameModel::CanDropOn(int r) const {
  return !dataMode_ && design_ != nullptr && r >= 0 && r < design_->GetColorCount();
}

bool TColorFrameModel::Drop(int r) {
  const TColorInfo* palette = Palette();
  if (!CanDropOn(r) || palette == nullptr ||
      !DropPaletteEntry(*design_, r, *palette, selSrc_, mode_, mappings_))
    return false;
  // No block is selected after a drop: the one that was marked loses its mark too, or no later
  // press could clear it and the layout would keep drawing it inverted.
  if (selDst_ >= 0) design_->ClearMark(selDst_);
  selDst_ = -1;
  changed_ = true;
  return true;
}

bool TColorFrameModel::Step(int delta) {
  const TColorInfo* palette = Palette();
  if (palette == nullptr) return false;
  const int next = StepRow(selSrc_, delta, palette->GetCount());
  if (next < 0) return false;
  selSrc_ = next;
  return true;
}

bool TColorFrameModel::CanRecolourEntry() const {
  return mode_ == TColorFrameMode::Recolour && selSrc_ >= 0 && Palette() != nullptr;
}

bool TColorFrameModel::RecolourEntry(COLORREF colour) {
  TColorInfo* palette = Palette();
  if (!CanRecolourEntry() || selSrc_ >= palette->GetCount()) return false;
  palette->SetColor(selSrc_, colour);
  return true;
}

std::string TColorFrameModel::BlockText(int i, bool labels) const {
  TEmbColor c;
  if (design_ == nullptr || !design_->GetColor(i, nullptr, c)) return {};
  if (!labels) return c.Name;
  const TColorInfo* palette = Palette();
  return palette != nullptr ? palette->GetLabel(c.Index) : std::string();
}

void TColorFrameModel::SetBlockName(int i, std::string name) {
  TEmbColor c;
  if (design_ == nullptr || !design_->GetColor(i, nullptr, c)) return;
  c.Name = std::move(name);
  design_->SetColor(i, c);
}
