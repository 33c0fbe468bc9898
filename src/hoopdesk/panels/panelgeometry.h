// Where things sit on a machine panel and around the six slots: the queue thumbnails inside a
// panel image, the queue scroll bar over all six panels, and the slot the shared controls
// of the Send tab line up under. Plain arithmetic, no widgets.
#pragma once

// The horizontal scroll bar over the queue thumbnails, in Qt terms: positions 0..maximum with
// a page of pageStep pixels; the value at the maximum shows the first queued designs.
struct TQueueScroll {
  bool enabled = false;
  int maximum = 0;
  int pageStep = 0;
  int value = 0;
  int step = 0;  // single and page step: one thumbnail pitch
};

class TPanelGeometry {
 public:
  static constexpr int kTop = 4;         // thumbnails sit this far below the panel's top
  static constexpr int kGap = 4;         // space between two thumbnails
  static constexpr int kBelowSide = 20;  // panel height minus thumbnail side

  // A panel image of width x height whose queue is scrolled off pixels to the right.
  TPanelGeometry(int width, int height, int off) : width_(width), height_(height), off_(off) {}

  int Side() const { return height_ - kBelowSide; }
  int Pitch() const { return Side() + kGap; }
  // Left column of queued design j: the first design sits at the right end.
  int ThumbnailLeft(int j) const { return width_ + off_ - (j + 1) * Pitch(); }
  // True when thumbnail j shows at least one column of the panel.
  bool ThumbnailVisible(int j) const;
  // The queued design (0 = the first) whose column range holds x, or -1; count is the
  // queue's length. The vertical position does not matter.
  int DesignAt(int x, int count) const;

  // The scroll offset a queue scroll bar in that state gives.
  static int ScrollOffset(bool enabled, int maximum, int value) {
    return enabled ? maximum - value : 0;
  }
  // The scroll bar for panels of that size when the longest visible queue holds longest
  // designs: enabled when the queue is wider than a panel.
  static TQueueScroll QueueScroll(int width, int height, int longestQueue);
  // The slot whose image the scroll bar, the send-all button and the speed controls sit
  // under for that many machines.
  static int ReferenceSlot(int machineCount);

 private:
  int width_;
  int height_;
  int off_;
};
