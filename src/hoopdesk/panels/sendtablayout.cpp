#include "hoopdesk/panels/sendtablayout.h"

#include <algorithm>

#include "hoopdesk/machines/machinelimits.h"

namespace {

constexpr int kScrollRightGap = 2;
constexpr int kImageRightGap = 12;  // between the panel image and the slot's column
constexpr int kSendBtnDown = 4;
constexpr int kLabelDown = 46;
constexpr int kProgBarDown = 67;
constexpr int kMinTrackBarWidth = 120;
constexpr int kTrackBarHeight = 30;
constexpr int kBelowPanels = 10;
constexpr int kBelowScroll = 4;
constexpr int kTrackBarBelowLabel = 18;

int SlotTop(int k) { return TSendTabLayout::kMargin + TSendTabLayout::kSlotPitch * k; }

// The left edge of the column right of the panel images.
int Column(int tabWidth, int scrollWidth) {
  return tabWidth - TSendTabLayout::kMargin - scrollWidth - TSendTabLayout::kSlotColumn;
}

int ImageWidth(int tabWidth, int scrollWidth) {
  return std::max(1, Column(tabWidth, scrollWidth) - kImageRightGap);
}

}  // namespace

QRect TSendTabLayout::FormImage(int k) {
  return {kMargin, SlotTop(k), kFormImageWidth, kImageHeight};
}

TSlotPlace TSendTabLayout::Slot(int k, int tabWidth, int scrollWidth) {
  const int top = SlotTop(k);
  const int column = Column(tabWidth, scrollWidth);
  return {QRect(kMargin, top, ImageWidth(tabWidth, scrollWidth), kImageHeight),
          QPoint(column, top + kSendBtnDown), QPoint(column - 1, top + kLabelDown),
          QPoint(column + kSlotColumn - kSewPictureSide, top), QPoint(column, top + kProgBarDown)};
}

QRect TSendTabLayout::MachineScroll(int tabWidth, int scrollWidth) {
  return {tabWidth - scrollWidth - kScrollRightGap, kMargin, scrollWidth,
          kPanelSlots * kSlotPitch - (kSlotPitch - kImageHeight)};
}

QRect TSendTabLayout::TrackBar(int tabWidth, int scrollWidth, int top) {
  return {kMargin, top, std::max(kMinTrackBarWidth, ImageWidth(tabWidth, scrollWidth)),
          kTrackBarHeight};
}

TSharedPlace TSendTabLayout::SharedControls(int panelsBottom, int hScrollHeight) {
  const int y = panelsBottom + kBelowPanels;
  const int y2 = y + hScrollHeight + kBelowScroll;
  return {y, y + kBelowPanels, y2, y2 + kTrackBarBelowLabel};
}

int TSendTabLayout::LastFirstMachine(int machineCount) {
  return std::max(0, machineCount - kPanelSlots);
}

int SlotAtPoint(std::span<const TSlotArea> areas, QPoint point) {
  for (std::size_t k = 0; k < areas.size(); ++k)
    if (areas[k].active && areas[k].rect.contains(point)) return static_cast<int>(k);
  return -1;
}
