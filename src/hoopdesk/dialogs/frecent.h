// TFRecent: the "Recent Files" dialog, which sets how long and how many sent design files the
// send folder keeps. It edits the settings record it is given: OK stores both limits and marks
// the record modified, Cancel leaves it alone.
#pragma once

#include <QDialog>

#include "hoopdesk/settings/settings.h"

class QPushButton;
class QSpinBox;

class TFRecent : public QDialog {
  Q_OBJECT

 public:
  TFRecent(QWidget* owner, TSettings& settings);

 public slots:
  void OKBtnClick();

 private:
  TSettings& settings_;
  QSpinBox* DateUpDown;
  QSpinBox* FileUpDown;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
};
