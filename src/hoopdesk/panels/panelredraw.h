// The machine panels waiting to be drawn. Drawing a panel asks the server for the machine's
// state, and every event asks for several panels, so requests are only marked here and drawn
// once, from a zero timer, when the event loop next turns: each machine's panel at most once
// per turn however many events came. Marks are device numbers, never records: the list may
// change before the draw.
#pragma once

#include <QTimer>
#include <bitset>
#include <functional>

#include "hoopdesk/machines/machinelimits.h"

class TPanelRedraw {
 public:
  // draw(d) draws machine d's panel; it is called for every marked machine.
  explicit TPanelRedraw(std::function<void(int)> draw);

  // Machine d's panel is drawn on the next turn of the event loop.
  void Mark(int d);
  // Draws every marked panel now, in device order; marks made while drawing wait for the next
  // turn.
  void Flush();
  bool Pending() const { return marked_.any(); }

 private:
  std::function<void(int)> draw_;
  std::bitset<kMaxMachines> marked_;
  QTimer timer_;
};
