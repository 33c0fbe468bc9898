#include "hoopdesk/colours/fcolorframe.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

#include "hoopdesk/colours/colorrows.h"
#include "hoopdesk/controls/paintpanel.h"
#include "hoopdesk/layout/bytelimit.h"

namespace {

QScrollArea* MakeScrollBox(const char* name, QWidget* panel, QWidget* parent) {
  auto* box = new QScrollArea(parent);
  box->setObjectName(name);
  box->setWidget(panel);
  box->setWidgetResizable(true);  // as wide as the box; the rows fix the height
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return box;
}

}  // namespace

TFColorFrame::TFColorFrame(QWidget* parent) : QWidget(parent) {
  resize(279, 547);
  BuildControls();
}

TFColorFrame::~TFColorFrame() = default;

void TFColorFrame::BuildControls() {
  upPanel_ = new QWidget(this);
  upPanel_->setObjectName("UpPanel");
  colorModeRG_ = new QGroupBox(upPanel_);
  colorModeRG_->setObjectName("ColorModeRG");
  modeGroup_ = new QButtonGroup(this);
  auto* dataColor = new QRadioButton("Data Color", colorModeRG_);
  threadColor_ = new QRadioButton("Thread Color", colorModeRG_);
  modeGroup_->addButton(dataColor, 0);
  modeGroup_->addButton(threadColor_, 1);
  dataColor->setChecked(true);
  auto* modeRow = new QHBoxLayout(colorModeRG_);
  modeRow->setContentsMargins(6, 2, 6, 2);
  modeRow->addWidget(dataColor);
  modeRow->addWidget(threadColor_);

  panelDstColor_ = new TPaintPanel;
  panelDstColor_->setObjectName("PanelDstColor");
  panelDstColor_->SetBevelOuter(TPaintPanel::TBevel::bvNone);
  panelDstColor_->SetColor(Qt::white);
  upScrollBox_ = MakeScrollBox("UpScrollBox", panelDstColor_, upPanel_);
  auto* upColumn = new QVBoxLayout(upPanel_);
  upColumn->setContentsMargins(0, 0, 0, 0);
  upColumn->addWidget(colorModeRG_);
  upColumn->addWidget(upScrollBox_, 1);

  auto* downPanel = new QWidget(this);
  downPanel->setObjectName("DownPanel");
  panelDownTop_ = new QWidget(downPanel);
  panelDownTop_->setObjectName("PanelDownTop");
  panelDownTop_->setFixedHeight(32);
  auto* machineLbl = new QLabel("Select Machine", panelDownTop_);
  machineLbl->setObjectName("MachineLbl");
  machineCB_ = new QComboBox(panelDownTop_);
  machineCB_->setObjectName("MachineCB");
  auto* topRow = new QHBoxLayout(panelDownTop_);
  topRow->setContentsMargins(4, 0, 4, 0);
  topRow->addWidget(machineLbl);
  topRow->addWidget(machineCB_, 1);
  panelSrcColor_ = new TPaintPanel;
  panelSrcColor_->setObjectName("PanelSrcColor");
  panelSrcColor_->SetBevelOuter(TPaintPanel::TBevel::bvNone);
  panelSrcColor_->SetColor(Qt::white);
  panelSrcColor_->SetTabStop(true);
  downScrollBox_ = MakeScrollBox("DownScrollBox", panelSrcColor_, downPanel);
  auto* downColumn = new QVBoxLayout(downPanel);
  downColumn->setContentsMargins(0, 0, 0, 0);
  downColumn->addWidget(panelDownTop_);
  downColumn->addWidget(downScrollBox_, 1);

  auto* splitterH = new QSplitter(Qt::Vertical, this);
  splitterH->setObjectName("SplitterH");
  splitterH->addWidget(upPanel_);
  splitterH->addWidget(downPanel);
  splitterH->setSizes({225, 322});
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(splitterH);

  connect(modeGroup_, &QButtonGroup::idClicked, this, [this] {
    ColorModeRGClick_();
    emit ColorModeRGClick();
  });
  connect(machineCB_, &QComboBox::currentIndexChanged, this, [this] {
    MachineCBChange_();
    emit MachineCBChange();
  });
  connect(panelDstColor_, &TPaintPanel::paint, this, [this] { PaintDst(); });
  connect(panelSrcColor_, &TPaintPanel::paint, this, [this] { PaintSrc(); });
  connect(panelDstColor_, &TPaintPanel::mouseDown, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint at) {
            DstMouseDown(at);
            emit PanelDstColorMouseDown();
          });
  connect(panelDstColor_, &TPaintPanel::mouseUp, this,
          [this] { upScrollBox_->verticalScrollBar()->setValue(savedScroll_); });
  connect(panelSrcColor_, &TPaintPanel::mouseDown, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint at) { SrcMouseDown(at); });
  connect(panelSrcColor_, &TPaintPanel::mouseMove, this,
          [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPoint at) {
            SrcMouseMove(buttons, at);
          });
  connect(panelSrcColor_, &TPaintPanel::mouseUp, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint at) {
            SrcMouseUp(at);
            emit PanelSrcColorMouseUp();
          });
  connect(panelSrcColor_, &TPaintPanel::dblClick, this, [this] {
    SrcDblClick();
    emit PanelSrcColorDblClick();
  });
  connect(panelSrcColor_, &TPaintPanel::keyDown, this,
          [this](int key, Qt::KeyboardModifiers) { SrcKeyDown(key); });
}

QWidget* TFColorFrame::PanelSrcColor() const { return panelSrcColor_; }
QWidget* TFColorFrame::PanelDstColor() const { return panelDstColor_; }

