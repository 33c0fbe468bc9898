#include "hoopdesk/colours/colorsettingmodel.h"

#include "hoopdesk/colours/colorrows.h"
#include "hoopdesk/colours/colorsettinghost.h"
#include "pelsrvapi/messageids.h"
#include "shared/colorinfo.h"
#include "shared/util.h"

namespace {

// An added entry is white, without a label, and may be chosen by colour matching like the
// built-in colours.
TSTITCH_COLOR NewEntry() { return {RGB(255, 255, 255), 1, {}, {}}; }

}  // namespace

TColorSettingModel::TColorSettingModel(TColorInfo& system, TColorSettingHost& host, int machine)
    : system_(system), host_(host), machine_(machine) {}

const TColorInfo* TColorSettingModel::MachinePalette() const {
  return machine_ >= 0 ? host_.MachinePalette(machine_) : nullptr;
}

bool TColorSettingModel::SelValid() const {
  return selEntry_ >= 0 && selEntry_ < system_.GetCount();
}

TColorSettingModel::TButtons TColorSettingModel::Buttons() const {
  TButtons b;
  b.add = system_.GetCount() < kMaxSystemColors;
  b.del = b.edit = b.color = SelValid();
  b.up = SelValid() && selEntry_ >= 1;
  b.down = SelValid() && selEntry_ < system_.GetCount() - 1;
  return b;
}

bool TColorSettingModel::Press(int r) {
  if (r < 0 || r >= system_.GetCount()) return false;
  selEntry_ = r;
  return true;
}

bool TColorSettingModel::BeginDrag(int r) {
  selEntry_ = r >= 0 && r < system_.GetCount() ? r : -1;
  return selEntry_ >= 0;
}

bool TColorSettingModel::DropOnSystem(int r) {
  const int from = selEntry_;
  if (!SelValid() || !system_.Move(from, r)) return false;
  if (r < from) selEntry_ = r;
  if (r > from) selEntry_ = r - 1;
  return true;
}

bool TColorSettingModel::DropOnMachine(int j) {
  TColorInfo* palette = machine_ >= 0 ? host_.MachinePalette(machine_) : nullptr;
  if (!SelValid() || palette == nullptr || j < 0 || j >= palette->GetCount()) return false;
  palette->SetColor(j, system_.GetColor(selEntry_));
  palette->SetLabel(j, system_.GetLabel(selEntry_));
  return true;
}

bool TColorSettingModel::Step(int delta) {
  const int next = StepRow(selEntry_, delta, system_.GetCount());
  if (next < 0) return false;
  selEntry_ = next;
  return true;
}

void TColorSettingModel::Add() {
  if (system_.GetCount() >= kMaxSystemColors) return;
  selEntry_ = system_.Insert(SelValid() ? selEntry_ : -1, NewEntry());
}

void TColorSettingModel::Delete() {
  if (!SelValid()) return;
  const int n = system_.Delete(selEntry_);
  if (n == 0) {
    selEntry_ = -1;
  } else if (n <= selEntry_) {
    selEntry_ = n - 1;
  }
}

void TColorSettingModel::SetLabel(std::string text) {
  if (SelValid()) system_.SetLabel(selEntry_, std::move(text));
}

void TColorSettingModel::SetColor(COLORREF color) {
  if (SelValid()) system_.SetColor(selEntry_, color);
}

bool TColorSettingModel::Up() {
  if (!SelValid() || !system_.Move(selEntry_, selEntry_ - 1)) return false;
  --selEntry_;
  return true;
}

bool TColorSettingModel::Down() {
  if (!SelValid() || !system_.Move(selEntry_, selEntry_ + 2)) return false;
  ++selEntry_;
  return true;
}

void TColorSettingModel::ChangeMachine(int machine) {
  SaveTables();
  machine_ = machine;
}

bool TColorSettingModel::Save(TColorInfo& table) {
  const bool modified = table.IsModified();
  if (table.SaveColors()) return true;
  if (modified) ShowMessageBox(true, kMsgSaveFailed, table.GetFileName());
  return false;
}

void TColorSettingModel::SaveTables() {
  if (Save(system_)) saved_ = true;
  if (machine_ >= 0) {
    if (TColorInfo* palette = host_.MachinePalette(machine_); palette && Save(*palette))
      saved_ = true;
  }
  if (saved_) host_.LoadSysColors();
}
