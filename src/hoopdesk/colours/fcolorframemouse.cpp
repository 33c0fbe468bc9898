// TFColorFrame: painting both row lists, the marks, and dragging palette entries onto blocks.
#include <QButtonGroup>
#include <QColorDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>

#include "hoopdesk/colours/colorrows.h"
#include "hoopdesk/colours/colorswatchimage.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/controls/paintpanel.h"

namespace {

constexpr COLORREF kSelectBlue = 0xFF0000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kDragSize = 32;

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Scrolls a box so that row `index` shows.
void ScrollRowIntoView(QScrollArea* box, int index) {
  QScrollBar* bar = box->verticalScrollBar();
  const int y = kColorRowPitch * index + kColorRowTop;
  const int height = box->viewport()->height();
  if (bar->value() > y) {
    bar->setValue(y);
  } else if (height + bar->value() - kColorSwatchSize < y) {
    bar->setValue(y - (height - kColorRowPitch));
  }
}

}  // namespace

void TFColorFrame::PaintDst() {
  QPainter* p = panelDstColor_->Canvas();
  if (design_ == nullptr || p == nullptr) return;
  const TColorInfo* palette = modeGroup_->checkedId() != 0 ? Palette() : nullptr;
  for (int i = 0; i < design_->GetColorCount(); ++i) {
    const int y = kColorRowTop + kColorRowPitch * i;
    TEmbColor c;
    design_->GetColor(i, palette, c);
    if (i == selDst_) p->fillRect(QRect(QPoint(37, y - 4), QPoint(71, y + 35)), ToQColor(c.Color));
    p->drawImage(kColorSwatchX, y, ColorSwatchImage(c.Color, kWhite, i == selDst_));
    p->setPen(Qt::black);
    p->drawText(QRect(0, y + 10 - 4, 34, 20), Qt::AlignRight | Qt::AlignVCenter,
                QString::number(i + 1));
    if (palette != nullptr && c.Index != kNoPaletteIndex) {
      p->setPen(ToQColor(0x0000FF));
      p->drawText(QRect(74, y + 10 - 4, 20, 20), Qt::AlignLeft | Qt::AlignVCenter,
                  QString::number(c.Index + 1));
    }
  }
}

void TFColorFrame::PaintSrc() {
  QPainter* p = panelSrcColor_->Canvas();
  const TColorInfo* palette = Palette();
  if (palette == nullptr || p == nullptr) return;
  const int width = panelSrcColor_->width();
  for (int i = 0; i < palette->GetCount(); ++i) {
    const int y = kColorRowTop + kColorRowPitch * i;
    const bool selected = i == selSrc_;
    if (selected) p->fillRect(QRect(0, y - 4, width, 40), ToQColor(kSelectBlue));
    p->setPen(selected ? Qt::white : Qt::black);
    p->drawText(QRect(20, y + 10 - 4, 20, 20), Qt::AlignCenter, QString::number(i + 1));
    p->drawText(QRect(78, y + 10 - 4, width - 80, 20), Qt::AlignLeft | Qt::AlignVCenter,
                QString::fromStdString(palette->GetLabel(i)));
    if (frameMode_ == TColorFrameMode::DialogNeedles && !palette->GetFlag(i)) continue;
    p->drawImage(kColorSwatchX, y,
                 ColorSwatchImage(palette->GetColor(i), selected ? kSelectBlue : kWhite, false));
  }
}

void TFColorFrame::DstMouseDown(QPoint at) {
  savedScroll_ = upScrollBox_->verticalScrollBar()->value();
  if (design_ == nullptr) return;
  const int r = ColorRowAt(at.x(), at.y(), true);
  if (r < 0 || r >= design_->GetColorCount()) return;
  if (selDst_ >= 0) design_->ClearMark(selDst_);
  if (r == selDst_) {
    selDst_ = -1;
  } else {
    selDst_ = r;
    design_->SetMark(r);
  }
  changed_ = true;
  panelDstColor_->update();
}

void TFColorFrame::SrcMouseDown(QPoint at) {
  savedScroll_ = downScrollBox_->verticalScrollBar()->value();
  const TColorInfo* palette = Palette();
  if (palette == nullptr) return;
  const int r = ColorRowAt(at.x(), at.y(), false);
  if (r < 0 || r >= palette->GetCount()) return;
  selSrc_ = r;
  panelSrcColor_->update();
}

