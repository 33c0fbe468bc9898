// The trace window: one trace frame per machine on screen, and a legend of the counters below
// them. This build keeps the window, its menu, its legend and its six frame slots; the frames
// themselves (design traced stitch by stitch, counters, status bar) are not drawn yet, so the
// operations that feed a frame only keep what the slot table needs.
#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>

#include "hoopdesk/trace/fdockform.h"

class QAction;
class QLabel;
class QMenu;
class QWidget;

class TFTrace : public TFDockForm {
  Q_OBJECT
 public:
  static constexpr int kSlots = 6;

  explicit TFTrace(QWidget* parent = nullptr);

  bool CreateTraceFrame(int index);
  int FindTraceFrame(int index) const;
  // Keeps frames for the machines first .. first + count - 1, reusing slots of others.
  void UpdateTraceFrames(int first, int count);
  void ShowTraceFrame(int index, bool show);
  std::int32_t LoadTraceDesign(int index, const QString& fileName);
  void SetTraceState(int index, std::uint8_t state, std::int32_t position, std::int32_t error);
  void SetTraceProgress(int index, std::uint8_t state, std::int32_t position, std::int32_t error,
                        std::int32_t speed, std::int32_t needle, std::int32_t total);
  void CompleteTrace(int index, bool normal, std::int32_t needle);
  void SetTraceMemory(int index, std::int32_t memory);
  void TileTraceFrames();
  void ChangeBackColor(std::uint32_t colour);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct Slot {
    int machine = -1;
    bool hasFrame = false;
    bool shown = false;
  };

  void OnBackColorItem(std::uint32_t colour) override { ChangeBackColor(colour); }

  std::array<Slot, kSlots> slots_{};
  QMenu* popupMenu_;
  QWidget* panelFoot_;
};
