// TFAbout: the "About" dialog with the program's picture and version.
#pragma once

#include <QDialog>

class TFAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TFAbout(QWidget* owner);
};
