#include "hoopdesk/browser/imgcontainer.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QWidget>
#include <algorithm>

#include "hoopdesk/browser/thumbnailpage.h"

TImgContainer::TImgContainer(QWidget* panel, QScrollBar* bar) : panel_(panel), bar_(bar) {}

int TImgContainer::SetHeight(int h) {
  h = std::clamp(h, 144, 529);
  panel_->setFixedHeight(h);
  visibleRows_ = (h - 16) / TThumbnailPage::kRowPitch;
  UpdateBar();
  return h;
}

void TImgContainer::SetItemCount(int n) {
  const QSignalBlocker quiet(bar_);
  rowCount_ = (n + TThumbnailPage::kColumns - 1) / TThumbnailPage::kColumns;
  UpdateBar();
}

void TImgContainer::UpdateBar() {
  topRow_ = bar_->value();  // where the operator left it, before a shorter range moves it
  const bool scrolls = visibleRows_ < rowCount_;
  if (scrolls) {
    // A Qt bar's maximum is the last position, not the last row: ending it at the last full
    // page keeps the thumb from being dragged past it, with the thumb as long as the page.
    bar_->setPageStep(visibleRows_);
    bar_->setRange(0, rowCount_ - visibleRows_);
  } else {
    bar_->setRange(0, 0);
  }
  topRow_ = ClampTopRow(topRow_);
  bar_->setValue(topRow_);
  bar_->setEnabled(scrolls);
}

int TImgContainer::ClampTopRow(int r) const {
  return std::clamp(r, 0, std::max(0, rowCount_ - visibleRows_));
}

int TImgContainer::GetTopRow() {
  // The operator moves the bar itself: its position is the top row from then on.
  topRow_ = ClampTopRow(bar_->value());
  if (topRow_ != bar_->value()) bar_->setValue(topRow_);
  return topRow_;
}

void TImgContainer::SetTopRow(int r) {
  topRow_ = ClampTopRow(r);
  bar_->setValue(topRow_);
}

void TImgContainer::ResetTopRow() {
  const QSignalBlocker quiet(bar_);
  topRow_ = 0;
  bar_->setValue(0);
}

void TImgContainer::ScrollRows(int d) { SetTopRow(GetTopRow() + d); }

void TImgContainer::Wheel(int angleDelta) {
  constexpr int kNotch = 120;
  if (angleDelta == 0) return;
  if ((wheelRest_ > 0 && angleDelta < 0) || (wheelRest_ < 0 && angleDelta > 0)) wheelRest_ = 0;
  wheelRest_ += angleDelta;
  const int notches = wheelRest_ / kNotch;
  wheelRest_ -= notches * kNotch;
  if (notches != 0) ScrollRows(-notches);
}

void TImgContainer::MakeVisible(int i) {
  const int row = i / TThumbnailPage::kColumns;
  const int top = GetTopRow();
  if (row < top || row >= top + visibleRows_) SetTopRow(row);
}
