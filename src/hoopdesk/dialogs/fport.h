// TFPort: the "Port" dialog, which scans the serial ports for machines and chooses the ports and
// the baud rate the program connects. The rules live in TPortSession and ScanPorts; this form
// lists what the scan found and keeps the operator from re-entering it while it runs.
#pragma once

#include <QDialog>
#include <memory>

#include "hoopdesk/dialogs/portsession.h"

class QButtonGroup;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class TPortHost;
class TScanLine;
struct TPortRow;

class TFPort : public QDialog {
  Q_OBJECT

 public:
  // `line` is the serial line the scan uses; by default Portlink's.
  TFPort(QWidget* owner, TPortHost& host, TSettings& settings,
         std::unique_ptr<TScanLine> line = nullptr);
  ~TFPort() override;

  bool Scanning() const { return scanning_; }
  const TPortSession& Session() const { return session_; }

  void done(int result) override;

 public slots:
  void ScanBtnClick();
  void OKBtnClick();
  void BaudRGClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildForm(int baudIndex);
  void AddRow(const TPortRow& row);
  void SetScanning(bool scanning);

  TPortSession session_;
  std::unique_ptr<TScanLine> line_;
  bool scanning_ = false;

  QTreeWidget* ListView = nullptr;
  QPushButton* ScanBtn = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QGroupBox* BaudRG = nullptr;
  QButtonGroup* baudGroup_ = nullptr;
  QProgressBar* ProgBar = nullptr;
};
