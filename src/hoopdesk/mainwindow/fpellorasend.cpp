// The Send tab's handlers of the main window and what the panel manager asks of it for the
// machines: sending, the sew button, the speed, the poll and the machine information dialog.
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>

#include "hoopdesk/controls/anibutton.h"
#include "hoopdesk/dialogs/fconninfo.h"
#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/mainwindow/queueddesigncolours.h"

void TFPellora::BindSendTab() {
  for (int k = 0; k < kPanelSlots; ++k) {
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
  ShowQueuedDesignColours(panels_, slot, QueuedDesignAt(slot, point), backColor_);
}

void TFPellora::TrackBarChange(int position) {
  const int value = TPanelSlots::SpeedShown(position);
  ui_.TrackLbl->setText(QString::number(value));
  settings_.RotSpeed = value;
  settings_.modified = true;
  panels_.ChangeSpeed(value);
}

void TFPellora::PollMachines(std::int32_t pollCount) { panels_.PollMachines(pollCount); }

std::optional<TCookie> TFPellora::ShowMachineInfo(const TMachineInfoInput& machine) {
  TFConnInfo dialog(this, machine, panels_.GetService());
  const bool accepted = dialog.exec() == QDialog::Accepted;
  // A reconnection that did not come up in time still replaced the machine's connection at the
  // server: the machine goes on under its cookie, whatever closed the dialog.
  if (!accepted && dialog.Cookie() == machine.cookie) return std::nullopt;
  return dialog.Cookie();
}
