#include "hoopdesk/colours/fcolorsetting.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "hoopdesk/colours/colordialoghook.h"
#include "hoopdesk/colours/colorrows.h"
#include "hoopdesk/colours/colorsettinghost.h"
#include "hoopdesk/colours/colorswatchimage.h"
#include "hoopdesk/colours/fcolorlabel.h"
#include "hoopdesk/colours/palettepaint.h"
#include "hoopdesk/controls/draglabel.h"
#include "hoopdesk/controls/paintpanel.h"
#include "shared/colorinfo.h"

namespace {

constexpr int kFormWidth = 496;
constexpr int kFormHeight = 587;
constexpr int kMachineColors = 15;
constexpr TPaletteRowStyle kRowStyle{kButtonFaceBackground};

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QScrollArea* ScrollBox(const char* name, TPaintPanel* panel, int rows, QWidget* parent) {
  auto* box = Named(new QScrollArea(parent), name);
  panel->setFixedHeight(ColorPanelHeight(rows));
  panel->SetBevelOuter(TPaintPanel::TBevel::bvNone);
  panel->SetColor(Qt::white);
  box->setWidget(panel);
  box->setWidgetResizable(true);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return box;
}

}  // namespace

TFColorSetting::TFColorSetting(QWidget* owner, int machine, TColorInfo& system,
                               TColorSettingHost& host)
    : QDialog(owner),
      model_(system, host, machine >= 0 && machine < host.MachineCount() ? machine : -1) {
  setObjectName("FColorSetting");
  setWindowTitle("Color Setting");
  BuildForm();
  for (int m = 0; m < host.MachineCount(); ++m)
    MachineCB->addItem(QString::fromStdString(host.MachineAddress(m)));
  MachineCB->setCurrentIndex(model_.Machine());
  connect(MachineCB, &QComboBox::currentIndexChanged, this, &TFColorSetting::MachineCBChange);
  UpdateButtons();
  // The width stays; the height may shrink but not grow beyond the form's own.
  resize(kFormWidth, kFormHeight);
  setFixedWidth(kFormWidth);
  setMaximumHeight(kFormHeight);
}

TFColorSetting::~TFColorSetting() = default;

