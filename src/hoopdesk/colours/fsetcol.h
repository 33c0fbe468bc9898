// The design colours dialog "Color": one design shown large beside a colour frame, with its
// size, stitch and colour counts. Browse mode (frame mode 0) recolours a design loaded from a
// file against a copy of the system palette and leaves with "&Save"; needle mode (frame mode
// 1) assigns a machine's needles to a queued design and also shows the design's extents around
// its origin and the drawing scale. The dialog changes the design it is given and nothing else.
#pragma once

#include <QDialog>
#include <QPoint>
#include <cstdint>

#include "hoopdesk/colours/colormappings.h"
#include "hoopdesk/controls/colorref.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class TFColorFrame;

class TFSetCol : public QDialog {
  Q_OBJECT
 public:
  // The modal result of "&Save" (the browser saves the design only on it).
  static constexpr int kSaveResult = 6;

  // design and palette stay the caller's and outlive the dialog; design may be null.
  TFSetCol(QWidget* owner, int model, TColorInfo* palette, TStitchItem* design,
           TColorFrameMode mode, std::uint32_t backColor = kBackWhite);
  ~TFSetCol() override;

  TFColorFrame& ColorFrame() { return *frame_; }
  int Zoom() const { return zoom_; }
  QPoint OriginPt() const { return originPt_; }
  std::uint32_t BackColor() const { return backColor_; }
  void SetBackColor(std::uint32_t colour);
  void Redraw();

  // Whatever closes the dialog (OK, Save, Cancel, Escape, the frame), no block of the design
  // stays marked.
  void done(int result) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  class Image;
  void FillInfo();
  void FrameChanged();
  void PopupMenuPopup();

  bool browseMode_;
  int zoom_ = 100;
  QPoint originPt_;
  TStitchItem* design_;
  TColorInfo* palette_;
  int model_;
  std::uint32_t backColor_;
  Image* imgDraw_ = nullptr;
  TFColorFrame* frame_ = nullptr;
  QLineEdit* widthEdt_ = nullptr;
  QLineEdit* heightEdt_ = nullptr;
  QLineEdit* stitchEdt_ = nullptr;
  QLineEdit* colorsEdt_ = nullptr;
  QLineEdit* scaleEdt_ = nullptr;
  QLineEdit* x1Edt_ = nullptr;
  QLineEdit* x2Edt_ = nullptr;
  QLineEdit* y1Edt_ = nullptr;
  QLineEdit* y2Edt_ = nullptr;
  QLabel* labelScale_ = nullptr;
  QMenu* popupMenu_ = nullptr;
};
