#include "hoopdesk/layout/flayout.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "hoopdesk/controls/bitmapimage.h"
#include "hoopdesk/controls/bytelimit.h"
#include "hoopdesk/layout/dragoutline.h"
#include "pelsrvapi/messageids.h"
#include "platform/bitmap.h"
#include "shared/util.h"

namespace {

constexpr int kFileTitleLength = 31;

}  // namespace

// The drawing panel: shows the picture PaintLayout made, the selection frame and a border.
class TFLayout::Canvas : public QWidget {
 public:
  explicit Canvas(QWidget* parent) : QWidget(parent) {}
  QImage picture;
  QRect selection;
  std::function<void()> onResize;
  std::function<void(Qt::MouseButton, QPoint)> onPress, onRelease;
  std::function<void(Qt::MouseButtons, QPoint)> onMove;

 protected:
  void resizeEvent(QResizeEvent*) override {
    if (onResize) onResize();
  }
  void mousePressEvent(QMouseEvent* e) override { onPress(e->button(), e->position().toPoint()); }
  void mouseMoveEvent(QMouseEvent* e) override { onMove(e->buttons(), e->position().toPoint()); }
  void mouseReleaseEvent(QMouseEvent* e) override {
    onRelease(e->button(), e->position().toPoint());
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawImage(0, 0, picture);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    if (!selection.isNull()) p.drawRect(selection.adjusted(0, 0, -1, -1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
};

TFLayout::TFLayout(const TColorInfo& systemPalette, QWidget* parent)
    : TFDockForm(parent), systemPalette_(systemPalette) {
  setObjectName("FLayout");
  setWindowTitle("Layout");
  resize(579, 505);

  drawPanel_ = new Canvas(this);
  drawPanel_->setObjectName("DrawPanel");
  drawPanel_->onResize = [this] {
    designs_.FitToArea(drawPanel_->width(), drawPanel_->height());
    PaintLayout(true, false);
  };
  drawPanel_->onPress = [this](Qt::MouseButton b, QPoint at) { DrawPanelMouseDown(b, at); };
  drawPanel_->onMove = [this](Qt::MouseButtons b, QPoint at) { DrawPanelMouseMove(b, at); };
  drawPanel_->onRelease = [this](Qt::MouseButton b, QPoint at) { DrawPanelMouseUp(b, at); };

  auto* panel1 = new QWidget(this);
  panel1->setObjectName("Panel1");
  panel1->setFixedHeight(35);
  auto* label1 = new QLabel("File Name", panel1);
  label1->setObjectName("Label1");
  fileNameEdit_ = new QLineEdit(panel1);
  fileNameEdit_->setObjectName("FileNameEdit");
  fileNameEdit_->setFixedWidth(140);
  LimitEditToUtf8Bytes(fileNameEdit_, kFileTitleLength);
  fileNameEdit_->setAttribute(Qt::WA_InputMethodEnabled, false);
  auto* row = new QHBoxLayout(panel1);
  row->setContentsMargins(8, 4, 8, 4);
  row->addWidget(label1);
  row->addWidget(fileNameEdit_);
  row->addStretch();

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(drawPanel_, 1);
  column->addWidget(panel1);

  popupMenu_ = MakePopupMenu();
  popupMenu_->addSeparator()->setObjectName("N1");
  menuDel_ = popupMenu_->addAction("&Delete");
  menuDel_->setObjectName("MenuDel");
  menuDelAll_ = popupMenu_->addAction("Delete &All");
  menuDelAll_->setObjectName("MenuDelAll");
  connect(menuDel_, &QAction::triggered, this, [this] {
    if (onMenuDel) onMenuDel(0);
  });
  connect(menuDelAll_, &QAction::triggered, this, [this] {
    if (onMenuDel) onMenuDel(1);
  });
  connect(drawPanel_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    PopupMenuPopup();
    popupMenu_->exec(drawPanel_->mapToGlobal(at));
  });
  drawPanel_->setContextMenuPolicy(Qt::CustomContextMenu);
}

TFLayout::~TFLayout() = default;

QWidget* TFLayout::DrawPanel() const { return drawPanel_; }

int TFLayout::LoadFile(QString& path, int x, int y) {
  const int index = designs_.AddFile(path.toStdString(), systemPalette_, x, y);
  if (index < 0) {
    ShowMessageBox(true, kMsgReadFailed, path.toStdString());
    return -1;
  }
  if (index > 0) RebuildMerged();
  UpdateColorFrame();
  designs_.FitToArea(drawPanel_->width(), drawPanel_->height());
  PaintLayout(true, false);
  path = QFileInfo(path).fileName();
  path.chop(4);
  if (fileNameEdit_->text().isEmpty())
    fileNameEdit_->setText(CutToUtf8Bytes(path, kFileTitleLength));
  return index;
}

int TFLayout::DeleteDesign(int i) {
  int position = -1;
  if (i < 0) {
    designs_.Clear();
    fileNameEdit_->clear();
  } else {
    position = designs_.FindOrder(i);
    designs_.Delete(i);
    if (position >= 0 && designs_.FindOrder(0) < 0) fileNameEdit_->clear();
  }
  if (designs_.GetCount() > 1) {
    RebuildMerged();
  } else {
    merged_.clear();
  }
  UpdateColorFrame();
  PaintLayout(true, true);
  return position;
}

void TFLayout::MoveDesignOrder(int from, int to) {
  designs_.MoveOrder(from, to);
  if (designs_.GetCount() > 1) {
    RebuildMerged();
    UpdateColorFrame();
  }
  PaintLayout(true, false);
}

TStitchItem& TFLayout::CurrentDesign() {
  if (designs_.GetCount() == 1) return *designs_.GetItem(0);
  return merged_;
}

void TFLayout::DrawDesignThumbnail(int i, platform::Bitmap& bitmap) {
  designs_.DrawItem(i, bitmap, nullptr);
}

void TFLayout::UpdateColorFrame() {
  if (onUpdateColorFrame) onUpdateColorFrame(CurrentDesign());
}

void TFLayout::SetDataColors(bool dataColors) {
  dataColors_ = dataColors;
  PaintLayout(true, false);
}

void TFLayout::PaintLayout(bool full, bool refit) {
  const int w = drawPanel_->width();
  const int h = drawPanel_->height();
  if (w <= 0 || h <= 0) return;
  platform::Bitmap target(w, h);
  if (full) {
    if (refit) designs_.Refit(w, h);
    const TColorInfo* palette = dataColors_ || !machinePalette ? nullptr : machinePalette();
    designs_.DrawLayout(CurrentDesign(), target.GetCanvas(), BackColor(), 0, 0, w, h, palette);
  } else {
    designs_.PaintBuffer(target.GetCanvas());
  }
  drawPanel_->picture = ToQImage(target);
  TRect r;
  drawPanel_->selection = designs_.GetSelectedRect(r)
                              ? QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom))
                              : QRect();
  drawPanel_->update();
}

void TFLayout::SetBackColor(std::uint32_t colour) {
  SetBackColorValue(colour);
  PaintLayout(true, false);
}

bool TFLayout::IsDrawPanel(int x, int y) const { return drawPanel_->rect().contains(x, y); }

void TFLayout::RebuildMerged() {
  merged_.clear();
  designs_.MergeItems(merged_);
}

void TFLayout::PopupMenuPopup() {
  CheckBackColorItem();
  menuDel_->setEnabled(designs_.GetSelected() >= 0);
  menuDelAll_->setEnabled(designs_.GetCount() > 0);
}
