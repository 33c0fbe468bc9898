// The display side of the panel manager: the six panel slots on the Send tab, the record
// fields they mirror, and the panel pictures.
#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

#include "hoopdesk/panels/panelgeometry.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/panels/panelpicture.h"
#include "hoopdesk/panels/sendtablayout.h"
#include "shared/stitch.h"

namespace {

void SetTop(QWidget* widget, int top) {
  if (widget) widget->move(widget->x(), top);
}

}  // namespace

const TPanelManager::TSlot* TPanelManager::VisibleSlot(TDevNo d) const {
  const int slot = d - firstVisible_;
  if (!GetMachine(d) || slot < 0 || slot >= kPanelSlots) return nullptr;
  return &slots_[static_cast<std::size_t>(slot)];
}

void TPanelManager::ArrangePanels() {
  const int n = GetMachineCount();
  const TSlot& last = slots_[static_cast<std::size_t>(TPanelGeometry::ReferenceSlot(n))];
  if (last.sendImg && hScroll_) {
    const TSharedPlace place = TSendTabLayout::SharedControls(
        last.sendImg->y() + last.sendImg->height(), hScroll_->height());
    SetTop(hScroll_, place.hScrollTop);
    SetTop(sendAllBtn_, place.sendAllTop);
    SetTop(spLbl_, place.labelTop);
    SetTop(trackLbl_, place.labelTop);
    SetTop(trackBar_, place.trackBarTop);
  }
  if (vScroll_) {
    vScroll_->setVisible(n > kPanelSlots);
    if (n > kPanelSlots) {
      const QSignalBlocker quiet(vScroll_);
      vScroll_->setRange(0, n - 1);
      vScroll_->setPageStep(kPanelSlots);
      vScroll_->setValue(firstVisible_);
    }
  }
  for (int k = 0; k < kPanelSlots; ++k) {
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
  for (int k = 0; k < kPanelSlots; ++k) {
    const QWidget* image = slots_[static_cast<std::size_t>(k)].sendImg;
    if (!IsShown(SlotToMachine(k)) || !image || image->width() < 1 || image->height() < 1) continue;
    UpdateQueueScroll();
    DrawPanel(SlotToMachine(k));
  }
  hScroll_->resize(first.sendImg->width(), hScroll_->height());
  if (sendAllBtn_ && first.sendBtn)
    sendAllBtn_->move(TSendTabLayout::SendAllLeft(first.sendBtn->x()), sendAllBtn_->y());
}

void TPanelManager::DrawPanel(TDevNo d) {
  const TSlot* slot = VisibleSlot(d);
  auto* image = slot ? qobject_cast<QLabel*>(slot->sendImg) : nullptr;
  // A link that is down draws every panel as offline.
  if (!link_.Held() || !hScroll_ || !image) return;
  const TSewingState state = MachineState(d);
  const bool canTake = TakesDesigns(state);
  if (state == SEW_OFFLINE) {
    // The machine went offline without an event: the panel follows the server.
    if (const TMachineRecord* record = GetMachine(d);
        record && record->sewImage == kSewImageOnline) {
      SetSewImage(d, kSewImageOffline);
      SetOnline(d, false);
    }
  }
  TMachineRecord* record = GetMachine(d);
  if (!record) return;
  image->setPixmap(QPixmap::fromImage(PaintPanel(image->width(), image->height(), QueueOffset(),
                                                 canTake, record->queue, &record->palette)));
}

void TPanelManager::ShowMachinesFrom(TDevNo first) {
  if (first < 0) return;
  firstVisible_ = first;
  int shown = 0;
  for (int k = 0; k < kPanelSlots; ++k) {
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
  if (trace_) trace_->UpdateTraceFrames(first, shown);
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
  UpdateSendAllButton();
}

void TPanelManager::UpdateSendAllButton() {
  if (!sendAllBtn_) return;
  const bool any = std::any_of(machines_.begin(), machines_.end(),
                               [](const TMachineRecord& record) { return record.canSend; });
  sendAllBtn_->setEnabled(any);
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
  if (const TSlot* slot = VisibleSlot(d); slot && slot->sewBtn) {
    slot->sewBtn->setProperty("ResId", resId);
    if (auto* picture = qobject_cast<QLabel*>(slot->sewBtn)) picture->setPixmap(SewPicture(resId));
  }
}
