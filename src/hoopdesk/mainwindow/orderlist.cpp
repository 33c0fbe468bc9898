#include "hoopdesk/mainwindow/orderlist.h"

#include <QApplication>
#include <QBitmap>
#include <QGuiApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace {

constexpr int kItemHeight = 64;
constexpr int kPictureRole = Qt::UserRole + 1;

// Paints a row: the fill, the picture at (2, 7), the name at (picture width + 4 + 2, 20), and
// the drop focus rectangle on the marked row, dotted and inverting what lies below it.
class TOrderItemDelegate : public QStyledItemDelegate {
 public:
  explicit TOrderItemDelegate(const TOrderList& list) : list_(list) {}

  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QRect r = option.rect;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    p->save();
    p->fillRect(r, selected ? option.palette.highlight() : option.palette.base());
    int textStart = 0;
    const QPixmap picture = index.data(kPictureRole).value<QPixmap>();
    if (!picture.isNull()) {
      p->drawPixmap(r.left() + 2, r.top() + 7, picture);
      textStart = picture.width() + 4;
    }
    p->setFont(option.font);
    p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const int x = r.left() + textStart + 2;
    p->drawText(QRect(x, r.top() + 20, std::max(0, r.right() - x), r.bottom() - r.top() - 20),
                Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
    if (index.row() == list_.DropMark()) {
      p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      QPen dotted(Qt::white, 0);
      dotted.setDashPattern({1, 1});
      p->setPen(dotted);
      p->setBrush(Qt::NoBrush);
      p->drawRect(r.adjusted(0, 0, -1, -1));
    }
    p->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
  }

 private:
  const TOrderList& list_;
};

}  // namespace

std::unique_ptr<QListWidgetItem> MakeOrderItem(const QImage& picture, const QString& name) {
  auto item = std::make_unique<QListWidgetItem>(name);
  QPixmap pixmap = QPixmap::fromImage(picture);
  pixmap.setMask(pixmap.createMaskFromColor(Qt::white));
  item->setData(kPictureRole, pixmap);
  item->setSizeHint(QSize(0, kItemHeight));
  return item;
}

TOrderList::TOrderList(QListWidget* list, TMoved moved)
    : list_(list),
      moved_(std::move(moved)),
      delegate_(std::make_unique<TOrderItemDelegate>(*this)) {
  list_->setDragDropMode(QAbstractItemView::NoDragDrop);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setItemDelegate(delegate_.get());
  list_->viewport()->installEventFilter(this);
}

TOrderList::~TOrderList() {
  EndDragCursor();
  list_->setItemDelegate(nullptr);
}

int TOrderList::ItemAt(QPoint point) const {
  const QListWidgetItem* item = list_->itemAt(point);
  return item != nullptr ? list_->row(item) : -1;
}

void TOrderList::UpdateRow(int row) const {
  if (const QListWidgetItem* item = list_->item(row))
    list_->viewport()->update(list_->visualItemRect(item));
}

bool TOrderList::eventFilter(QObject* watched, QEvent* event) {
  if (watched != list_->viewport()) return false;
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint at = mouse->position().toPoint();
  const QPoint global = mouse->globalPosition().toPoint();
  if (type == QEvent::MouseButtonPress) {
    // The list selects the pressed row itself: that row is what a drop moves.
    gesture_.Press(mouse->button() == Qt::LeftButton && ItemAt(at) >= 0, global);
    return false;
  }
  if (type == QEvent::MouseMove) {
    if (!gesture_.Armed()) return false;
    const bool held = (mouse->buttons() & Qt::LeftButton) != 0;
    if (gesture_.Move(global, held, QApplication::startDragDistance()) == TGripStep::Drag)
      DragOver(at);
    // While the button is held on a row, moving does not select other rows.
    return held;
  }
  // The list still sees the release, which ends its own press; it clicks only a row that is
  // still the pressed one.
  if (gesture_.Release() == TGripStep::Drop) DragDrop(at);
  return false;
}

void TOrderList::DragOver(QPoint point) {
  const bool overList = list_->viewport()->rect().contains(point);
  SetDragCursor(overList);
  if (!overList) return;
  const int before = drop_.DropMark();
  if (!drop_.DragOver(ItemAt(point))) return;
  UpdateRow(before);
  UpdateRow(drop_.DropMark());
}

void TOrderList::DragDrop(QPoint point) {
  EndDragCursor();
  const int before = drop_.DropMark();
  std::optional<TOrderMove> move;
  if (list_->viewport()->rect().contains(point)) {
    move = drop_.DragDrop(ItemAt(point), list_->currentRow());
  } else {
    drop_.Cancel();
  }
  UpdateRow(before);
  if (!move) return;
  if (move->source != move->target) {
    std::unique_ptr<QListWidgetItem> item(list_->takeItem(move->source));
    list_->insertItem(move->target, item.release());
  }
  if (moved_) moved_(move->source, move->target);
}

void TOrderList::SetDragCursor(bool overList) {
  const Qt::CursorShape shape = overList ? Qt::DragMoveCursor : Qt::ForbiddenCursor;
  if (cursorSet_) {
    QGuiApplication::changeOverrideCursor(shape);
  } else {
    QGuiApplication::setOverrideCursor(shape);
    cursorSet_ = true;
  }
}

void TOrderList::EndDragCursor() {
  if (!cursorSet_) return;
  QGuiApplication::restoreOverrideCursor();
  cursorSet_ = false;
}
