#include "hoopdesk/dialogs/fport.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "hoopdesk/dialogs/portlinkline.h"
#include "hoopdesk/dialogs/portscan.h"

namespace {

constexpr int kComRole = Qt::UserRole;

void ProcessEvents() { QCoreApplication::processEvents(); }

}  // namespace

TFPort::TFPort(QWidget* owner, TPortHost& host, TSettings& settings,
               std::unique_ptr<TScanLine> line)
    : QDialog(owner),
      session_(host, settings),
      line_(line ? std::move(line) : std::make_unique<TPortlinkLine>()) {
  setObjectName("FPort");
  setWindowTitle("Port");
  BuildForm(TPortSession::BaudIndex(settings.BaudRate));
}

TFPort::~TFPort() = default;

void TFPort::BuildForm(int baudIndex) {
  ListView = new QTreeWidget(this);
  ListView->setObjectName("ListView");
  ListView->setRootIsDecorated(false);
  ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView->setHeaderLabels({"Port", "Model", "DSR"});
  // The check box shares the port's column: it gets its room on top of the port name's 60.
  ListView->setColumnWidth(0, 60 + ListView->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 8);
  ListView->setColumnWidth(1, 200);
  ListView->header()->setStretchLastSection(true);

  BaudRG = new QGroupBox("&Baud Rate", this);
  BaudRG->setObjectName("BaudRG");
  baudGroup_ = new QButtonGroup(this);
  auto* baudColumn = new QVBoxLayout(BaudRG);
  for (std::size_t i = 0; i < TPortSession::kBaudRates.size(); ++i) {
    auto* item = new QRadioButton(QString::number(TPortSession::kBaudRates[i]), BaudRG);
    item->setObjectName(QStringLiteral("BaudRG%1").arg(i));
    baudGroup_->addButton(item, static_cast<int>(i));
    baudColumn->addWidget(item);
  }
  baudGroup_->button(baudIndex)->setChecked(true);

  ScanBtn = new QPushButton("&Scan Ports", this);
  ScanBtn->setObjectName("ScanBtn");
  OKBtn = new QPushButton("OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setEnabled(false);
  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setObjectName("CancelBtn");
  ProgBar = new QProgressBar(this);
  ProgBar->setObjectName("ProgBar");
  ProgBar->setRange(0, kScanPorts);
  ProgBar->setValue(0);
  ProgBar->setTextVisible(false);

  auto* side = new QVBoxLayout;
  side->addWidget(ScanBtn);
  side->addWidget(BaudRG);
  side->addStretch();
  side->addWidget(OKBtn);
  side->addWidget(CancelBtn);
  auto* top = new QHBoxLayout;
  top->addWidget(ListView, 1);
  top->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(ProgBar);
  resize(520, 320);

  connect(ScanBtn, &QPushButton::clicked, this, &TFPort::ScanBtnClick);
  connect(OKBtn, &QPushButton::clicked, this, &TFPort::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(baudGroup_, &QButtonGroup::idClicked, this, &TFPort::BaudRGClick);
}

void TFPort::SetScanning(bool scanning) {
  scanning_ = scanning;
  for (QWidget* w : {static_cast<QWidget*>(ScanBtn), static_cast<QWidget*>(CancelBtn),
                     static_cast<QWidget*>(BaudRG)})
    w->setEnabled(!scanning);
  OKBtn->setEnabled(!scanning && session_.Scanned());
  if (scanning) {
    setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
  }
}

void TFPort::AddRow(const TPortRow& row) {
  auto* item = new QTreeWidgetItem(ListView);
  item->setText(0, QStringLiteral("COM%1").arg(row.comIndex + 1));
  item->setText(1, QString::fromStdString(row.model));
  item->setText(2, row.dsr ? "ON" : "OFF");
  item->setData(0, kComRole, row.comIndex);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
}

void TFPort::ScanBtnClick() {
  if (scanning_ || session_.Closing() || !session_.PrepareScan()) return;
  session_.TakeBaud(baudGroup_->checkedId());
  ListView->clear();
  ProgBar->setValue(0);
  OKBtn->setEnabled(false);
  SetScanning(true);
  TScanCallbacks callbacks;
  callbacks.row = [this](const TPortRow& row) { AddRow(row); };
  callbacks.step = [this] { ProgBar->setValue(ProgBar->value() + 1); };
  callbacks.pump = ProcessEvents;
  ScanPorts(*line_, static_cast<std::uint32_t>(session_.BaudRate()), callbacks);
  session_.ScanDone();
  SetScanning(false);
}

void TFPort::OKBtnClick() {
  if (scanning_ || session_.Closing()) return;
  std::vector<int> checked;
  for (int i = 0; i < ListView->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = ListView->topLevelItem(i);
    if (item->checkState(0) == Qt::Checked) checked.push_back(item->data(0, kComRole).toInt());
  }
  if (session_.Accept(baudGroup_->checkedId(), checked)) accept();
}

void TFPort::BaudRGClick() {
  if (!scanning_ && !session_.Closing()) OKBtn->setEnabled(true);
}

// While the scan runs the dialog stays; closing starts the released machines again. From the
// first moment of the close the controls are off: clicks already queued run during the close.
void TFPort::done(int result) {
  if (scanning_ || session_.Closing()) return;
  for (QWidget* w : {static_cast<QWidget*>(ScanBtn), static_cast<QWidget*>(OKBtn),
                     static_cast<QWidget*>(CancelBtn), static_cast<QWidget*>(BaudRG)})
    w->setEnabled(false);
  session_.Close(ProcessEvents);
  QDialog::done(result);
}

void TFPort::closeEvent(QCloseEvent* event) {
  if (scanning_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}
