// TFLayout: selecting a design with the mouse and dragging its outline to move, queue or
// trash it (the gesture is TLayoutDrag's, the drop TLayoutDrop's). Only the tests against the
// trash button and the machine panels use the main window's coordinates.
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
  if (drag_.Press(button == Qt::LeftButton, hit, at))
    QGuiApplication::setOverrideCursor(Qt::DragMoveCursor);
}

QRect TFLayout::DragOutlineRect(QPoint at) const {
  TRect r;
  if (!designs_.GetSelectedRect(r)) return {};
  const QPoint topLeft = DrawPanel()->mapTo(host_->DragSpace(), QPoint(r.left, r.top));
  return QRect(topLeft, QSize(r.right - r.left, r.bottom - r.top)).translated(drag_.Offset(at));
}

void TFLayout::DrawPanelMouseMove(Qt::MouseButtons buttons, QPoint at) {
  const bool selected = designs_.GetSelected() >= 0 && host_ != nullptr;
  if (!drag_.Move((buttons & Qt::LeftButton) != 0, selected)) return;
  QWidget* space = host_->DragSpace();
  if (dragOutline_ == nullptr) dragOutline_ = std::make_unique<TDragOutline>(space);
  dragOutline_->ShowAt(DragOutlineRect(at));
  const QPoint w = DrawPanel()->mapTo(space, at);
  const bool overTrash = host_->IsTrashBox(w.x(), w.y());
  host_->SetTrashActive(overTrash);
  const TLayoutDrop drop = DecideLayoutDrop(overTrash, host_->MachineAtFormPoint(w.x(), w.y()),
                                            IsDrawPanel(at.x(), at.y()));
  QGuiApplication::changeOverrideCursor(drop == TLayoutDrop::None ? Qt::ForbiddenCursor
                                                                  : Qt::DragMoveCursor);
}

void TFLayout::EndDragOutline() { dragOutline_.reset(); }

void TFLayout::DrawPanelMouseUp(Qt::MouseButton button, QPoint at) {
  int i = designs_.GetSelected();
  const TLayoutRelease release =
      drag_.Release(button == Qt::LeftButton, i >= 0 && host_ != nullptr);
  if (release.drop) {
    EndDragOutline();
    const QPoint w = DrawPanel()->mapTo(host_->DragSpace(), at);
    const bool overTrash = host_->IsTrashBox(w.x(), w.y());
    const int machine = overTrash ? -1 : host_->MachineAtFormPoint(w.x(), w.y());
    switch (DecideLayoutDrop(overTrash, machine, IsDrawPanel(at.x(), at.y()))) {
      case TLayoutDrop::Queue:
        host_->QueueLayoutDesign(machine, CurrentDesign());
        break;
      case TLayoutDrop::Move: {
        const QPoint by = drag_.Offset(at);
        designs_.MoveItem(i, by.x(), by.y());
        if (designs_.GetCount() > 1) {
          RebuildMerged();
          UpdateColorFrame();
        }
        PaintLayout(true, true);
        break;
      }
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
  if (release.disarm) QGuiApplication::restoreOverrideCursor();
}
