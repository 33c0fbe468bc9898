// What the machines tell the trace window: the panel manager, the event sink and the poll hand
// it each machine's sewn design and progress. Machines are named by their index in the machine
// list; a request for a machine without a trace frame does nothing, unless it says otherwise.
#pragma once

#include <cstdint>
#include <string>

class TTraceSink {
 public:
  virtual ~TTraceSink() = default;

  // Makes sure a (hidden) frame exists for the machine; false when every frame is taken.
  virtual bool CreateTraceFrame(int machine) = 0;
  // Gives the frames to the machines first .. first + count - 1 (the panels scrolled).
  virtual void UpdateTraceFrames(int first, int count) = 0;
  // When the machine has or can get a frame: loads the send file of that name (empty: none)
  // and shows the frame.
  virtual void ShowTraceDesign(int machine, const std::string& name) = 0;
  // Loads the send file of that name (empty: none) into the machine's frame; its stitch total,
  // 0 without a frame.
  virtual std::int32_t LoadTraceDesign(int machine, const std::string& name) = 0;
  virtual void ShowTraceFrame(int machine, bool show) = 0;
  virtual void SetTraceProgress(int machine, std::uint8_t state, std::int32_t position,
                                std::int32_t error, std::int32_t speed, std::int32_t needle,
                                std::int32_t total) = 0;
  virtual void SetTraceState(int machine, std::uint8_t state, std::int32_t position,
                             std::int32_t error) = 0;
  virtual void CompleteTrace(int machine, bool normal, std::int32_t needle) = 0;
  virtual void SetTraceMemory(int machine, std::int32_t memory) = 0;
  // Empties the error text of the machine's frame (the machine reported a normal state).
  virtual void ClearTraceStatus(int machine) = 0;
  // Empties the counters of the machine's frame (the machine went offline: what it reported
  // last no longer holds).
  virtual void ClearTraceCounters(int machine) = 0;
};
