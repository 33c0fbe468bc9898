// The display side of the panel manager: the six panel slots on the Send tab and the record
// fields they mirror. Drawing the panels and the queue scrolling are not here yet: DrawPanel
// draws nothing and RefreshPanelImages only places the shared controls.
#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>

#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "shared/stitch.h"

namespace {

constexpr int kBelowPanels = 10;
constexpr int kBelowScroll = 4;
constexpr int kTrackBarBelowLabel = 18;
constexpr int kSendAllRightOfSendBtn = 25;

void SetTop(QWidget* widget, int top) {
  if (widget) widget->move(widget->x(), top);
}

}  // namespace

const TPanelManager::TSlot* TPanelManager::VisibleSlot(TDevNo d) const {
  const int slot = d - firstVisible_;
  if (!GetMachine(d) || slot < 0 || slot >= kSlotCount) return nullptr;
  return &slots_[static_cast<std::size_t>(slot)];
}

void TPanelManager::ArrangePanels() {
  const int n = GetMachineCount();
  const TSlot& last = slots_[static_cast<std::size_t>(n >= 1 && n <= 5 ? n - 1 : kSlotCount - 1)];
  if (last.sendImg && hScroll_) {
    const int y = last.sendImg->y() + last.sendImg->height() + kBelowPanels;
    SetTop(hScroll_, y);
    SetTop(sendAllBtn_, y + kBelowPanels);
    const int y2 = y + hScroll_->height() + kBelowScroll;
    SetTop(spLbl_, y2);
    SetTop(trackLbl_, y2);
    SetTop(trackBar_, y2 + kTrackBarBelowLabel);
  }
  if (vScroll_) {
    vScroll_->setVisible(n > kSlotCount);
    if (n > kSlotCount) {
      const QSignalBlocker quiet(vScroll_);
      vScroll_->setRange(0, n - 1);
      vScroll_->setPageStep(kSlotCount);
      vScroll_->setValue(firstVisible_);
    }
  }
  for (int k = 0; k < kSlotCount; ++k) {
    const TSlot& slot = slots_[static_cast<std::size_t>(k)];
    for (QWidget* w :
         {slot.sendImg, static_cast<QWidget*>(slot.lbl), static_cast<QWidget*>(slot.sendBtn),
          slot.sewBtn, static_cast<QWidget*>(slot.progBar)})
      if (w) w->setVisible(k < n);
  }
  if (trackBar_) {
    // Showing the saved speed is no change of the operator's: no change handler runs.
    const QSignalBlocker quiet(trackBar_);
    trackBar_->setValue(rotSpeed_);
  }
}

void TPanelManager::RefreshPanelImages() {
  const TSlot& first = slots_[0];
  if (!hScroll_ || !first.sendImg) return;
  hScroll_->resize(first.sendImg->width(), hScroll_->height());
  if (sendAllBtn_ && first.sendBtn)
    sendAllBtn_->move(first.sendBtn->x() + kSendAllRightOfSendBtn, sendAllBtn_->y());
}

void TPanelManager::DrawPanel(TDevNo) {}

void TPanelManager::ShowMachinesFrom(TDevNo first) {
  if (first < 0) return;
  firstVisible_ = first;
  int shown = 0;
  for (int k = 0; k < kSlotCount; ++k) {
    const TDevNo i = first + k;
    const TMachineRecord* record = GetMachine(i);
    if (!record) continue;
    // The setters only store and show; none of them calls the server.
    SetShown(i, record->shown);
    if (record->shown) ++shown;
    SetMachineNumber(i, std::to_string(i + 1));
    SetEnabled(i, record->enabled);
    SetCanSend(i, record->canSend);
    SetBusy(i, record->busy);
    SetProgress(i, record->progress);
    SetSewImage(i, record->sewImage);
    DrawPanel(i);
  }
  if (host_) host_->UpdateTraceFrames(first, shown);
}