void TFColorSetting::BuildForm() {
  auto* leftPanel = Named(new QWidget(this), "LeftPanel");
  auto* label1 = Named(new QLabel("Machine Color", leftPanel), "Label1");
  LeftPaintPanel = Named(new TPaintPanel, "LeftPaintPanel");
  LeftScrollBox = ScrollBox("LeftScrollBox", LeftPaintPanel, kMachineColors, leftPanel);
  MachineCB = Named(new QComboBox(leftPanel), "MachineCB");
  auto* left = new QVBoxLayout(leftPanel);
  left->addWidget(label1);
  left->addWidget(LeftScrollBox, 1);
  left->addWidget(MachineCB);

  auto* rightPanel = Named(new QWidget(this), "RightPanel");
  auto* label2 = Named(new QLabel("Stitch Color", rightPanel), "Label2");
  RightPaintPanel = Named(new TPaintPanel, "RightPaintPanel");
  RightPaintPanel->SetTabStop(true);
  RightScrollBox = ScrollBox("RightScrollBox", RightPaintPanel,
                             TColorSettingModel::kMaxSystemColors, rightPanel);
  AddBtn = Named(new QPushButton("&Add", rightPanel), "AddBtn");
  DelBtn = Named(new QPushButton("&Delete", rightPanel), "DelBtn");
  EditBtn = Named(new QPushButton("Edit &Label", rightPanel), "EditBtn");
  ColorBtn = Named(new QPushButton("&Edit Color", rightPanel), "ColorBtn");
  UpBtn = Named(new QToolButton(rightPanel), "UpBtn");
  UpBtn->setArrowType(Qt::UpArrow);
  DownBtn = Named(new QToolButton(rightPanel), "DownBtn");
  DownBtn->setArrowType(Qt::DownArrow);
  OKBtn = Named(new QPushButton("&OK", rightPanel), "OKBtn");
  OKBtn->setDefault(true);
  auto* arrows = new QHBoxLayout;
  arrows->addWidget(UpBtn);
  arrows->addWidget(DownBtn);
  arrows->addStretch();
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {AddBtn, DelBtn, EditBtn, ColorBtn}) buttons->addWidget(b);
  buttons->addLayout(arrows);
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  auto* list = new QHBoxLayout;
  list->addWidget(RightScrollBox, 1);
  list->addLayout(buttons);
  auto* right = new QVBoxLayout(rightPanel);
  right->addWidget(label2);
  right->addLayout(list, 1);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(leftPanel, 4);
  layout->addWidget(rightPanel, 5);

  connect(LeftPaintPanel, &TPaintPanel::paint, this, [this](TPaintPanel* panel) {
    if (const TColorInfo* palette = model_.MachinePalette())
      PaintPaletteRows(*panel->Canvas(), *palette, -1, panel->width(), kRowStyle);
  });
  connect(RightPaintPanel, &TPaintPanel::paint, this, [this](TPaintPanel* panel) {
    PaintPaletteRows(*panel->Canvas(), model_.System(), model_.SelEntry(), panel->width(),
                     kRowStyle);
  });
  connect(RightPaintPanel, &TPaintPanel::mouseDown, this,
          [this](Qt::MouseButton b, Qt::KeyboardModifiers, QPoint pos) {
            RightPaintPanelMouseDown(b, pos);
          });
  connect(RightPaintPanel, &TPaintPanel::mouseMove, this,
          [this](Qt::MouseButtons b, Qt::KeyboardModifiers, QPoint pos) {
            RightPaintPanelMouseMove(b, pos);
          });
  connect(RightPaintPanel, &TPaintPanel::mouseUp, this,
          [this](Qt::MouseButton b, Qt::KeyboardModifiers, QPoint pos) {
            RightPaintPanelMouseUp(b, pos);
          });
  connect(RightPaintPanel, &TPaintPanel::keyDown, this,
          [this](int key, Qt::KeyboardModifiers) { RightPaintPanelKeyDown(key); });
  connect(RightPaintPanel, &TPaintPanel::dblClick, this, &TFColorSetting::EditColorClick);
  connect(AddBtn, &QPushButton::clicked, this, &TFColorSetting::AddBtnClick);
  connect(DelBtn, &QPushButton::clicked, this, &TFColorSetting::DelBtnClick);
  connect(EditBtn, &QPushButton::clicked, this, &TFColorSetting::EditBtnClick);
  connect(ColorBtn, &QPushButton::clicked, this, &TFColorSetting::EditColorClick);
  connect(UpBtn, &QToolButton::clicked, this, &TFColorSetting::UpBtnClick);
  connect(DownBtn, &QToolButton::clicked, this, &TFColorSetting::DownBtnClick);
  connect(OKBtn, &QPushButton::clicked, this, &TFColorSetting::OKBtnClick);
}

void TFColorSetting::UpdateButtons() {
  const TColorSettingModel::TButtons b = model_.Buttons();
  AddBtn->setEnabled(b.add);
  DelBtn->setEnabled(b.del);
  EditBtn->setEnabled(b.edit);
  ColorBtn->setEnabled(b.color);
  UpBtn->setEnabled(b.up);
  DownBtn->setEnabled(b.down);
}

void TFColorSetting::RepaintRight() {
  RightPaintPanel->update();
  UpdateButtons();
}

void TFColorSetting::ScrollIntoView() {
  if (model_.SelEntry() < 0) return;
  QScrollBar* bar = RightScrollBox->verticalScrollBar();
  bar->setValue(
      ScrollToShowRow(model_.SelEntry(), bar->value(), RightScrollBox->viewport()->height()));
}

void TFColorSetting::RightPaintPanelMouseDown(Qt::MouseButton button, QPoint pos) {
  if (button != Qt::LeftButton) return;
  if (model_.Press(ColorRowInPanel(pos.x(), pos.y(), RightPaintPanel->width()))) RepaintRight();
}

