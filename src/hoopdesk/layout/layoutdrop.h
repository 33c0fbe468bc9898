// What a design dragged out of the layout window does where it is let go, and which cursor
// the drag shows on the way.
#pragma once

enum class TLayoutDrop { None, Queue, Move, Trash };

// overTrash: the main window's trash button is under the pointer; machine: the machine whose
// panel can take a design there, or -1; insideDrawPanel: the pointer is on the layout itself.
constexpr TLayoutDrop DecideLayoutDrop(bool overTrash, int machine, bool insideDrawPanel) {
  if (overTrash) return TLayoutDrop::Trash;
  if (machine >= 0) return TLayoutDrop::Queue;
  if (insideDrawPanel) return TLayoutDrop::Move;
  return TLayoutDrop::None;
}