bool TFColorFrame::CanDrag(int entry) const {
  const TColorInfo* palette = Palette();
  if (palette == nullptr || entry < 0 || entry >= palette->GetCount()) return false;
  return frameMode_ != TColorFrameMode::DialogNeedles || palette->GetFlag(entry);
}

void TFColorFrame::SrcMouseMove(Qt::MouseButtons buttons, QPoint at) {
  const TColorInfo* palette = Palette();
  if (!(buttons & Qt::LeftButton) || palette == nullptr) return;
  QWidget* top = window();
  if (dragImage_ == nullptr) {
    if (!CanDrag(selSrc_)) return;
    dragImage_ = new QLabel(top);
    dragImage_->setObjectName("DragImage");
    dragImage_->setPixmap(QPixmap::fromImage(
        ColorSwatchImage(palette->GetColor(selSrc_), kWhite, false).scaled(kDragSize, kDragSize)));
    dragImage_->resize(kDragSize, kDragSize);
    dragImage_->setAttribute(Qt::WA_TransparentForMouseEvents);
    dragImage_->show();
    dragImage_->raise();
    QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
  }
  dragImage_->move(panelSrcColor_->mapTo(top, at) - QPoint(kDragSize / 2, kDragSize / 2));
  const bool canDrop = !dataMode_ && DropTarget(at) >= 0;
  QGuiApplication::changeOverrideCursor(canDrop ? Qt::DragCopyCursor : Qt::ForbiddenCursor);
}

int TFColorFrame::DropTarget(QPoint srcPoint) const {
  if (design_ == nullptr) return -1;
  const QPoint inUp = panelSrcColor_->mapTo(this, srcPoint) - upPanel_->pos();
  if (!upPanel_->rect().contains(inUp)) return -1;
  const QPoint inDst = panelDstColor_->mapFrom(this, panelSrcColor_->mapTo(this, srcPoint));
  const int r = ColorRowAt(inDst.x(), inDst.y(), true);
  return r < design_->GetColorCount() ? r : -1;
}

void TFColorFrame::EndDrag() {
  delete dragImage_;
  dragImage_ = nullptr;
  QGuiApplication::restoreOverrideCursor();
}

void TFColorFrame::SrcMouseUp(QPoint at) {
  const bool dragging = dragImage_ != nullptr;
  if (dragging && selSrc_ >= 0) {
    EndDrag();
    const int d = dataMode_ ? -1 : DropTarget(at);
    const TColorInfo* palette = Palette();
    if (d >= 0 && palette != nullptr && design_ != nullptr &&
        DropPaletteEntry(*design_, d, *palette, selSrc_, frameMode_, mappings_)) {
      RefreshNames();
      selDst_ = -1;
      changed_ = true;
    }
  } else if (dragging) {
    EndDrag();
  }
  downScrollBox_->verticalScrollBar()->setValue(savedScroll_);
}

void TFColorFrame::SrcDblClick() {
  if (frameMode_ != TColorFrameMode::Recolour || selSrc_ < 0 || Palette() == nullptr) return;
  COLORREF chosen = Palette()->GetColor(selSrc_);
  const bool confirmed = chooseColor ? chooseColor(chosen) : [&] {
    const QColor c = QColorDialog::getColor(ToQColor(chosen), this);
    if (c.isValid()) chosen = RGB(c.red(), c.green(), c.blue());
    return c.isValid();
  }();
  // The colour dialog is modal: the palette is taken afresh after it.
  TColorInfo* palette = Palette();
  if (confirmed && palette != nullptr && selSrc_ < palette->GetCount()) {
    palette->SetColor(selSrc_, chosen);
    panelSrcColor_->update();
  }
}

void TFColorFrame::SrcKeyDown(int key) {
  const TColorInfo* palette = Palette();
  if (palette == nullptr) return;
  int next = selSrc_;
  if (key == Qt::Key_Up) {
    next = selSrc_ - 1;
  } else if (key == Qt::Key_Down) {
    next = selSrc_ + 1;
  } else {
    return;
  }
  if (next < 0 || next >= palette->GetCount()) return;
  selSrc_ = next;
  ScrollRowIntoView(downScrollBox_, next);
  panelSrcColor_->update();
}
