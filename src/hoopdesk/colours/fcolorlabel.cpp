#include "hoopdesk/colours/fcolorlabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFColorLabel::TFColorLabel(QWidget* owner, const QString& label) : QDialog(owner) {
  setObjectName("FColorLabel");
  setWindowTitle("Edit Color Label");

  ColLabelEdit = new QLineEdit(label, this);
  ColLabelEdit->setObjectName("ColLabelEdit");
  auto* caption = new QLabel("Label", this);
  caption->setObjectName("ColLabelEditLabel");
  caption->setBuddy(ColLabelEdit);
  OKBtn = new QPushButton("OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setObjectName("CancelBtn");

  auto* field = new QHBoxLayout;
  field->addWidget(caption);
  field->addWidget(ColLabelEdit, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addStretch();
  layout->addLayout(field);
  layout->addStretch();
  layout->addLayout(buttons);

  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(286, 137);
}

QString TFColorLabel::Label() const { return ColLabelEdit->text(); }
