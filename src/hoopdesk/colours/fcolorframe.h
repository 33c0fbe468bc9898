// The colour frame: a design's colour blocks beside the entries of a thread palette. The
// operator drags a palette entry onto a block to recolour it (frame mode 0) or to make that
// entry its needle (modes 1 and 2); check boxes choose which entries the automatic match may
// use. Embedded on the main window's Color tab (mode 2, the palette of the machine chosen in
// MachineCB) and in the design colours dialog (modes 0 and 1, a palette given to it).
#pragma once

#include <QPoint>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "hoopdesk/colours/colorframemodel.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QScrollArea;
class TDragLabel;
class TPaintPanel;

class TFColorFrame : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kCheckSlots = 15;
  static constexpr int kNameBytes = 31;

  explicit TFColorFrame(QWidget* parent = nullptr);
  ~TFColorFrame() override;

  // The main window's use: `design` (not owned; null for none) against the palette of the
  // machine chosen in MachineCB, with check boxes. Drops the mappings.
  void Setup(TStitchItem* design);
  // The dialog's use: `design` against `palette` (neither owned) in frame mode 0 or 1.
  void SetupDialog(TStitchItem* design, TColorInfo* palette, TColorFrameMode mode);

  bool TakeChanged();
  bool IsDataMode() const;
  int GetMachineIndex() const;
  void ClearMappings() { model_.ClearMappings(); }
  const TColorMappings& Mappings() const { return model_.Mappings(); }
  void RefreshNames();
  // The palette shown now: the dialog's, or that of the machine chosen in MachineCB, looked up
  // again at every call (the machine list may change between any two events).
  TColorInfo* Palette() const { return model_.Palette(); }
  int SelDst() const { return model_.SelDst(); }
  int SelSrc() const { return model_.SelSrc(); }

  QComboBox* MachineCB() const { return machineCB_; }
  QRadioButton* ThreadColorChoice() const { return threadColor_; }
  QWidget* PanelSrcColor() const;
  QWidget* PanelDstColor() const;

  // The palette of machine i, null when there is none; set by the owner. The frame keeps the
  // machine's index, never the palette: it asks again at every use.
  std::function<TColorInfo*(int)> machinePalette;
  // The colour dialog run by a double-click in frame mode 0: true with the chosen colour. The
  // default is the common colour dialog (RunColorDialog).
  std::function<bool(COLORREF&)> chooseColor;

 signals:
  // Emitted after the frame's own handling, for the owner's follow-up.
  void ColorModeRGClick();
  void MachineCBChange();
  void PanelSrcColorMouseUp();
  void PanelDstColorMouseDown();
  void PanelSrcColorDblClick();
  // A check box or another machine changed the automatic match while thread colours are
  // shown: the layout view should be redrawn.
  void DockRefresh();

 private:
  void BuildControls();
  void DestroyRows();
  void BuildDesignRows(bool editable);
  void BuildPaletteRows(bool withChecks);
  void ColorModeRGClick_();
  void MachineCBChange_();
  void Refresh(const TColorFrameModel::TRefresh& refresh);
  void CheckClick(int j, bool checked);
  void PaintDst();
  void PaintSrc();
  void DstMouseDown(QPoint at);
  void SrcMouseDown(QPoint at);
  void SrcMouseMove(Qt::MouseButtons buttons, QPoint at);
  void SrcMouseUp(QPoint at);
  void SrcDblClick();
  void SrcKeyDown(int key);
  // The design row under a point of the palette panel, -1 outside the upper panel.
  int DropTarget(QPoint srcPoint) const;

  TColorFrameModel model_{machinePalette};
  int savedScroll_ = 0;
  // Children of the row panels, made and destroyed with the rows.
  std::array<std::unique_ptr<QCheckBox>, kCheckSlots> checks_;
  std::vector<std::unique_ptr<QLineEdit>> nameEdits_;
  std::unique_ptr<TDragLabel> drag_;

  QWidget* upPanel_ = nullptr;
  QGroupBox* colorModeRG_ = nullptr;
  QButtonGroup* modeGroup_ = nullptr;
  QRadioButton* threadColor_ = nullptr;
  QScrollArea* upScrollBox_ = nullptr;
  TPaintPanel* panelDstColor_ = nullptr;
  QWidget* panelDownTop_ = nullptr;
  QComboBox* machineCB_ = nullptr;
  QScrollArea* downScrollBox_ = nullptr;
  TPaintPanel* panelSrcColor_ = nullptr;
};
