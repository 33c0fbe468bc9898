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
#include <vector>

#include "hoopdesk/colours/colormappings.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;
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
  void ApplyMapping(TStitchItem& design) const { mappings_.Apply(design, Palette()); }
  void ClearMappings() { mappings_.Clear(); }
  const TColorMappings& Mappings() const { return mappings_; }
  void RefreshNames();
  // The palette shown now: the dialog's, or that of the machine chosen in MachineCB, looked up
  // again at every call (the machine list may change between any two events).
  TColorInfo* Palette() const;
  int SelDst() const { return selDst_; }
  int SelSrc() const { return selSrc_; }

  QComboBox* MachineCB() const { return machineCB_; }
  QRadioButton* ThreadColorChoice() const { return threadColor_; }
  QWidget* PanelSrcColor() const;
  QWidget* PanelDstColor() const;

  // The palette of machine i, null when there is none; set by the owner. The frame keeps the
  // machine's index, never the palette: it asks again at every use.
  std::function<TColorInfo*(int)> machinePalette;
  // The colour dialog run by a double-click in frame mode 0: true with the chosen colour. The
  // default asks the operator; tests answer it.
  std::function<bool(COLORREF&)> chooseColor;

 signals:
  // Emitted after the frame's own handling, for the owner's follow-up.
  void ColorModeRGClick();
  void MachineCBChange();
  void PanelSrcColorMouseUp();
  void PanelDstColorMouseDown();
  void PanelSrcColorDblClick();
  // A check box changed the automatic match while thread colours are shown: the layout
  // view should be redrawn.
  void DockRefresh();

 private:
  void BuildControls();
  void DestroyRows();
  void BuildDesignRows(bool editable);
  void BuildPaletteRows(bool withChecks);
  void ColorModeRGClick_();
  void MachineCBChange_();
  void PaletteChanged(bool repaint);
  void CheckClick(int j, bool checked);
  void EditChange(int i, const QString& text);
  void PaintDst();
  void PaintSrc();
  void DstMouseDown(QPoint at);
  void SrcMouseDown(QPoint at);
  void SrcMouseMove(Qt::MouseButtons buttons, QPoint at);
  void SrcMouseUp(QPoint at);
  void SrcDblClick();
  void SrcKeyDown(int key);
  int DropTarget(QPoint srcPoint) const;
  bool CanDrag(int entry) const;
  void EndDrag();

  TStitchItem* design_ = nullptr;
  TColorInfo* dialogPalette_ = nullptr;  // frame modes 0 and 1: the dialog's palette
  int paletteMachine_ = -1;              // frame mode 2: the machine whose palette is shown
  TColorFrameMode frameMode_ = TColorFrameMode::MainNeedles;
  bool dataMode_ = true;
  bool changed_ = false;
  int selDst_ = -1;
  int selSrc_ = -1;
  int savedScroll_ = 0;
  std::array<QCheckBox*, kCheckSlots> checks_{};
  std::vector<QLineEdit*> nameEdits_;
  TColorMappings mappings_;
  QLabel* dragImage_ = nullptr;

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
