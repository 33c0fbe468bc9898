// TFLayout: selecting a design with the mouse and dragging its outline to move, queue or
// trash it. The drag start and the release are both taken in the drawing panel's own
// coordinates, so a design moves by exactly the distance the pointer went; only the tests
// against the trash button and the machine panels use the main window's coordinates.
#include <QGuiApplication>
#include <QWidget>

#include "hoopdesk/layout/dragoutline.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/layout/layoutdrop.h"
#include "shared/common.h"

void TFLayout::DrawPanelMouseDown(Qt::MouseButton button, QPoint at) {
  const TPoint p = UnzoomPoint(designs_.GetZoom(false), at.x(), at.y());
  const int hit = designs_.HitTest(p.x, p.y);
  if (hit != designs_.GetSelected()) {
    designs_.SetSelected(hit);
    PaintLayout(false, false);
  }
  if (button == Qt::LeftButton && hit >= 0) {
    dragStart_ = at;
    if (!dragArmed_) QGuiApplication::setOverrideCursor(Qt::DragMoveCursor);
    dragArmed_ = true;
  }
  dragShown_ = false;
}

QRect TFLayout::DragOutlineRect(QPoint at) const {
  TRect r;
  if (!designs_.GetSelectedRect(r)) return {};
  const QPoint topLeft = DrawPanel()->mapTo(host_->DragSpace(), QPoint(r.left, r.top));
  return QRect(topLeft, QSize(r.right - r.left, r.bottom - r.top)).translated(at - dragStart_);
}

void TFLayout::DrawPanelMouseMove(Qt::MouseButtons buttons, QPoint at) {
  if (!(buttons & Qt::LeftButton) || designs_.GetSelected() < 0 || host_ == nullptr) return;
  if (!dragArmed_) return;  // the press was not on a design
  QWidget* space = host_->DragSpace();
  if (dragOutline_ == nullptr) dragOutline_ = new TDragOutline(space);
  dragOutline_->ShowAt(DragOutlineRect(at));
  dragShown_ = true;
  const QPoint w = DrawPanel()->mapTo(space, at);
  const bool overTrash = host_->IsTrashBox(w.x(), w.y());
  host_->SetTrashActive(overTrash);
  const TLayoutDrop drop = DecideLayoutDrop(overTrash, host_->MachineAtFormPoint(w.x(), w.y()),
                                            IsDrawPanel(at.x(), at.y()));
  QGuiApplication::changeOverrideCursor(drop == TLayoutDrop::None ? Qt::ForbiddenCursor
                                                                  : Qt::DragMoveCursor);
}

void TFLayout::EndDragOutline() {
  delete dragOutline_;
  dragOutline_ = nullptr;
  dragShown_ = false;
}

void TFLayout::DrawPanelMouseUp(Qt::MouseButton button, QPoint at) {
  int i = designs_.GetSelected();
  if (button == Qt::LeftButton && i >= 0 && dragShown_ && host_ != nullptr) {
    EndDragOutline();
    const QPoint w = DrawPanel()->mapTo(host_->DragSpace(), at);
    const bool overTrash = host_->IsTrashBox(w.x(), w.y());
    const int machine = overTrash ? -1 : host_->MachineAtFormPoint(w.x(), w.y());
    switch (DecideLayoutDrop(overTrash, machine, IsDrawPanel(at.x(), at.y()))) {
      case TLayoutDrop::Queue:
        host_->QueueLayoutDesign(machine, CurrentDesign());
        break;
      case TLayoutDrop::Move:
        designs_.MoveItem(i, at.x() - dragStart_.x(), at.y() - dragStart_.y());
        if (designs_.GetCount() > 1) {
          RebuildMerged();
          UpdateColorFrame();
        }
        PaintLayout(true, true);
        break;
      case TLayoutDrop::Trash:
        host_->SetTrashActive(false);
        host_->DeleteLayoutDesign(i);
        i = -1;
        break;
      case TLayoutDrop::None:
        break;
    }
  }
  EndDragOutline();
  if (host_ != nullptr) host_->SelectOrderRow(i >= 0 ? designs_.FindOrder(i) : -1);
  if (dragArmed_) QGuiApplication::restoreOverrideCursor();
  dragArmed_ = false;
}
