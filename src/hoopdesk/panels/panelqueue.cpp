// The panel manager's queues: queueing a design on a machine or on its synchronised group,
// removing queued designs, the send buttons that follow the queues, the queue scroll bar over
// the six panels, the hit tests and the accessors other windows read the machines through.
#include <QPoint>
#include <QWidget>
#include <algorithm>

#include "hoopdesk/panels/panelgeometry.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/panels/sendtablayout.h"
#include "shared/stitch.h"

void TPanelManager::UpdateSendButtons(TDevNo d, bool all) {
  if (!Server()) return;
  const int from = all ? 0 : d;
  const int to = all ? GetMachineCount() : d + 1;
  for (int i = from; i < to; ++i) {
    if (!GetMachine(i)) continue;
    const TSewingState state = MachineState(i);
    const bool ready =
        state == SEW_IDLE || state == SEW_COMPLETED || state == SEW_ERROR || state == SEW_REJECTED;
    SetCanSend(i, QueuedDesignCount(i) > 0 && ready);
  }
}

void TPanelManager::QueueDesign(TDevNo d, TDevNo source, TStitchItem design) {
  const TMachineRecord* record = GetMachine(d);
  if (!record || !Server()) return;
  if (!record->inSyncGroup) {
    AddDesign(d, source, design);
    return;
  }
  // The copies carry the group id from the start: a member that refuses its copy keeps the id
  // of whatever it queued before.
  design.SetUniqueID(syncGroupJob_++);
  for (int m = 0; m < GetMachineCount(); ++m)
    if (GetMachine(m) && GetMachine(m)->inSyncGroup) AddDesign(m, source, design);
}

void TPanelManager::AddDesign(TDevNo d, TDevNo source, const TStitchItem& design) {
  const TMachineRecord* record = GetMachine(d);
  if (!record || !Server() || !record->shown) return;
  const TCookie cookie = record->cookie;
  const TSewingState state = MachineState(d);
  // The state query may run events that change the list: queue only on the machine asked.
  TMachineRecord* target = GetMachine(d);
  if (state == SEW_OFFLINE || !target || target->cookie != cookie) return;
  TStitchItem copy = design;
  copy.Title = host_ ? host_->LayoutFileName() : std::string();
  const int added = target->queue.AddItem(copy);
  if (d != source) target->queue.GetItem(added)->ColorMatch(&target->palette);
  const bool inGroup = target->inSyncGroup;
  UpdateSendButtons(d, inGroup);
  ResetProgressAfterQueueChange(d);
  UpdateQueueScroll();
  DrawPanel(d);
}

void TPanelManager::ClearQueue(TDevNo d) {
  if (TMachineRecord* record = GetMachine(d)) record->queue.Clear();
}

void TPanelManager::RemoveQueuedDesign(int position, TDevNo d) {
  TMachineRecord* record = GetMachine(d);
  if (!record) return;
  record->queue.EraseItem(position);
  ResetProgressAfterQueueChange(d);
  RedrawAfterQueueChange(d);
}

void TPanelManager::RedrawAfterQueueChange(TDevNo d) {
  UpdateSendButtons(d, false);
  UpdateQueueScroll();
  for (int i = 0; i < GetMachineCount(); ++i) DrawPanel(i);
}

void TPanelManager::ResetProgressAfterQueueChange(TDevNo d) {
  if (!Server() || !GetMachine(d)) return;
  const TSewingState now = MachineState(d);
  if (now == SEW_OFFLINE || now == SEW_IDLE || now == SEW_COMPLETED) SetProgress(d, 0);
}

void TPanelManager::UpdateQueueScroll() {
  const QWidget* image = slots_.FirstImage();
  if (!slots_.HasQueueScroll() || !image) return;
  int longest = 0;
  for (int k = 0; k < kPanelSlots; ++k)
    longest = std::max(longest, QueuedDesignCount(SlotToMachine(k)));
  // A new offset moves every queue in view: all panels are drawn again, so that what they show
  // and what the hit test finds agree.
  if (slots_.SetQueueScroll(TPanelGeometry::QueueScroll(image->width(), image->height(), longest)))
    QueueScrolled();
}

void TPanelManager::QueueScrolled() {
  if (!slots_.HasQueueScroll()) return;
  for (int k = 0; k < kPanelSlots; ++k) DrawPanel(SlotToMachine(k));
}

int TPanelManager::MachineAtPoint(const QPoint& global) const {
  if (!host_ || !host_->IsSendTabShown()) return -1;
  const int slot = SlotAtPoint(slots_.Areas(), global);
  if (slot < 0) return -1;
  const TDevNo i = SlotToMachine(slot);
  if (!GetMachine(i) || !Server()) return -1;
  return TakesDesigns(MachineState(i)) ? i : -1;
}

int TPanelManager::DesignAtPoint(int slot, const QPoint& point) const {
  if (slot < 0 || slot >= kPanelSlots) return -1;
  const int count = QueuedDesignCount(SlotToMachine(slot));
  const QWidget* image = slots_.FirstImage();
  if (count == 0 || !image) return -1;
  return TPanelGeometry(image->width(), image->height(), slots_.QueueOffset())
      .DesignAt(point.x(), count);
}

std::string TPanelManager::MachineAddress(int machine) const {
  const TMachineRecord* record = GetMachine(machine);
  return record ? record->address : std::string();
}

const TColorInfo* TPanelManager::MachinePalette(int machine) const {
  const TMachineRecord* record = GetMachine(machine);
  return record ? &record->palette : nullptr;
}

bool TPanelManager::InSyncGroup(int machine) const {
  const TMachineRecord* record = GetMachine(machine);
  return record && record->inSyncGroup;
}

std::int32_t TPanelManager::MachineModel(int machine) {
  std::int32_t model = 0;
  if (IPelSrvObject* server = Server(); server && GetMachine(machine))
    server->GetModel(machine, &model);
  return model;
}

std::string TPanelManager::GetSewingFile(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  return record ? record->sewingFile : std::string();
}

HRESULT TPanelManager::GetProgress(TDevNo d, std::uint8_t* state, std::int32_t* position,
                                   std::int32_t* total, std::int32_t* error, std::uint16_t* speed,
                                   std::uint8_t* needle, std::int32_t* memory) {
  const TMachineRecord* record = GetMachine(d);
  IPelSrvObject* server = Server();
  if (!record || !server) {
    *state = 0;
    *position = 0;
    *error = 0;
    *speed = 0;
    *needle = 0;
    return S_FALSE;
  }
  const TCookie cookie = record->cookie;
  return server->GetProgress(cookie, state, position, total, error, speed, needle, memory);
}

bool TPanelManager::ReleaseIdleMachines(bool force) {
  // While the server does not answer nobody can tell whether a machine sews.
  if (!force && link_.Held() && !Server()) return false;
  if (!force && Server()) {
    for (int i = 0; i < GetMachineCount(); ++i) {
      const TSewingState state = MachineState(i);
      if (state == SEW_SEW_STARTING || state == SEW_SEWING) return false;
      const TMachineRecord* record = GetMachine(i);
      IPelSrvObject* server = Server();
      std::int32_t sending = 0;
      if (record && server &&
          check_.Check(server->IsSending(record->cookie, &sending), "IPelSrv::IsSending") &&
          sending)
        return false;
    }
  }
  RemoveAllMachines();
  return true;
}
