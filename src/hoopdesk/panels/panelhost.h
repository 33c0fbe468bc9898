// What the panel manager asks of the windows around it. The main window implements it; every
// request has a default that does nothing, so a window that lacks one still runs.
#pragma once

#include <string>

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
};
