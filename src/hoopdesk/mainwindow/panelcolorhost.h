// The colour settings dialog's view of the panel manager: its machines, their palettes and the
// server that rereads the system palette.
#pragma once

#include "hoopdesk/colours/colorsettinghost.h"

class TPanelManager;

class TPanelColorHost : public TColorSettingHost {
 public:
  explicit TPanelColorHost(TPanelManager& panels) : panels_(panels) {}

  int MachineCount() const override;
  std::string MachineAddress(int m) const override;
  TColorInfo* MachinePalette(int m) override;
  void LoadSysColors() override;

 private:
  TPanelManager& panels_;
};
