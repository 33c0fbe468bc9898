// What the panel manager asks of the windows around it. The main window implements it; every
// request has a default that does nothing, so a window that lacks one still runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hoopdesk/dialogs/machineinfo.h"

class TPanelHost {
 public:
  virtual ~TPanelHost() = default;

  // The trace window prepares a hidden trace frame for the machine.
  virtual void CreateTraceFrame(int /*devNo*/) {}
  // The trace window updates its frames for machines first .. first + count - 1.
  virtual void UpdateTraceFrames(int /*first*/, int /*count*/) {}
  // The layout window's drawing panel repaints.
  virtual void InvalidateLayoutView() {}
  // The text of the layout window's file-name box: the title a queued design gets.
  virtual std::string LayoutFileName() const { return {}; }
  // True while the main window's page control shows the Send tab.
  virtual bool IsSendTabShown() const { return false; }

  // The machine's trace frame, when the trace window has or can make one: loads the send file
  // of that name (empty: none) and shows the frame.
  virtual void ShowTraceDesign(int /*devNo*/, const std::string& /*name*/) {}
  virtual void SetTraceProgress(int /*devNo*/, std::uint8_t /*state*/, std::int32_t /*position*/,
                                std::int32_t /*error*/, std::int32_t /*speed*/,
                                std::int32_t /*needle*/, std::int32_t /*total*/) {}
  virtual void SetTraceState(int /*devNo*/, std::uint8_t /*state*/, std::int32_t /*position*/,
                             std::int32_t /*error*/) {}
  virtual void CompleteTrace(int /*devNo*/, bool /*normal*/, std::int32_t /*needle*/) {}
  virtual void SetTraceMemory(int /*devNo*/, std::int32_t /*memory*/) {}
  // Empties the status text of the machine's trace frame.
  virtual void ClearTraceStatus(int /*devNo*/) {}

  // The machine list was built again in the same order (the server came back): the windows
  // that show machines set themselves up afresh.
  virtual void MachineListRebuilt() = 0;

  // The machine information dialog, modal; the machine's new cookie when it ended with a
  // reconnected machine, nothing otherwise.
  virtual std::optional<TCookie> ShowMachineInfo(const TMachineInfoInput& /*machine*/) {
    return std::nullopt;
  }
};
