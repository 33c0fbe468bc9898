// Paging of the eight design thumbnails: which row of the file list is on top, kept in step
// with the scroll bar beside them, which the operator may move too.
#pragma once

class QScrollBar;
class QWidget;

class TImgContainer {
 public:
  TImgContainer(QWidget* panel, QScrollBar* bar);

  int SetHeight(int h);
  // The list's new length, without the bar's change signal: its caller draws the page once
  // the list is set, and a shorter list that moves the bar would draw it twice.
  void SetItemCount(int n);
  void UpdateBar();
  int ClampTopRow(int r) const;
  int GetTopRow();
  void SetTopRow(int r);
  // Back to the first row without the bar's change signal: for a list about to be replaced,
  // whose page is drawn once the new list is set.
  void ResetTopRow();
  void ScrollRows(int d);
  // A turn of the wheel in eighths of a degree, up when positive: a row for each notch (120),
  // what a fine wheel or a touchpad gives in smaller parts gathered until it makes one; a turn
  // the other way starts afresh, and a sideways turn (0) moves nothing.
  void Wheel(int angleDelta);
  void MakeVisible(int i);
  int VisibleRows() const { return visibleRows_; }

 private:
  QWidget* panel_;
  QScrollBar* bar_;
  int topRow_ = 0;
  int rowCount_ = 0;
  int visibleRows_ = 4;
  int wheelRest_ = 0;  // of the wheel's turn, what makes no whole notch yet
};
