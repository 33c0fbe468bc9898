// The synchronised group as the server reports it: while a group exists only its members stay
// shown and enabled on the Send tab, and the speed controls appear.
#include "hoopdesk/panels/panelmanager.h"

void TPanelManager::SyncSetup(std::int32_t mode, TCookie cookie, bool inGroup) {
  syncMode_ = mode;
  const TDevNo d = FindMachineByCookie(cookie);
  TMachineRecord* record = GetMachine(d);
  if (!record) return;
  if (mode > 0) {
    record->inSyncGroup = inGroup;
    if (machines_.SyncGroupSize() > 0) {
      for (TDevNo j = 0; j < GetMachineCount(); ++j) {
        const bool member = GetMachine(j)->inSyncGroup;
        SetShown(j, member);
        SetEnabled(j, member);
      }
      slots_.ShowSpeedControls(true);
    } else {
      // A set-up that names no member leaves every panel in view.
      ShowAllPanels();
    }
    RefreshPanelImages();
  } else if (machines_.SyncGroupSize() > 0) {
    if (record->inSyncGroup) {
      record->inSyncGroup = false;
      if (machines_.SyncGroupSize() == 0) {
        ShowAllPanels();
      } else {
        SetShown(d, false);
        SetEnabled(d, false);
      }
    }
    RefreshPanelImages();
  }
  UpdateSewImage(d);
}

void TPanelManager::ShowAllPanels() {
  for (TDevNo j = 0; j < GetMachineCount(); ++j) {
    SetShown(j, true);
    SetEnabled(j, GetMachine(j)->online);
  }
  slots_.ShowSpeedControls(false);
}