void TFColorSetting::RightPaintPanelMouseMove(Qt::MouseButtons buttons, QPoint pos) {
  if (!(buttons & Qt::LeftButton)) return;
  const QPoint global = RightPaintPanel->mapToGlobal(pos);
  if (drag_ != nullptr) {
    drag_->Follow(global);
    const int machineRows = model_.MachinePalette() ? model_.MachinePalette()->GetCount() : 0;
    const int right = RowUnder(RightScrollBox, RightPaintPanel, pos);
    const int left = RowUnder(LeftScrollBox, LeftPaintPanel, pos);
    drag_->SetCanDrop((right >= 0 && right < model_.System().GetCount()) ||
                      (left >= 0 && left < machineRows));
    return;
  }
  const bool entry = model_.BeginDrag(ColorRowInPanel(pos.x(), pos.y(), RightPaintPanel->width()));
  RepaintRight();
  if (!entry) return;
  const QImage swatch =
      ColorSwatchImage(model_.System().GetColor(model_.SelEntry()), kButtonFaceBackground);
  drag_ = std::make_unique<TDragLabel>(this, QPixmap::fromImage(swatch), "DragImage",
                                       Qt::DragMoveCursor);
  drag_->Follow(global);
  drag_->SetCanDrop(true);  // it starts over its own entry
}

int TFColorSetting::RowUnder(QScrollArea* box, TPaintPanel* panel, QPoint rightPos) const {
  const QPoint global = RightPaintPanel->mapToGlobal(rightPos);
  if (!box->viewport()->rect().contains(box->viewport()->mapFromGlobal(global))) return -1;
  const QPoint p = panel->mapFromGlobal(global);
  return ColorRowInPanel(p.x(), p.y(), panel->width());
}

void TFColorSetting::RightPaintPanelMouseUp(Qt::MouseButton button, QPoint pos) {
  if (button != Qt::LeftButton || drag_ == nullptr) return;
  drag_.reset();
  if (model_.SelEntry() < 0) return;
  if (const int r = RowUnder(RightScrollBox, RightPaintPanel, pos); r >= 0) {
    if (model_.DropOnSystem(r)) RepaintRight();
  } else if (const int j = RowUnder(LeftScrollBox, LeftPaintPanel, pos); j >= 0) {
    if (model_.DropOnMachine(j)) LeftPaintPanel->update();
  }
}

void TFColorSetting::RightPaintPanelKeyDown(int key) {
  const int delta = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
  if (delta == 0 || !model_.Step(delta)) return;
  ScrollIntoView();
  RepaintRight();
}

void TFColorSetting::MachineCBChange(int index) {
  model_.ChangeMachine(index);
  LeftPaintPanel->update();
}

void TFColorSetting::EditColorClick() {
  const int sel = model_.SelEntry();
  if (sel < 0 || sel >= model_.System().GetCount()) return;
  if (std::optional<COLORREF> chosen = RunColorDialog(this, model_.System().GetColor(sel))) {
    model_.SetColor(*chosen);
    RightPaintPanel->update();
  }
}

void TFColorSetting::AddBtnClick() {
  model_.Add();
  ScrollIntoView();
  RepaintRight();
}

void TFColorSetting::DelBtnClick() {
  model_.Delete();
  RepaintRight();
}

void TFColorSetting::EditBtnClick() {
  const int sel = model_.SelEntry();
  if (sel < 0 || sel >= model_.System().GetCount()) return;
  TFColorLabel dialog(this, QString::fromStdString(model_.System().GetLabel(sel)));
  if (dialog.exec() != QDialog::Accepted) return;
  model_.SetLabel(dialog.Label().toStdString());
  RepaintRight();
}

void TFColorSetting::UpBtnClick() {
  model_.Up();
  ScrollIntoView();
  RepaintRight();
}

void TFColorSetting::DownBtnClick() {
  model_.Down();
  ScrollIntoView();
  RepaintRight();
}

void TFColorSetting::OKBtnClick() {
  model_.SaveTables();
  accept();
}
