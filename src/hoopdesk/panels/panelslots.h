// The Send tab's six panel slots and its shared controls, as the machine records are mirrored
// into them: slot k shows machine firstVisible + k. Each setter stores its value in the
// machine's record first and touches the slot's controls only while the machine is in view, so
// scrolling can bring any machine into any slot and restore it from its record. Widgets are
// borrowed from the main window; nothing here calls the server.
#pragma once

#include <QMetaObject>
#include <array>
#include <cstdint>
#include <string>

#include "hoopdesk/machines/machinelimits.h"
#include "hoopdesk/panels/panelgeometry.h"
#include "hoopdesk/panels/sendtablayout.h"

class QAbstractButton;
class QLabel;
class QProgressBar;
class QScrollBar;
class QSlider;
class QWidget;
class TMachineList;

class TPanelSlots {
 public:
  // The send button's transfer animation (program resource).
  static constexpr std::int32_t kSendAnimationResId = 136;

  explicit TPanelSlots(TMachineList& machines) : machines_(machines) {}

  // The five controls of slot 0..5; the send button gets the transfer animation as its
  // "ResId".
  void SetSlot(int slot, QWidget* sendImg, QLabel* lbl, QAbstractButton* sendBtn, QWidget* sewBtn,
               QProgressBar* progBar);
  // The shared controls and the speed the track bar shows when the slots are arranged.
  void SetSharedControls(QScrollBar* hScroll, QScrollBar* vScroll, QAbstractButton* sendAllBtn,
                         QLabel* spLbl, QLabel* trackLbl, QSlider* trackBar, std::int32_t rotSpeed);

  int FirstVisible() const { return firstVisible_; }
  void SetFirstVisible(int first) { firstVisible_ = first; }
  int SlotToMachine(int slot) const { return firstVisible_ + slot; }
  // True once the queue scroll bar is known: the panels are drawn only then.
  bool HasQueueScroll() const { return hScroll_ != nullptr; }
  // The panel image of machine d while it is in view, else null.
  QLabel* ImageOf(int d) const;
  // Slot 0's panel image, whose size every panel shares; null before the slots are known.
  const QWidget* FirstImage() const { return slots_[0].sendImg; }
  // Whether slot k's image can be drawn: it exists and has an area.
  bool ImageHasArea(int k) const;
  // The panel images on screen, in global coordinates, for the hit test.
  std::array<TSlotArea, kPanelSlots> Areas() const;

  // The display fields of the records and the controls that mirror them.
  bool IsShown(int d) const;
  void SetShown(int d, bool shown);
  void SetMachineNumber(int d, const std::string& text);
  bool IsOnline(int d) const;
  void SetOnline(int d, bool online);
  bool IsEnabled(int d) const;
  void SetEnabled(int d, bool enabled);
  bool CanSend(int d) const;
  void SetCanSend(int d, bool canSend);
  bool IsMachineBusy(int d) const;
  void SetBusy(int d, bool busy);
  void SetProgress(int d, std::int32_t percent);
  void SetSewImage(int d, std::uint32_t resId);

  // The speed the label shows for a track bar position: rounded down to tens.
  static int SpeedShown(int position);
  // Slots in use for that many machines, the machine scroll bar, the shared controls under the
  // last slot in use and the saved speed on the track bar and its label. A first machine
  // beyond the last full page moves back to it.
  void Arrange(int machineCount);
  // The queue scroll bar as wide as the panels, "&Send All" beside the first send button.
  void LineUpSharedControls();
  void ShowSpeedControls(bool show);
  // The queue scroll offset of the panels in view.
  int QueueOffset() const;
  // Sets the queue scroll bar up quietly: the caller draws the panels. True when the queue
  // offset of the panels changed.
  bool SetQueueScroll(const TQueueScroll& scroll);
  // The machine scroll bar moved to `position`: beyond the last full page it is put back
  // quietly. The first machine to show.
  int MachineScrollTo(int position);

 private:
  struct TSlot {
    QWidget* sendImg = nullptr;
    QLabel* lbl = nullptr;
    QAbstractButton* sendBtn = nullptr;
    QWidget* sewBtn = nullptr;
    QProgressBar* progBar = nullptr;
  };
  // The slot showing machine d, or null when it is not in view.
  const TSlot* VisibleSlot(int d) const;
  // "&Send All" is enabled while any machine can send.
  void UpdateSendAllButton();

  TMachineList& machines_;
  std::array<TSlot, kPanelSlots> slots_{};
  int firstVisible_ = 0;
  QScrollBar* hScroll_ = nullptr;
  QScrollBar* vScroll_ = nullptr;
  QAbstractButton* sendAllBtn_ = nullptr;
  QLabel* spLbl_ = nullptr;
  QLabel* trackLbl_ = nullptr;
  QSlider* trackBar_ = nullptr;
  std::int32_t rotSpeed_ = 500;
  QMetaObject::Connection largeStep_;
};
