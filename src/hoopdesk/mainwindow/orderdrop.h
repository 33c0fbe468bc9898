// The Order list's drop rules, apart from its widget: which row shows the drop focus rectangle
// while a row is dragged over the list, and what a drop moves.
#pragma once

#include <optional>

struct TOrderMove {
  int source = -1;
  int target = -1;
  friend bool operator==(const TOrderMove&, const TOrderMove&) = default;
};

class TOrderDrop {
 public:
  // The drag is over row `item` (-1: beside every row). True when the mark moved: the row that
  // had it (when not -1) loses its rectangle and `item` (when not -1) gets one.
  bool DragOver(int item);
  // A drop on row `target` while row `source` is selected (either -1 for none): the mark goes,
  // and the move is made unless either is -1. A row dropped on itself is a move too, onto itself:
  // the colour frame and the layout are told all the same.
  std::optional<TOrderMove> DragDrop(int target, int source);
  // The drag ended off the list: the mark goes, nothing moves.
  void Cancel() { dropMark_ = -1; }
  int DropMark() const { return dropMark_; }

 private:
  int dropMark_ = -1;
};
