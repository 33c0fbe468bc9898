// TFColorLabel: "Edit Color Label", the small dialog that edits one palette entry's label.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

class TFColorLabel : public QDialog {
  Q_OBJECT

 public:
  TFColorLabel(QWidget* owner, const QString& label);

  QString Label() const;

 private:
  QLineEdit* ColLabelEdit;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
};
