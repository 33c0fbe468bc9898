#include "hoopdesk/mainwindow/queueddesigncolours.h"

#include "hoopdesk/mainwindow/queueddrag.h"
#include "hoopdesk/panels/panelmanager.h"

bool ShowQueuedDesignColours(TPanelManager& panels, int slot, int position, std::uint32_t backColor,
                             const TSetColRunner& run) {
  const TDevNo d = panels.SlotToMachine(slot);
  const TMachineRecord* record = panels.GetMachine(d);
  IPelSrv* service = panels.GetService();
  if (!record || !service) return false;
  const TCookie cookie = record->cookie;
  // The design double-clicked, named by a copy: a transfer that ends during the calls below
  // takes the head of the queue, and the position would then name the design after it.
  const TStitchItem* clicked = record->queue.GetItem(position);
  if (!clicked) return false;
  TQueuedDrag wanted{cookie, position, *clicked};
  std::int32_t sending = 0;
  if (FAILED(service->IsSending(cookie, &sending)) || sending != 0) return false;
  // IsSending may have run events: the list may have moved the machine, and a server that died
  // meanwhile is replaced.
  const TDevNo now = panels.FindMachineByCookie(cookie);
  service = panels.GetService();
  if (now < 0 || !service) return false;
  std::int32_t model = 0;
  service->GetModel(now, &model);
  // Both calls may have run events: take the machine and the design afresh.
  record = panels.GetMachine(panels.FindMachineByCookie(cookie));
  wanted.position = record ? FindQueuedDesign(record->queue, wanted) : -1;
  if (wanted.position < 0) return false;
  const TColorInfo palette = record->palette;
  const auto lookup = [&panels, &wanted]() -> TStitchItem* {
    TMachineRecord* now = panels.GetMachine(panels.FindMachineByCookie(wanted.cookie));
    return now ? now->queue.GetItem(FindQueuedDesign(now->queue, wanted)) : nullptr;
  };
  const bool written =
      EditQueuedColours(nullptr, model, palette, wanted.design, backColor, lookup, run);
  panels.DrawPanel(panels.FindMachineByCookie(cookie));
  return written;
}
