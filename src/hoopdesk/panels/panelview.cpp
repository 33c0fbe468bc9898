// The display side of the panel manager: the panel pictures by the server's state of each
// machine, and the records copied into the slots when they scroll.
#include <QLabel>

#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/panels/panelpicture.h"
#include "shared/stitch.h"

void TPanelManager::ArrangePanels() {
  const int first = slots_.FirstVisible();
  slots_.Arrange(GetMachineCount());
  // A shorter list moved the first machine back: every slot shows its new machine.
  if (slots_.FirstVisible() != first) ShowMachinesFrom(slots_.FirstVisible());
}

void TPanelManager::RefreshPanelImages() {
  if (!slots_.HasQueueScroll() || !slots_.FirstImage()) return;
  UpdateQueueScroll();
  for (int k = 0; k < kPanelSlots; ++k)
    if (IsShown(SlotToMachine(k)) && slots_.ImageHasArea(k)) DrawPanel(SlotToMachine(k));
  slots_.LineUpSharedControls();
}

void TPanelManager::DrawPanel(TDevNo d) {
  if (slots_.ImageOf(d)) redraw_.Mark(d);
}

void TPanelManager::PaintPanelNow(TDevNo d) {
  // Looked up again: the machine may have gone or scrolled out of view since it was marked.
  // A link that is down draws every panel as offline.
  if (!link_.Held() || !slots_.HasQueueScroll() || !slots_.ImageOf(d)) return;
  const TMachineRecord* asked = GetMachine(d);
  if (!asked) return;
  const TCookie cookie = asked->cookie;
  ++stateQueries_;
  const TSewingState state = MachineState(d);
  // The state query may run events that change the list: that state belongs to this machine
  // only; another one now at d is drawn on the next turn.
  if (const TMachineRecord* now = GetMachine(d); !now || now->cookie != cookie) {
    if (now) redraw_.Mark(d);
    return;
  }
  const bool canTake = TakesDesigns(state);
  if (state == SEW_OFFLINE) {
    // The machine went offline without an event: the panel follows the server.
    if (const TMachineRecord* record = GetMachine(d);
        record && record->sewImage == kSewImageOnline) {
      SetSewImage(d, kSewImageOffline);
      SetOnline(d, false);
    }
  }
  // The state query may have run events that changed the list or the view.
  TMachineRecord* record = GetMachine(d);
  QLabel* const image = slots_.ImageOf(d);
  if (!record || !image) return;
  image->setPixmap(
      QPixmap::fromImage(PaintPanel(image->width(), image->height(), slots_.QueueOffset(), canTake,
                                    record->queue, &record->palette)));
}

void TPanelManager::ShowMachinesFrom(TDevNo first) {
  if (first < 0) return;
  slots_.SetFirstVisible(first);
  // The queue bar serves the longest queue in view, which other machines bring along.
  UpdateQueueScroll();
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
