// The trace window: one trace frame per machine on screen, tiled above a legend of the
// counters. It keeps at most six frames, one per panel slot, and hands them to other machines
// when the panels scroll. The event sink, polling and sending feed the frames through the
// operations below, naming the machine by its index; each does nothing for a machine without a
// frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hoopdesk/docking/fdockform.h"
#include "hoopdesk/machines/machinelimits.h"
#include "hoopdesk/machines/tracesink.h"
#include "hoopdesk/trace/traceslots.h"

class QMenu;
class QWidget;
class TFTraceFrame;
class TMachineSource;

class TFTrace : public TFDockForm, public TTraceSink {
  Q_OBJECT
 public:
  static constexpr int kSlots = kPanelSlots;

  // The machines are read from `machines`, which outlives the window.
  explicit TFTrace(TMachineSource& machines, QWidget* parent = nullptr);

  // Makes sure the machine has a frame (hidden when new); false when all six are taken.
  bool CreateTraceFrame(int index) override;
  // The slot holding the machine's frame, or -1.
  int FindTraceFrame(int index) const;
  // The machine's frame, or null.
  TFTraceFrame* TraceFrame(int index) const;
  // Hands frames to the machines first .. first + count - 1, keeping those they already have.
  void UpdateTraceFrames(int first, int count) override;
  void ShowTraceFrame(int index, bool show) override;
  std::int32_t LoadTraceDesign(int index, const std::string& fileName) override;
  // The machine's frame, made when it has none yet, with the send file of that name loaded and
  // shown.
  void ShowTraceDesign(int index, const std::string& fileName) override;
  void SetTraceState(int index, std::uint8_t state, std::int32_t position,
                     std::int32_t error) override;
  void SetTraceProgress(int index, std::uint8_t state, std::int32_t position, std::int32_t error,
                        std::int32_t speed, std::int32_t needle, std::int32_t total) override;
  void CompleteTrace(int index, bool normal, std::int32_t needle) override;
  void SetTraceMemory(int index, std::int32_t memory) override;
  void ClearTraceStatus(int index) override;
  void ClearTraceCounters(int index) override;
  void TileTraceFrames();
  void ChangeBackColor(std::uint32_t colour);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void ClientAreaChanged() override { TileTraceFrames(); }
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct Slot {
    int machine = -1;
    TFTraceFrame* frame = nullptr;  // a child widget
  };

  void OnBackColorItem(std::uint32_t colour) override { ChangeBackColor(colour); }
  // What the slot rules see of the slots.
  std::array<TTraceSlot, kSlots> SlotStates() const;
  // Takes the frame out of its slot. It is deleted once control is back in the event loop, as
  // the frame may be inside one of its own calls to the server.
  void DropFrame(Slot& slot);

  TMachineSource& machines_;
  std::array<Slot, kSlots> slots_{};
  QMenu* popupMenu_;
  QWidget* panelFoot_;
};
