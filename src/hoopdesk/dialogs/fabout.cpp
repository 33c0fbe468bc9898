#include "hoopdesk/dialogs/fabout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "hoopdesk/dialogs/aboutpicture.h"

namespace {

QLabel* Line(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignHCenter);
  return label;
}

}  // namespace

TFAbout::TFAbout(QWidget* owner) : QDialog(owner) {
  setObjectName("FAbout");
  setWindowTitle("About");

  auto* image = new QLabel(this);
  image->setObjectName("Image1");
  image->setFixedSize(306, 100);
  image->setScaledContents(true);
  image->setPixmap(AboutPicture(QSize(306, 100)));

  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("OKBtn");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(image, 0, Qt::AlignHCenter);
  layout->addWidget(Line(this, "Label2", "Version 3.2.0"));
  layout->addWidget(Line(this, "Label3", "Hoopdesk, the desktop program"));
  layout->addWidget(Line(this, "Label4", "Sends designs to embroidery machines"));
  layout->addStretch();
  layout->addLayout(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(338, 222)));
}