void TPanelManager::UpdateSendButtons(TDevNo d, bool all) {
  if (!service_) return;
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

void TPanelManager::QueueDesign(TDevNo d, TDevNo source, const TStitchItem& design) {
  const TMachineRecord* record = GetMachine(d);
  if (!record || !service_) return;
  if (!record->inSyncGroup) {
    AddDesign(d, source, design);
    return;
  }
  const std::int32_t job = syncGroupJob_++;
  for (int m = 0; m < GetMachineCount(); ++m) {
    if (!GetMachine(m) || !GetMachine(m)->inSyncGroup) continue;
    AddDesign(m, source, design);
    if (TMachineRecord* member = GetMachine(m); member && member->queue.GetCount() > 0)
      member->queue.GetItem(member->queue.GetCount() - 1)->SetUniqueID(job);
  }
}

void TPanelManager::AddDesign(TDevNo d, TDevNo source, const TStitchItem& design) {
  const TMachineRecord* record = GetMachine(d);
  if (!record || !service_ || !record->shown) return;
  const TSewingState state = MachineState(d);
  TMachineRecord* target = GetMachine(d);
  if (state == SEW_OFFLINE || !target) return;
  TStitchItem copy = design;
  copy.Title = host_ ? host_->LayoutFileName() : std::string();
  const int added = target->queue.AddItem(copy);
  if (d != source) target->queue.GetItem(added)->ColorMatch(&target->palette);
  UpdateSendButtons(d, target->inSyncGroup);
  if (const TSewingState now = MachineState(d);
      now == SEW_OFFLINE || now == SEW_IDLE || now == SEW_COMPLETED)
    SetProgress(d, 0);
  DrawPanel(d);
}

void TPanelManager::ClearQueue(TDevNo d) {
  if (TMachineRecord* record = GetMachine(d)) record->queue.Clear();
}

void TPanelManager::RemoveQueuedDesign(int position, TDevNo d) {
  TMachineRecord* record = GetMachine(d);
  if (!record) return;
  record->queue.EraseItem(position);
  if (const TSewingState now = MachineState(d);
      service_ && (now == SEW_OFFLINE || now == SEW_IDLE || now == SEW_COMPLETED))
    SetProgress(d, 0);
  UpdateSendButtons(d, false);
  for (int i = 0; i < GetMachineCount(); ++i) DrawPanel(i);
}

bool TPanelManager::ReleaseIdleMachines(bool force) {
  if (!force && service_) {
    for (int i = 0; i < GetMachineCount(); ++i) {
      const TSewingState state = MachineState(i);
      if (state == SEW_SEW_STARTING || state == SEW_SEWING) return false;
      const TMachineRecord* record = GetMachine(i);
      std::int32_t sending = 0;
      if (record && SUCCEEDED(service_->Object().IsSending(record->cookie, &sending)) && sending)
        return false;
    }
  }
  RemoveAllMachines();
  return true;
}

bool TPanelManager::IsShown(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  return record && record->shown;
}

void TPanelManager::SetShown(TDevNo d, bool shown) {
  if (TMachineRecord* record = GetMachine(d)) record->shown = shown;
  if (const TSlot* slot = VisibleSlot(d))
    for (QWidget* w :
         {slot->sendImg, static_cast<QWidget*>(slot->lbl), static_cast<QWidget*>(slot->sendBtn)})
      if (w) w->setVisible(shown);
}

void TPanelManager::SetMachineNumber(TDevNo d, const std::string& text) {
  if (const TSlot* slot = VisibleSlot(d); slot && slot->lbl)
    slot->lbl->setText(QString::fromStdString(text));
}

bool TPanelManager::IsOnline(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  return record && record->online;
}

void TPanelManager::SetOnline(TDevNo d, bool online) {
  if (TMachineRecord* record = GetMachine(d)) record->online = online;
}

bool TPanelManager::IsEnabled(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  return record && record->enabled;
}

void TPanelManager::SetEnabled(TDevNo d, bool enabled) {
  if (TMachineRecord* record = GetMachine(d)) record->enabled = enabled;
  if (const TSlot* slot = VisibleSlot(d)) {
    if (slot->sendImg) slot->sendImg->setEnabled(enabled);
    if (!enabled && slot->sendBtn) slot->sendBtn->setEnabled(false);
  }
}

bool TPanelManager::CanSend(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  return record && record->canSend;
}

void TPanelManager::SetCanSend(TDevNo d, bool canSend) {
  if (TMachineRecord* record = GetMachine(d)) record->canSend = canSend;
  if (const TSlot* slot = VisibleSlot(d); slot && slot->sendBtn) slot->sendBtn->setEnabled(canSend);
}

bool TPanelManager::IsMachineBusy(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  return record && record->busy;
}

void TPanelManager::SetBusy(TDevNo d, bool busy) {
  if (TMachineRecord* record = GetMachine(d)) record->busy = busy;
  if (const TSlot* slot = VisibleSlot(d); slot && slot->sendBtn)
    slot->sendBtn->setProperty("Active", busy);
}

void TPanelManager::SetProgress(TDevNo d, std::int32_t percent) {
  if (TMachineRecord* record = GetMachine(d)) record->progress = percent;
  if (const TSlot* slot = VisibleSlot(d); slot && slot->progBar) slot->progBar->setValue(percent);
}

void TPanelManager::SetSewImage(TDevNo d, std::uint32_t resId) {
  if (TMachineRecord* record = GetMachine(d)) record->sewImage = resId;
  if (const TSlot* slot = VisibleSlot(d); slot && slot->sewBtn)
    slot->sewBtn->setProperty("ResId", resId);
}
