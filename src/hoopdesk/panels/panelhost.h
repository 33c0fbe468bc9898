// What the panel manager asks of the window around it (the main window). The trace window is
// told about machines through its own interface, TTraceSink.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hoopdesk/machines/machineinfoinput.h"

class TPanelHost {
 public:
  virtual ~TPanelHost() = default;

  // The layout window's drawing panel repaints.
  virtual void InvalidateLayoutView() = 0;
  // The text of the layout window's file-name box: the title a queued design gets.
  virtual std::string LayoutFileName() const = 0;
  // True while the main window's page control shows the Send tab.
  virtual bool IsSendTabShown() const = 0;

  // The machine list was built again in the same order (the server came back): the windows
  // that show machines set themselves up afresh.
  virtual void MachineListRebuilt() = 0;

  // The machine information dialog, modal; the machine's new cookie when the operator
  // reconnected it there (also when it did not come up in time), nothing otherwise.
  virtual std::optional<TCookie> ShowMachineInfo(const TMachineInfoInput& machine) = 0;
};
