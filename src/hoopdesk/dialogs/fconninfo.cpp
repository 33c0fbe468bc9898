#include "hoopdesk/dialogs/fconninfo.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
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

void TFConnInfo::ConnectBtnClick() {
  TCookie cookie = 0;
  if (service_ && ReconnectMachineAndWait(*service_, machine_, &cookie, reconnectWait_,
                                          std::chrono::milliseconds(50))) {
    machine_.cookie = cookie;
    accept();
    return;
  }
  if (cookie != 0) machine_.cookie = cookie;
  ShowMessageBox(true, kMsgConnectFailed, "");
}
