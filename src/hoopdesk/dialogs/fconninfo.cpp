#include "hoopdesk/dialogs/fconninfo.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "pelsrvapi/messageids.h"
#include "platform/messages.h"
#include "shared/util.h"

namespace {

QLabel* Caption(QWidget* parent, const char* name, const char* text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

// A sunken static text; machine texts are shown as they are, never as rich text.
QLabel* Field(QWidget* parent, const char* name, int width) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  if (width > 0) label->setFixedWidth(width);
  return label;
}

}  // namespace

TFConnInfo::TFConnInfo(QWidget* owner, TMachineInfoInput machine, IPelSrv* service)
    : QDialog(owner), machine_(std::move(machine)), service_(service) {
  setObjectName("FConnInfo");
  setWindowTitle("Machine Info");
  resize(288, 242);

  typeText_ = Field(this, "TypeText", 0);
  ipAddrText_ = Field(this, "IPAddrText", 105);
  ipPortAddr_ = Field(this, "IPPortAddr", 113);
  statusText_ = Field(this, "StatusText", 265);
  statusText_->setFixedHeight(57);
  statusText_->setWordWrap(true);
  statusText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  connectBtn_ = new QPushButton("&Reconnect", this);
  connectBtn_->setObjectName("ConnectBtn");
  auto* cancelBtn = new QPushButton("&Close", this);
  cancelBtn->setObjectName("CancelBtn");
  cancelBtn->setDefault(true);
  connect(connectBtn_, &QPushButton::clicked, this, &TFConnInfo::ConnectBtnClick);
  reconnectTimer_ = new QTimer(this);
  reconnectTimer_->setInterval(std::chrono::milliseconds(50));
  connect(reconnectTimer_, &QTimer::timeout, this, &TFConnInfo::ReconnectTick);
  connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);

  auto* grid = new QGridLayout;
  grid->addWidget(Caption(this, "Label1", "Connection Type"), 0, 0);
  grid->addWidget(typeText_, 0, 1, 1, 2);
  grid->addWidget(Caption(this, "Label2", "Name"), 1, 0);
  grid->addWidget(ipAddrText_, 2, 0, 1, 1);
  grid->addWidget(ipPortAddr_, 2, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(connectBtn_);
  buttons->addWidget(cancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(statusText_);
  layout->addLayout(buttons);
  FormCreate();
}

void TFConnInfo::FormCreate() {
  typeText_->setText(QString::fromStdString(ConnectionTypeText(machine_.connInfo)));
  ipAddrText_->setText(QString::fromStdString(machine_.address));
  ipPortAddr_->setText(QString::fromStdString(ConnectionAddressText(machine_.connInfo)));
  connectBtn_->setEnabled(false);
  if (!service_) return;
  std::string address;
  std::uint8_t state = SEW_OFFLINE;
  std::int32_t error = 0;
  service_->GetMachineState(machine_.cookie, &address, &state, &error);
  connectBtn_->setEnabled(state == SEW_OFFLINE && machine_.connInfo.tcpip != 0);
  if (error != 0) statusText_->setText(QString::fromStdString(platform::MessageText(error)));
  // The operator has seen the rejection: the server may take the machine again.
  if (state == SEW_REJECTED) service_->ClearError(machine_.cookie);
}

bool TFConnInfo::Reconnecting() const { return reconnectTimer_->isActive(); }

void TFConnInfo::ConnectBtnClick() {
  if (Reconnecting()) return;
  if (!service_ ||
      reconnect_.Start(*service_, machine_, reconnectWait_, TReconnectWait::Clock::now()) ==
          TReconnectWait::TOutcome::Failed) {
    ReconnectFailed();
    return;
  }
  connectBtn_->setEnabled(false);
  reconnectTimer_->start();
}

void TFConnInfo::ReconnectTick() {
  // The timer runs only after a reconnection started on the service.
  const TReconnectWait::TOutcome outcome = reconnect_.Poll(*service_, TReconnectWait::Clock::now());
  if (outcome == TReconnectWait::TOutcome::Waiting) return;
  reconnectTimer_->stop();
  if (outcome == TReconnectWait::TOutcome::Usable) {
    machine_.cookie = reconnect_.Cookie();
    accept();
    return;
  }
  connectBtn_->setEnabled(true);
  ReconnectFailed();
}

void TFConnInfo::ReconnectFailed() {
  if (reconnect_.Cookie() != 0) machine_.cookie = reconnect_.Cookie();
  ShowMessageBox(true, kMsgConnectFailed, "");
}

void TFConnInfo::done(int result) {
  reconnectTimer_->stop();
  QDialog::done(result);
}
