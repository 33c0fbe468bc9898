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
  void MakeVisible(int i);
  int VisibleRows() const { return visibleRows_; }

 private:
  QWidget* panel_;
  QScrollBar* bar_;
  int topRow_ = 0;
  int rowCount_ = 0;
  int visibleRows_ = 4;
};
