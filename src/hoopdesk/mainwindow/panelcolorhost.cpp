#include "hoopdesk/mainwindow/panelcolorhost.h"

#include "hoopdesk/panels/panelmanager.h"

int TPanelColorHost::MachineCount() const { return panels_.GetMachineCount(); }

std::string TPanelColorHost::MachineAddress(int m) const {
  const TMachineRecord* record = panels_.GetMachine(m);
  return record ? record->address : std::string();
}

TColorInfo* TPanelColorHost::MachinePalette(int m) {
  TMachineRecord* record = panels_.GetMachine(m);
  return record ? &record->palette : nullptr;
}

// The result is of no use here: the server reads the table again at its next start anyway.
void TPanelColorHost::LoadSysColors() {
  if (IPelSrv* service = panels_.GetService()) service->LoadSysColors();
}
