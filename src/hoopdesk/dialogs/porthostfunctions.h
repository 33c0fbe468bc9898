// A TPortHost made of the opener's own operations, so a window can hand in what it keeps
// private.

#pragma once

#include <functional>

#include "hoopdesk/dialogs/porthost.h"

class TPortHostFunctions : public TPortHost {
 public:
  std::function<int()> machineCount;
  std::function<int(int)> queuedCount;
  std::function<bool(bool)> releaseMachines;
  std::function<void(bool)> startMachines;
  std::function<void()> closeTraceWindows;
  std::function<void()> tabSendResize;

  int MachineCount() const override { return machineCount ? machineCount() : 0; }
  int GetQueuedCount(int machine) const override { return queuedCount ? queuedCount(machine) : 0; }
  bool ReleaseMachines(bool force) override { return releaseMachines && releaseMachines(force); }
  void StartMachines(bool search) override {
    if (startMachines) startMachines(search);
  }
  void CloseTraceWindows() override {
    if (closeTraceWindows) closeTraceWindows();
  }
  void TabSendResize() override {
    if (tabSendResize) tabSendResize();
  }
};
