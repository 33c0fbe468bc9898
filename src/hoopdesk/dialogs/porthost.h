// What the port dialog needs from the main window: the machine list's queues, releasing the
// machines from the server before ports are opened here, and starting them again afterwards.
#pragma once

class TPortHost {
 public:
  virtual ~TPortHost() = default;

  virtual int MachineCount() const = 0;
  virtual int GetQueuedCount(int machine) const = 0;
  // Disconnects and removes every machine and stops the poll timer; unless forced it refuses
  // while a machine sews, starts sewing or receives a design.
  virtual bool ReleaseMachines(bool force) = 0;
  // Connects the configured serial slots again, then searches the network when asked.
  virtual void StartMachines(bool search) = 0;
  virtual void CloseTraceWindows() = 0;
  virtual void TabSendResize() = 0;
};
