// TFTraceFrame: the trace of one machine in the trace window. Under a header naming the
// machine and the design, the design is drawn stitch by stitch up to the stitch the machine
// has reached, followed by the counters (stitches, speed, needle, remaining time, remaining
// memory) and a status bar with the run state and the last error, red while the machine
// reports one. The frame keeps only the machine's index: every use of the machine's record
// looks it up again, since server events may change the list during any call to the server.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "hoopdesk/controls/colorref.h"
#include "shared/stitch.h"
#include "shared/traceinfo.h"

class QLabel;
class QLineEdit;
class TMachineSource;
class TTraceImage;
class TTraceStatusBar;

class TFTraceFrame : public QWidget {
 public:
  TFTraceFrame(TMachineSource& machines, int machineIndex, QWidget* parent);

  int MachineIndex() const { return machineIndex_; }
  const TTraceInfo& Trace() const { return trace_; }
  const TStitchItem& Design() const { return design_; }
  // The frame's own flag; it stays set while the trace window itself is out of view.
  bool IsShown() const { return !isHidden(); }

  void ClearStatus();
  // Reads the design the machine sews from the send folder; its stitch total.
  std::int32_t LoadDesign(const std::string& fileName);
  // Shows or hides the frame; a frame whose design is missing stays hidden.
  void ShowFrame(bool show);
  // The run state and error at a position, and the trace drawn on to it.
  void SetState(std::uint8_t state, std::int32_t position, std::int32_t error);
  // speed: the server's value, in tens of stitches per minute.
  void UpdateProgress(std::uint8_t state, std::int32_t position, std::int32_t error,
                      std::int32_t speed, std::int32_t needle, std::int32_t total);
  // The final picture: the design in its colours after a normal end, else all grey.
  void Complete(bool normal, std::int32_t needle);
  void SetMemory(std::int32_t memory);
  // speed in stitches per minute.
  void ShowCounters(std::int32_t speed, std::int32_t needle);
  void SetColor(std::uint32_t colour) { colour_ = colour; }
  std::uint32_t Color() const { return colour_; }
  void Redraw();
  void ClearError();
  // Empties the counters and the remaining memory.
  void ClearCounters();

 private:
  void BuildFoot(QWidget* foot);
  QLineEdit* AddEdit(QWidget* parent, const char* name, int width);
  // TracePaint in a mode with the machine's palette (none when the machine is gone).
  void Paint(std::uint8_t mode, bool withPalette);
  void SetStatusText(int panel, const std::string& text);

  TMachineSource& machines_;
  int machineIndex_;
  std::uint32_t colour_ = kBackWhite;
  TTraceInfo trace_;
  TStitchItem design_;

  QLabel* headerLbl_;
  TTraceImage* drawImg_;
  TTraceStatusBar* statusBar_;
  QLineEdit* stitchEdt_ = nullptr;
  QLineEdit* speedEdt_ = nullptr;
  QLineEdit* needleEdt_ = nullptr;
  QLineEdit* minEdt_ = nullptr;
  QLineEdit* secEdt_ = nullptr;
  QLineEdit* memEdt_ = nullptr;
};
