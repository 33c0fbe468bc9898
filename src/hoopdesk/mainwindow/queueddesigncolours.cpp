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
  std::int32_t sending = 0;
  if (FAILED(service->IsSending(cookie, &sending)) || sending != 0) return false;
  std::int32_t model = 0;
  service->GetModel(d, &model);
  // Both calls may have run events: take the machine and the design afresh.
  record = panels.GetMachine(panels.FindMachineByCookie(cookie));
  const TStitchItem* design = record ? record->queue.GetItem(position) : nullptr;
  if (!design) return false;
  const TQueuedDrag wanted{cookie, position, *design};
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
