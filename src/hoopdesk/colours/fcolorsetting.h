// TFColorSetting: "Color Setting", the dialog in which the operator edits the system palette
// (right) and copies system colours into a machine's needle palette (left) by dragging them.
// The rules live in TColorSettingModel; this form turns the mouse, the keys and the buttons
// into its calls and repaints.
#pragma once

#include <QDialog>
#include <QPoint>
#include <memory>

#include "hoopdesk/colours/colorsettingmodel.h"

class QComboBox;
class QPushButton;
class QScrollArea;
class QToolButton;
class TColorInfo;
class TColorSettingHost;
class TDragLabel;
class TPaintPanel;

class TFColorSetting : public QDialog {
  Q_OBJECT

 public:
  // `machine`: the machine whose palette is shown first (0 when the opener has none).
  TFColorSetting(QWidget* owner, int machine, TColorInfo& system, TColorSettingHost& host);
  ~TFColorSetting() override;

  // Some table was written while the dialog was open; the opener then repaints.
  bool Saved() const { return model_.Saved(); }
  const TColorSettingModel& Model() const { return model_; }

 public slots:
  void MachineCBChange(int index);
  void EditColorClick();
  void AddBtnClick();
  void DelBtnClick();
  void EditBtnClick();
  void UpBtnClick();
  void DownBtnClick();
  void OKBtnClick();

 private:
  void BuildForm();
  void UpdateButtons();
  void RepaintRight();
  void ScrollIntoView();
  void RightPaintPanelMouseDown(Qt::MouseButton button, QPoint pos);
  void RightPaintPanelMouseMove(Qt::MouseButtons buttons, QPoint pos);
  void RightPaintPanelMouseUp(Qt::MouseButton button, QPoint pos);
  void RightPaintPanelKeyDown(int key);
  // The row of `panel` under a point of the right panel, -1 when the point is not over the
  // visible part of that panel.
  int RowUnder(QScrollArea* box, TPaintPanel* panel, QPoint rightPos) const;

  TColorSettingModel model_;
  std::unique_ptr<TDragLabel> drag_;

  TPaintPanel* LeftPaintPanel = nullptr;
  TPaintPanel* RightPaintPanel = nullptr;
  QScrollArea* LeftScrollBox = nullptr;
  QScrollArea* RightScrollBox = nullptr;
  QComboBox* MachineCB = nullptr;
  QPushButton* AddBtn = nullptr;
  QPushButton* DelBtn = nullptr;
  QPushButton* EditBtn = nullptr;
  QPushButton* ColorBtn = nullptr;
  QToolButton* UpBtn = nullptr;
  QToolButton* DownBtn = nullptr;
  QPushButton* OKBtn = nullptr;
};
