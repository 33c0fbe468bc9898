// The machine poll of the main window's timer, the alarm of each machine (set, blinking,
// acknowledged, cleared), the sew button and the synchronised group's speed.
#include "hoopdesk/machines/eventrules.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/panels/pelsrvevents.h"

void TPanelManager::PollMachines(std::int32_t pollCount) {
  if (!Server()) return;
  for (int i = 0; i < GetMachineCount(); ++i) {
    BlinkAlarm(i, (pollCount & 1) != 0);
    const TMachineRecord* record = GetMachine(i);
    // Networked machines report by themselves unless they are in error.
    if (!record || (record->alarmMode != 1 && record->connInfo.tcpip != 0)) continue;
    const TCookie cookie = record->cookie;
    std::uint8_t status = 0;
    std::uint32_t stitch = 0;
    std::int32_t error = 0;
    IPelSrvObject* server = Server();
    if (!server) return;
    server->OnTimer(cookie, pollCount, &status, &stitch, &error);
    if (status != 0 && trace_ && GetMachine(i))
      trace_->SetTraceState(i, status, static_cast<std::int32_t>(stitch), error);
  }
}

void TPanelManager::SetAlarm(TDevNo d, std::int32_t mode) {
  TMachineRecord* record = GetMachine(d);
  if (!record || record->alarmMode != 0) return;
  record->alarmMode = mode;
  record->alarmTicks = 0;
}

void TPanelManager::ClearMachineError(TDevNo d, bool clear) {
  TMachineRecord* record = GetMachine(d);
  if (!record) return;
  if (clear) {
    record->alarmMode = 0;
    record->alarmTicks = 0;
    const TCookie cookie = record->cookie;
    if (IPelSrvObject* server = Server()) server->ClearError(cookie);
    // The call may have run events that changed the list: the machine's picture, not its index's.
    d = FindMachineByCookie(cookie);
    if (d < 0) return;
  } else {
    record->alarmTicks = -1;
  }
  UpdateSewImage(d);
}

void TPanelManager::BlinkAlarm(TDevNo d, bool phase) {
  TMachineRecord* record = GetMachine(d);
  if (!record) return;
  switch (NextBlinkStep(record->alarmMode, record->alarmTicks)) {
    case TBlinkStep::None:
      return;
    case TBlinkStep::ClearItself:
      ClearMachineError(d, true);
      return;
    case TBlinkStep::Blink:
      ++record->alarmTicks;
      if (phase)
        SetSewImage(d, kSewImageAlarm);
      else
        UpdateSewImage(d);
      return;
  }
}

void TPanelManager::SewClick(int slot) {
  if (slot < 0 || slot >= kPanelSlots) return;
  const TDevNo d = SlotToMachine(slot);
  if (!GetMachine(d) || !Server()) return;
  const TSewingState state = MachineState(d);
  if (state == SEW_SEWING) return;
  const TMachineRecord* before = GetMachine(d);
  const TCookie cookie = before ? before->cookie : 0;
  const bool reconnected = ShowMachineInfo(d);
  // The dialog is modal: acknowledge only the machine it was opened for.
  const TMachineRecord* record = GetMachine(d);
  if ((state == SEW_OFFLINE || state == SEW_ERROR || state == SEW_REJECTED) && record &&
      (record->cookie == cookie || reconnected))
    ClearMachineError(d, false);
}

bool TPanelManager::ShowMachineInfo(TDevNo d) {
  const TMachineRecord* record = GetMachine(d);
  if (!record || !host_) return false;
  const TMachineInfoInput machine{d, record->cookie, record->connInfo, record->hostName,
                                  record->address};
  const std::optional<TCookie> reconnected = host_->ShowMachineInfo(machine);
  // The list may have changed while the dialog ran: look the machine up again and accept it
  // only when it is still the one the dialog showed.
  TMachineRecord* now = GetMachine(d);
  if (!reconnected || !now || now->cookie != machine.cookie || now->hostName != machine.hostName)
    return false;
  now->cookie = *reconnected;
  SetEnabled(d, true);
  DrawPanel(d);
  // The state events of the new connection came while its cookie was unknown here.
  TSewingState state = SEW_OFFLINE;
  IPelSrvObject* server = Server();
  if (server && sink_ && SUCCEEDED(server->GetState(*reconnected, &state)) && state >= SEW_IDLE)
    sink_->OnStatusChange(*reconnected, static_cast<std::uint8_t>(state));
  return true;
}

void TPanelManager::ChangeSpeed(std::int32_t speed) {
  if (IPelSrvObject* server = Server()) server->SyncChangeSpeed(speed);
}
