// The Send tab's handlers of the main window and what the panel manager asks of it for the
// machines: sending, the sew button, the speed, the poll, the trace frames and the machine
// information dialog.
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>

#include "hoopdesk/controls/anibutton.h"
#include "hoopdesk/dialogs/fconninfo.h"
#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/mainwindow/queueddesigncolours.h"
#include "hoopdesk/trace/ftrace.h"

void TFPellora::BindSendTab() {
  for (int k = 0; k < TFPelloraUi::kPanelSlots; ++k) {
    connect(ui_.SendBtn[k], &QPushButton::clicked, this, [this, k] { SendBtnClick(k); });
    ui_.SewBtn[k]->installEventFilter(this);
  }
}

bool TFPellora::SewBtnMouse(int slot, QEvent* event) {
  if (event->type() != QEvent::MouseButtonRelease) return false;
  if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) SewBtnClick(slot);
  return true;
}

void TFPellora::SendBtnClick(int slot) { panels_.SendDesign(panels_.SlotToMachine(slot)); }

void TFPellora::SendAllBtnClick() { panels_.SendAll(); }

void TFPellora::SewBtnClick(int slot) { panels_.SewClick(slot); }

void TFPellora::SendImgDblClick(int slot, QPoint point) {
  ShowQueuedDesignColours(panels_, slot, QueuedDesignAt(slot, point));
}

void TFPellora::TrackBarChange(int position) {
  const int value = position / 10 * 10;
  ui_.TrackLbl->setText(QString::number(value));
  settings_.RotSpeed = value;
  settings_.modified = true;
  panels_.ChangeSpeed(value);
}

void TFPellora::PollMachines(std::int32_t pollCount) { panels_.PollMachines(pollCount); }

void TFPellora::ShowTraceDesign(int devNo, const std::string& name) {
  if (!trace_->CreateTraceFrame(devNo)) return;
  trace_->LoadTraceDesign(devNo, name);
  trace_->ShowTraceFrame(devNo, true);
}

void TFPellora::SetTraceProgress(int devNo, std::uint8_t state, std::int32_t position,
                                 std::int32_t error, std::int32_t speed, std::int32_t needle,
                                 std::int32_t total) {
  trace_->SetTraceProgress(devNo, state, position, error, speed, needle, total);
}

void TFPellora::SetTraceState(int devNo, std::uint8_t state, std::int32_t position,
                              std::int32_t error) {
  trace_->SetTraceState(devNo, state, position, error);
}

void TFPellora::CompleteTrace(int devNo, bool normal, std::int32_t needle) {
  trace_->CompleteTrace(devNo, normal, needle);
}

void TFPellora::SetTraceMemory(int devNo, std::int32_t memory) {
  trace_->SetTraceMemory(devNo, memory);
}

std::optional<TCookie> TFPellora::ShowMachineInfo(const TMachineInfoInput& machine) {
  TFConnInfo dialog(this, machine, panels_.GetService());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Cookie();
}
