// TFColorFrame: painting both row lists, the marks, and dragging palette entries onto blocks.
#include <QButtonGroup>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>

#include "hoopdesk/colours/colordialoghook.h"
#include "hoopdesk/colours/colorrows.h"
#include "hoopdesk/colours/colorswatchimage.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/colours/palettepaint.h"
#include "hoopdesk/controls/colorref.h"
#include "hoopdesk/controls/draglabel.h"
#include "hoopdesk/controls/paintpanel.h"

namespace {

constexpr COLORREF kNeedleRed = 0x0000FF;

}  // namespace

void TFColorFrame::PaintDst() {
  QPainter* p = panelDstColor_->Canvas();
  const TStitchItem* design = model_.Design();
  if (design == nullptr || p == nullptr) return;
  const TColorInfo* palette = modeGroup_->checkedId() != 0 ? Palette() : nullptr;
  for (int i = 0; i < design->GetColorCount(); ++i) {
    const int y = ColorRowY(i);
    const bool marked = i == model_.SelDst();
    TEmbColor c;
    design->GetColor(i, palette, c);
    if (marked) {
      // Outlined in the pen's black, filled with the block's colour.
      p->setPen(Qt::black);
      p->setBrush(ToQColor(c.Color));
      p->drawRect(MarkedBlockRect(i).adjusted(0, 0, -1, -1));
      p->setBrush(Qt::NoBrush);
    }
    p->drawImage(kColorSwatchX, y, ColorSwatchImage(c.Color, kBackWhite, marked));
    p->setPen(Qt::black);
    p->drawText(QRect(0, y + 10 - 4, 34, 20), Qt::AlignRight | Qt::AlignVCenter,
                QString::number(i + 1));
    if (palette != nullptr && c.Index != kNoPaletteIndex) {
      p->setPen(ToQColor(kNeedleRed));
      p->drawText(QRect(74, y + 10 - 4, 20, 20), Qt::AlignLeft | Qt::AlignVCenter,
                  QString::number(c.Index + 1));
    }
  }
}

void TFColorFrame::PaintSrc() {
  QPainter* p = panelSrcColor_->Canvas();
  const TColorInfo* palette = Palette();
  if (palette == nullptr || p == nullptr) return;
  PaintPaletteRows(*p, *palette, model_.SelSrc(), panelSrcColor_->width(),
                   {kBackWhite, model_.Mode() == TColorFrameMode::DialogNeedles});
}

void TFColorFrame::DstMouseDown(QPoint at) {
  savedScroll_ = upScrollBox_->verticalScrollBar()->value();
  if (model_.PressBlock(ColorRowAt(at.x(), at.y(), true))) panelDstColor_->update();
}

void TFColorFrame::SrcMouseDown(QPoint at) {
  savedScroll_ = downScrollBox_->verticalScrollBar()->value();
  if (model_.PressEntry(ColorRowAt(at.x(), at.y(), false))) panelSrcColor_->update();
}

void TFColorFrame::SrcMouseMove(Qt::MouseButtons buttons, QPoint at) {
  const TColorInfo* palette = Palette();
  if (!(buttons & Qt::LeftButton) || palette == nullptr) return;
  if (drag_ == nullptr) {
    if (!model_.CanDrag()) return;
    const QImage swatch = ColorSwatchImage(palette->GetColor(model_.SelSrc()), kBackWhite)
                              .scaled(kColorSwatchSize, kColorSwatchSize);
    drag_ = std::make_unique<TDragLabel>(window(), QPixmap::fromImage(swatch), "DragImage",
                                         Qt::DragCopyCursor);
  }
  drag_->Follow(panelSrcColor_->mapToGlobal(at));
  drag_->SetCanDrop(model_.CanDropOn(DropTarget(at)));
}

int TFColorFrame::DropTarget(QPoint srcPoint) const {
  const QPoint inFrame = panelSrcColor_->mapTo(this, srcPoint);
  if (!upPanel_->rect().contains(inFrame - upPanel_->pos())) return -1;
  const QPoint inDst = panelDstColor_->mapFrom(this, inFrame);
  return ColorRowAt(inDst.x(), inDst.y(), true);
}

void TFColorFrame::SrcMouseUp(QPoint at) {
  if (drag_ != nullptr) {
    drag_.reset();
    if (model_.Drop(DropTarget(at))) RefreshNames();
  }
  downScrollBox_->verticalScrollBar()->setValue(savedScroll_);
}

void TFColorFrame::SrcDblClick() {
  if (!model_.CanRecolourEntry()) return;
  const COLORREF start = Palette()->GetColor(model_.SelSrc());
  COLORREF chosen = start;
  bool confirmed = false;
  if (chooseColor) {
    confirmed = chooseColor(chosen);
  } else if (const std::optional<COLORREF> picked = RunColorDialog(this, start)) {
    chosen = *picked;
    confirmed = true;
  }
  // The colour dialog is modal: the model looks the palette up afresh after it.
  if (confirmed && model_.RecolourEntry(chosen)) panelSrcColor_->update();
}

void TFColorFrame::SrcKeyDown(int key) {
  const int delta = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
  if (delta == 0 || !model_.Step(delta)) return;
  QScrollBar* bar = downScrollBox_->verticalScrollBar();
  bar->setValue(
      ScrollToShowRow(model_.SelSrc(), bar->value(), downScrollBox_->viewport()->height()));
  panelSrcColor_->update();
}
