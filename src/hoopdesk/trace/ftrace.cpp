#include "hoopdesk/trace/ftrace.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace {

QColor ToQColor(std::uint32_t colorref) {
  return QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

}  // namespace

TFTrace::TFTrace(QWidget* parent) : TFDockForm(parent) {
  setObjectName("FTrace");
  setWindowTitle("Trace");
  setAutoFillBackground(true);

  popupMenu_ = MakePopupMenu();
  QAction* redraw = popupMenu_->addAction("&Redraw");
  redraw->setObjectName("MenuRedraw");
  connect(redraw, &QAction::triggered, this, [this] { update(); });

  panelFoot_ = new QWidget(this);
  panelFoot_->setObjectName("PanelFoot");
  panelFoot_->setFixedHeight(28);
  auto* legend = new QLabel(
      "ST:Stitches/Total,  NN:Needle Number,  MR:Memory Remains (stitches),  RS:Rotation "
      "Speed,  RT:Remains Time",
      panelFoot_);
  legend->setObjectName("Label9");
  legend->setWordWrap(true);
  auto* footLayout = new QVBoxLayout(panelFoot_);
  footLayout->setContentsMargins(4, 0, 4, 0);
  footLayout->addWidget(legend);

  ChangeBackColor(0xFFFFFF);
}

bool TFTrace::CreateTraceFrame(int index) {
  if (FindTraceFrame(index) >= 0) return true;
  for (Slot& slot : slots_) {
    if (!slot.hasFrame) {
      slot = {index, true, false};
      return true;
    }
  }
  return false;
}

int TFTrace::FindTraceFrame(int index) const {
  for (int i = 0; i < kSlots; ++i) {
    if (slots_[i].machine == index && slots_[i].hasFrame) return i;
  }
  return -1;
}

void TFTrace::UpdateTraceFrames(int first, int count) {
  for (int i = first; i < first + count; ++i) {
    if (FindTraceFrame(i) >= 0) continue;
    for (Slot& slot : slots_) {
      if (slot.machine < first || slot.machine >= first + count) {
        slot = {i, true, false};
        break;
      }
    }
  }
  TileTraceFrames();
}

void TFTrace::ShowTraceFrame(int index, bool show) {
  const int slot = FindTraceFrame(index);
  if (slot < 0) return;
  slots_[slot].shown = show;
  TileTraceFrames();
}

std::int32_t TFTrace::LoadTraceDesign(int, const QString&) { return 0; }
void TFTrace::SetTraceState(int, std::uint8_t, std::int32_t, std::int32_t) {}
void TFTrace::SetTraceProgress(int, std::uint8_t, std::int32_t, std::int32_t, std::int32_t,
                               std::int32_t, std::int32_t) {}
void TFTrace::CompleteTrace(int, bool, std::int32_t) {}
void TFTrace::SetTraceMemory(int, std::int32_t) {}

void TFTrace::TileTraceFrames() {
  const int foot = panelFoot_->height();
  panelFoot_->setGeometry(0, height() - foot, width(), foot);
}

void TFTrace::ChangeBackColor(std::uint32_t colour) {
  SetBackColorValue(colour);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(colour));
  setPalette(pal);
  update();
}

void TFTrace::resizeEvent(QResizeEvent* event) {
  TFDockForm::resizeEvent(event);
  TileTraceFrames();
}

void TFTrace::contextMenuEvent(QContextMenuEvent* event) {
  CheckBackColorItem();
  popupMenu_->exec(event->globalPos());
}
