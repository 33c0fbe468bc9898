// What the panel manager asks of the windows around it. The main window implements it; every
// request has a default that does nothing, so a window that lacks one still runs.
#pragma once

#include <cstdint>
#include <string>

class TPanelHost {
 public:
  virtual ~TPanelHost() = default;

  // ---- The trace window's frames, one per machine on screen. An operation on a machine
  // without a frame does nothing.

  // The trace window makes sure a (hidden) frame exists for the machine; false when all
  // frames are taken by other machines.
  virtual bool CreateTraceFrame(int /*devNo*/) { return false; }
  // The slot holding the machine's frame, or -1.
  virtual int FindTraceFrame(int /*devNo*/) const { return -1; }
  // The trace window updates its frames for machines first .. first + count - 1.
  virtual void UpdateTraceFrames(int /*first*/, int /*count*/) {}
  virtual void ShowTraceFrame(int /*devNo*/, bool /*show*/) {}
  // Loads the design the machine sews from the send folder into its frame; its stitch total,
  // 0 without a frame.
  virtual std::int32_t LoadTraceDesign(int /*devNo*/, const std::string& /*fileName*/) { return 0; }
  // The stitch total of that design for a machine that has no frame (all are taken).
  virtual std::int32_t TraceDesignTotal(int /*devNo*/, const std::string& /*fileName*/) {
    return 0;
  }
  virtual void SetTraceState(int /*devNo*/, std::uint8_t /*state*/, std::int32_t /*position*/,
                             std::int32_t /*error*/) {}
  // speed: the server's value, in tens of stitches per minute.
  virtual void SetTraceProgress(int /*devNo*/, std::uint8_t /*state*/, std::int32_t /*position*/,
                                std::int32_t /*error*/, std::int32_t /*speed*/,
                                std::int32_t /*needle*/, std::int32_t /*total*/) {}
  virtual void CompleteTrace(int /*devNo*/, bool /*normal*/, std::int32_t /*needle*/) {}
  virtual void SetTraceMemory(int /*devNo*/, std::int32_t /*memory*/) {}
  // Empties the error panel (panel 1) of the frame's status bar.
  virtual void ClearTraceError(int /*devNo*/) {}

  // The layout window's drawing panel repaints.
  virtual void InvalidateLayoutView() {}
  // The text of the layout window's file-name box: the title a queued design gets.
  virtual std::string LayoutFileName() const { return {}; }
  // True while the main window's page control shows the Send tab.
  virtual bool IsSendTabShown() const { return false; }
};