void TFColorFrame::Setup(TStitchItem* design) {
  design_ = design;
  frameMode_ = TColorFrameMode::MainNeedles;
  selDst_ = -1;
  ColorModeRGClick_();
  MachineCBChange_();
  DestroyRows();
  BuildDesignRows(false);
  BuildPaletteRows(true);
  changed_ = false;
}

void TFColorFrame::SetupDialog(TStitchItem* design, TColorInfo* palette, TColorFrameMode mode) {
  design_ = design;
  frameMode_ = mode;
  dialogPalette_ = palette;
  paletteMachine_ = -1;
  selDst_ = -1;
  colorModeRG_->hide();
  panelDownTop_->hide();
  dataMode_ = false;
  modeGroup_->button(mode != TColorFrameMode::Recolour ? 1 : 0)->setChecked(true);
  DestroyRows();
  BuildDesignRows(mode == TColorFrameMode::Recolour);
  BuildPaletteRows(false);
  changed_ = false;
}

TColorInfo* TFColorFrame::Palette() const {
  if (frameMode_ != TColorFrameMode::MainNeedles) return dialogPalette_;
  return paletteMachine_ >= 0 && machinePalette ? machinePalette(paletteMachine_) : nullptr;
}

bool TFColorFrame::TakeChanged() {
  const bool was = changed_;
  changed_ = false;
  return was;
}

bool TFColorFrame::IsDataMode() const { return modeGroup_->checkedId() == 0; }

int TFColorFrame::GetMachineIndex() const { return machineCB_->currentIndex(); }

void TFColorFrame::DestroyRows() {
  for (QLineEdit* edit : nameEdits_) delete edit;
  nameEdits_.clear();
  for (QCheckBox*& check : checks_) {
    delete check;
    check = nullptr;
  }
}

void TFColorFrame::BuildDesignRows(bool editable) {
  const int blocks = design_ != nullptr ? design_->GetColorCount() : 0;
  panelDstColor_->setFixedHeight(ColorPanelHeight(blocks));
  for (int i = 0; i < blocks; ++i) {
    auto* edit = new QLineEdit(panelDstColor_);
    edit->setObjectName(QString("NameEdit%1").arg(i));
    edit->setGeometry(94, 12 + kColorRowPitch * i, 160, 23);
    LimitEditToUtf8Bytes(edit, kNameBytes);
    edit->setProperty("Tag", i);
    edit->setEnabled(editable);
    if (editable)
      connect(edit, &QLineEdit::textEdited, this,
              [this, i](const QString& text) { EditChange(i, text); });
    edit->show();
    nameEdits_.push_back(edit);
  }
  RefreshNames();
}

void TFColorFrame::BuildPaletteRows(bool withChecks) {
  const TColorInfo* palette = Palette();
  const int entries = palette != nullptr ? palette->GetCount() : 0;
  panelSrcColor_->setFixedHeight(ColorPanelHeight(entries));
  if (!withChecks) return;
  for (int j = 0; j < std::min(entries, kCheckSlots); ++j) {
    auto* check = new QCheckBox(panelSrcColor_);
    check->setObjectName(QString("Check%1").arg(j));
    check->setGeometry(4, 16 + kColorRowPitch * j, 17, 17);
    check->setChecked(palette->GetFlag(j));
    connect(check, &QCheckBox::clicked, this, [this, j](bool on) { CheckClick(j, on); });
    check->show();
    checks_[static_cast<std::size_t>(j)] = check;
  }
}

void TFColorFrame::RefreshNames() {
  if (design_ != nullptr) {
    const bool names = modeGroup_->checkedId() == 0;
    const TColorInfo* palette = Palette();
    for (int i = 0; i < static_cast<int>(nameEdits_.size()); ++i) {
      TEmbColor c;
      design_->GetColor(i, nullptr, c);
      const std::string text =
          names ? c.Name : (palette != nullptr ? palette->GetLabel(c.Index) : std::string());
      nameEdits_[static_cast<std::size_t>(i)]->setText(QString::fromStdString(text));
    }
  }
  panelDstColor_->update();
}

void TFColorFrame::ColorModeRGClick_() {
  dataMode_ = modeGroup_->checkedId() == 0;
  RefreshNames();
}

void TFColorFrame::MachineCBChange_() {
  if (!machinePalette) return;
  mappings_.Clear();
  // With no machine chosen (the list emptied) the frame shows no palette.
  paletteMachine_ = machineCB_->currentIndex();
  if (const TColorInfo* palette = Palette()) {
    for (int j = 0; j < kCheckSlots && j < palette->GetCount(); ++j) {
      if (checks_[static_cast<std::size_t>(j)] != nullptr)
        checks_[static_cast<std::size_t>(j)]->setChecked(palette->GetFlag(j));
    }
  }
  PaletteChanged(true);
}

void TFColorFrame::PaletteChanged(bool repaint) {
  if (repaint) panelSrcColor_->update();
  if (design_ != nullptr) {
    mappings_.Apply(*design_, Palette());
    if (!dataMode_) RefreshNames();
  }
  changed_ = true;
}

void TFColorFrame::CheckClick(int j, bool checked) {
  TColorInfo* palette = Palette();
  if (palette == nullptr) return;
  palette->SetFlag(j, checked);
  PaletteChanged(false);
  if (!dataMode_) emit DockRefresh();
}

void TFColorFrame::EditChange(int i, const QString& text) {
  if (design_ == nullptr) return;
  TEmbColor c;
  if (!design_->GetColor(i, nullptr, c)) return;
  c.Name = text.toStdString();
  design_->SetColor(i, c);
}
