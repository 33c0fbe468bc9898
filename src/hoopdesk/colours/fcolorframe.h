// The colour frame: a design's colour blocks beside the needle colours of a machine. This
// build shows both lists, the mode choice and the machine list; assigning needles by dragging,
// the check boxes and the name edits come later.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

#include "shared/colorinfo.h"
#include "shared/stitch.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QRadioButton;

class TFColorFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TFColorFrame(QWidget* parent = nullptr);

  // Shows `design` (not owned; null for none) against the palette of the machine chosen in
  // MachineCB. Drops the mappings.
  void Setup(TStitchItem* design);
  bool TakeChanged();
  bool IsDataMode() const;
  int GetMachineIndex() const;
  // No mappings are kept yet: needles are not assigned by hand in this build.
  void ClearMappings() {}
  void RefreshNames();
  const TColorInfo* Palette() const { return palette_; }

  QComboBox* MachineCB() const { return machineCB_; }
  QRadioButton* ThreadColorChoice() const { return threadColor_; }
  QWidget* PanelSrcColor() const;
  QWidget* PanelDstColor() const;

  // The palette of machine i, null when there is none; set by the owner.
  std::function<TColorInfo*(int)> machinePalette;

 signals:
  // Emitted after the frame's own handling, for the owner's follow-up.
  void ColorModeRGClick();
  void MachineCBChange();
  void PanelSrcColorMouseUp();
  void PanelDstColorMouseDown();
  void PanelSrcColorDblClick();

 private:
  class Rows;
  void ModeClicked();
  void MachineChanged();
  void PaletteChanged();

  TStitchItem* design_ = nullptr;
  TColorInfo* palette_ = nullptr;
  bool changed_ = false;
  QGroupBox* colorModeRG_;
  QButtonGroup* modeGroup_;
  QRadioButton* threadColor_;
  QComboBox* machineCB_;
  Rows* panelDstColor_;
  Rows* panelSrcColor_;
};
