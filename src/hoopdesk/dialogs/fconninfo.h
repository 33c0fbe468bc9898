// TFConnInfo: the "Machine Info" dialog of a machine panel: how the machine is connected and its
// last error. Opening it for a rejected machine makes the server forget the rejection;
// "&Reconnect" connects a networked machine again and closes the dialog with OK when the
// server reports it usable; it waits for that on a timer, so the dialog repaints and the
// program's events and timers go on meanwhile.
#pragma once

#include <QDialog>
#include <chrono>

#include "hoopdesk/dialogs/machineinfo.h"

class QLabel;
class QPushButton;
class QTimer;

class TFConnInfo : public QDialog {
  Q_OBJECT
 public:
  // service may be null.
  TFConnInfo(QWidget* owner, TMachineInfoInput machine, IPelSrv* service);

  void ConnectBtnClick();
  // A reconnection is waiting for the machine.
  bool Reconnecting() const;
  // The machine's cookie after a successful reconnection (the old one otherwise).
  TCookie Cookie() const { return machine_.cookie; }
  // How long a reconnection waits for the machine.
  void SetReconnectWait(std::chrono::milliseconds limit) { reconnectWait_ = limit; }

 protected:
  void done(int result) override;

 private:
  void FormCreate();
  void ReconnectTick();
  void ReconnectFailed();

  TMachineInfoInput machine_;
  IPelSrv* service_;
  std::chrono::milliseconds reconnectWait_{3000};
  TReconnectWait reconnect_;
  QTimer* reconnectTimer_ = nullptr;
  QLabel* typeText_ = nullptr;
  QLabel* ipAddrText_ = nullptr;
  QLabel* ipPortAddr_ = nullptr;
  QLabel* statusText_ = nullptr;
  QPushButton* connectBtn_ = nullptr;
};
