// Where the Send tab's controls sit: the six panel slots across the tab's width, the shared
// controls (queue scroll bar, "&Send All", speed controls) under the slot the machine count
// names, and which slot a point lies in. Plain arithmetic, no widgets.
#pragma once

#include <QPoint>
#include <QRect>
#include <span>

// One panel slot: the panel image, and where the send button, the machine number, the machine
// picture and the progress bar have their top-left corners.
struct TSlotPlace {
  QRect image;
  QPoint sendBtn;
  QPoint lbl;
  QPoint sewBtn;
  QPoint progBar;
};

// The tops of the shared controls under the panels.
struct TSharedPlace {
  int hScrollTop = 0;
  int sendAllTop = 0;
  int labelTop = 0;  // "Speed:" and the speed value
  int trackBarTop = 0;
};

// A panel image on screen: where it is, and whether it takes part in hit tests (shown and
// enabled).
struct TSlotArea {
  QRect rect;
  bool active = false;
};

class TSendTabLayout {
 public:
  static constexpr int kMargin = 8;      // left and top of the first slot
  static constexpr int kSlotPitch = 92;  // from one slot's top to the next one's
  static constexpr int kImageHeight = 85;
  static constexpr int kFormImageWidth = 193;  // before the tab is first laid out
  // Right of the panel image: machine picture, send button, number and progress bar.
  static constexpr int kSlotColumn = 113;
  static constexpr int kSewPictureSide = 64;
  static constexpr int kSpeedLabelLeft = 8;
  static constexpr int kSpeedValueLeft = 60;

  // Slot k as the form first places it.
  static QRect FormImage(int k);
  // Slot k on a tab `tabWidth` wide whose machine scroll bar takes `scrollWidth` (0 while it is
  // hidden); the panel image takes what the column on its right leaves, at least 1 pixel.
  static TSlotPlace Slot(int k, int tabWidth, int scrollWidth);
  // The machine scroll bar along the right edge, as high as the six slots.
  static QRect MachineScroll(int tabWidth, int scrollWidth);
  // The speed track bar at height `top`: as wide as a panel image, at least 120 pixels.
  static QRect TrackBar(int tabWidth, int scrollWidth, int top);

  // The shared controls under a reference panel image whose bottom edge (top + height) is
  // `panelsBottom`, with a queue scroll bar `hScrollHeight` high.
  static TSharedPlace SharedControls(int panelsBottom, int hScrollHeight);
  // "&Send All" sits this far right of the first send button.
  static int SendAllLeft(int sendBtnLeft) { return sendBtnLeft + 25; }
  // The last machine the first slot may show: every slot shows a machine while there are six.
  static int LastFirstMachine(int machineCount);
};

// The first active slot whose area holds the point, or -1.
int SlotAtPoint(std::span<const TSlotArea> areas, QPoint point);
