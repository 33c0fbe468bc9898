#include "hoopdesk/trace/ftrace.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "hoopdesk/controls/colorref.h"
#include "hoopdesk/machines/machinesource.h"
#include "hoopdesk/trace/ftraceframe.h"
#include "hoopdesk/trace/traceslots.h"
#include "hoopdesk/trace/tracetiles.h"

TFTrace::TFTrace(TMachineSource& machines, QWidget* parent)
    : TFDockForm(parent), machines_(machines) {
  setObjectName("FTrace");
  setWindowTitle("Trace");
  setAutoFillBackground(true);

  popupMenu_ = MakePopupMenu();
  QAction* redraw = popupMenu_->addAction("&Redraw");
  redraw->setObjectName("MenuRedraw");
  connect(redraw, &QAction::triggered, this, [this] { update(); });

  panelFoot_ = new QWidget(this);
  panelFoot_->setObjectName("PanelFoot");
  panelFoot_->setMinimumHeight(28);
  auto* legend = new QLabel(
      "ST:Stitches/Total,  NN:Needle Number,  MR:Memory Remains (stitches),  RS:Rotation "
      "Speed,  RT:Remains Time",
      panelFoot_);
  legend->setObjectName("Label9");
  legend->setWordWrap(true);
  auto* footLayout = new QVBoxLayout(panelFoot_);
  footLayout->setContentsMargins(4, 0, 4, 0);
  footLayout->addWidget(legend);

  ChangeBackColor(kBackWhite);
}

bool TFTrace::CreateTraceFrame(int index) {
  if (index < 0) return false;
  if (TFTraceFrame* frame = TraceFrame(index)) {
    frame->ClearStatus();
    return true;
  }
  const int free = SlotForFrame(SlotStates(), index);
  if (free < 0) return false;
  Slot& slot = slots_[static_cast<std::size_t>(free)];
  slot.machine = index;
  slot.frame = new TFTraceFrame(machines_, index, this);
  slot.frame->setObjectName(QString("Frame%1").arg(index));
  slot.frame->SetColor(BackColor());
  slot.frame->hide();
  return true;
}

std::array<TTraceSlot, TFTrace::kSlots> TFTrace::SlotStates() const {
  std::array<TTraceSlot, kSlots> states;
  for (std::size_t k = 0; k < states.size(); ++k)
    states[k] = {slots_[k].machine, slots_[k].frame != nullptr};
  return states;
}

int TFTrace::FindTraceFrame(int index) const { return FramedSlot(SlotStates(), index); }

TFTraceFrame* TFTrace::TraceFrame(int index) const {
  const int slot = FindTraceFrame(index);
  return slot >= 0 ? slots_[static_cast<std::size_t>(slot)].frame : nullptr;
}

void TFTrace::DropFrame(Slot& slot) {
  if (slot.frame == nullptr) return;
  slot.frame->hide();
  slot.frame->deleteLater();
  slot.frame = nullptr;
}

void TFTrace::UpdateTraceFrames(int first, int count) {
  for (int i = first; i < first + count; ++i) {
    if (FindTraceFrame(i) >= 0) continue;
    const int handed = SlotToHandOver(SlotStates(), first, count);
    if (handed < 0) continue;
    Slot& slot = slots_[static_cast<std::size_t>(handed)];
    slot.machine = i;
    DropFrame(slot);

    // Server calls follow: the machine is named by its index from here on.
    if (!machines_.HasMachine(i) || !CreateTraceFrame(i)) continue;
    const std::string name = machines_.SewingFile(i);
    if (name.empty()) continue;
    LoadTraceDesign(i, name);
    ShowTraceFrame(i, true);
    std::uint8_t state = 0;
    std::int32_t position = 0, total = 0, error = 0, memory = 0;
    std::uint16_t speed = 0;
    std::uint8_t needle = 0;
    machines_.GetProgress(i, &state, &position, &total, &error, &speed, &needle, &memory);
    SetTraceProgress(i, state, position, error, speed, needle, total);
    SetTraceMemory(i, memory);
  }
  TileTraceFrames();
}

void TFTrace::ShowTraceFrame(int index, bool show) {
  if (TFTraceFrame* frame = TraceFrame(index)) {
    frame->ShowFrame(show);
    TileTraceFrames();
  }
}

std::int32_t TFTrace::LoadTraceDesign(int index, const std::string& fileName) {
  TFTraceFrame* frame = TraceFrame(index);
  return frame != nullptr ? frame->LoadDesign(fileName) : 0;
}

void TFTrace::ShowTraceDesign(int index, const std::string& fileName) {
  if (!CreateTraceFrame(index)) return;
  LoadTraceDesign(index, fileName);
  ShowTraceFrame(index, true);
}

void TFTrace::SetTraceState(int index, std::uint8_t state, std::int32_t position,
                            std::int32_t error) {
  if (TFTraceFrame* frame = TraceFrame(index)) frame->SetState(state, position, error);
}

void TFTrace::SetTraceProgress(int index, std::uint8_t state, std::int32_t position,
                               std::int32_t error, std::int32_t speed, std::int32_t needle,
                               std::int32_t total) {
  if (TFTraceFrame* frame = TraceFrame(index))
    frame->UpdateProgress(state, position, error, speed, needle, total);
}

void TFTrace::CompleteTrace(int index, bool normal, std::int32_t needle) {
  if (TFTraceFrame* frame = TraceFrame(index)) frame->Complete(normal, needle);
}

void TFTrace::SetTraceMemory(int index, std::int32_t memory) {
  if (TFTraceFrame* frame = TraceFrame(index)) frame->SetMemory(memory);
}

void TFTrace::ClearTraceStatus(int index) {
  if (TFTraceFrame* frame = TraceFrame(index)) frame->ClearError();
}

void TFTrace::ClearTraceCounters(int index) {
  if (TFTraceFrame* frame = TraceFrame(index)) frame->ClearCounters();
}

void TFTrace::TileTraceFrames() {
  // Hidden frames keep their cells.
  const std::vector<int> tiled = TiledSlots(SlotStates());

  // The legend wraps in a narrow window: the foot takes the lines it needs.
  // Below the grabber, when the window is tiled.
  const QRect area = contentsRect();
  const int foot = std::max(28, panelFoot_->heightForWidth(area.width()));
  const int height = std::max(0, area.height() - foot);
  const std::vector<QRect> cells = TraceTiles(static_cast<int>(tiled.size()), area.width(), height);
  for (std::size_t k = 0; k < cells.size(); ++k)
    slots_[static_cast<std::size_t>(tiled[k])].frame->setGeometry(
        cells[k].translated(area.topLeft()));
  panelFoot_->setGeometry(area.left(), area.top() + height, area.width(), foot);
}

void TFTrace::ChangeBackColor(std::uint32_t colour) {
  SetBackColorValue(colour);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(colour));
  setPalette(pal);
  for (Slot& slot : slots_) {
    if (slot.frame == nullptr) continue;
    slot.frame->SetColor(colour);
    slot.frame->Redraw();
  }
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
