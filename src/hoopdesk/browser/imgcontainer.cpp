#include "hoopdesk/browser/imgcontainer.h"

#include <QScrollBar>
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
  rowCount_ = (n + TThumbnailPage::kColumns - 1) / TThumbnailPage::kColumns;
  UpdateBar();
}

void TImgContainer::UpdateBar() {
  const bool scrolls = visibleRows_ < rowCount_;
  if (scrolls) {
    bar_->setPageStep(visibleRows_);
    bar_->setRange(0, rowCount_ - 1);
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
  const int r = ClampTopRow(bar_->value());
  if (r != bar_->value()) bar_->setValue(r);
  return r;
}

void TImgContainer::SetTopRow(int r) {
  topRow_ = ClampTopRow(r);
  bar_->setValue(topRow_);
}

void TImgContainer::MakeVisible(int i) {
  const int row = i / TThumbnailPage::kColumns;
  if (row < topRow_ || row >= topRow_ + visibleRows_) SetTopRow(row);
}
