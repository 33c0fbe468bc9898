#include "hoopdesk/dialogs/frecent.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "hoopdesk/settings/settingchecks.h"

namespace {

constexpr int kMinLimit = 0;
constexpr int kMaxLimit = 100;

// An edit with its up-down control. The up-down's range holds the position: a stored value
// above 100 is shown, and stored again on OK, as 100. A negative one is shown as the limit the
// purge uses for it (its default), so that OK keeps what the purge does.
QSpinBox* LimitEdit(QWidget* parent, const char* editName, const char* upDownName, int value) {
  auto* upDown = new QSpinBox(parent);
  upDown->setObjectName(upDownName);
  upDown->setRange(kMinLimit, kMaxLimit);
  upDown->setWrapping(false);
  upDown->setValue(value);
  if (auto* edit = upDown->findChild<QLineEdit*>()) edit->setObjectName(editName);
  return upDown;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

TFRecent::TFRecent(QWidget* owner, TSettings& settings) : QDialog(owner), settings_(settings) {
  setObjectName("FRecent");
  setWindowTitle("Recent Files");

  DateUpDown = LimitEdit(this, "DateEdt", "DateUpDown", CheckedExpireDays(settings.ExpireDays));
  FileUpDown = LimitEdit(this, "FileEdt", "FileUpDown", CheckedExpireFiles(settings.ExpireFiles));
  OKBtn = new QPushButton("OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setObjectName("CancelBtn");

  auto* fields = new QGridLayout;
  fields->addWidget(Label(this, "Label1", "&Expire Days", DateUpDown), 0, 0);
  fields->addWidget(DateUpDown, 0, 1);
  fields->addWidget(Label(this, "Label2", "&Maximum Files", FileUpDown), 1, 0);
  fields->addWidget(FileUpDown, 1, 1);
  fields->setColumnStretch(0, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addStretch();
  layout->addLayout(buttons);

  connect(OKBtn, &QPushButton::clicked, this, &TFRecent::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(sizeHint().expandedTo(QSize(223, 142)));
}

void TFRecent::OKBtnClick() {
  DateUpDown->interpretText();
  FileUpDown->interpretText();
  settings_.ExpireDays = DateUpDown->value();
  settings_.ExpireFiles = FileUpDown->value();
  settings_.modified = true;
  accept();
}
