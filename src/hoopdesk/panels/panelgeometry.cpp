#include "hoopdesk/panels/panelgeometry.h"

#include "hoopdesk/machines/machinelimits.h"

bool TPanelGeometry::ThumbnailVisible(int j) const {
  const int left = ThumbnailLeft(j);
  return left + Side() > 0 && left < width_;
}

int TPanelGeometry::DesignAt(int x, int count) const {
  const int pitch = Pitch();
  if (pitch <= 0) return -1;
  // Counted from the panel's last column, so a design's own columns all give its number.
  const int fromRight = width_ + off_ - 1 - x;
  if (fromRight < 0) return -1;
  const int j = fromRight / pitch;
  return j < count ? j : -1;
}

TQueueScroll TPanelGeometry::QueueScroll(int width, int height, int longestQueue) {
  TQueueScroll scroll;
  if (longestQueue < 1) return scroll;
  const int pitch = height - kBelowSide + kGap;
  const int total = longestQueue * pitch + kGap;
  if (width >= total) return scroll;
  scroll.enabled = true;
  scroll.maximum = total - width;
  scroll.pageStep = width;
  scroll.value = total - width;
  scroll.step = pitch;
  return scroll;
}

int TPanelGeometry::ReferenceSlot(int machineCount) {
  return machineCount >= 1 && machineCount < kPanelSlots ? machineCount - 1 : kPanelSlots - 1;
}
