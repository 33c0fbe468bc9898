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
#include "hoopdesk/controls/bytelimit.h"
#include "hoopdesk/controls/draglabel.h"
#include "hoopdesk/controls/paintpanel.h"

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
  model_.SetupMain(design);
  ColorModeRGClick_();
  MachineCBChange_();
  DestroyRows();
  BuildDesignRows(false);
  BuildPaletteRows(true);
  model_.TakeChanged();  // a fresh binding leaves the owner nothing to redraw
}

void TFColorFrame::SetupDialog(TStitchItem* design, TColorInfo* palette, TColorFrameMode mode) {
  model_.SetupDialog(design, palette, mode);
  colorModeRG_->hide();
  panelDownTop_->hide();
  modeGroup_->button(mode != TColorFrameMode::Recolour ? 1 : 0)->setChecked(true);
  DestroyRows();
  BuildDesignRows(mode == TColorFrameMode::Recolour);
  BuildPaletteRows(false);
  model_.TakeChanged();
}

bool TFColorFrame::TakeChanged() { return model_.TakeChanged(); }

bool TFColorFrame::IsDataMode() const { return modeGroup_->checkedId() == 0; }

int TFColorFrame::GetMachineIndex() const { return machineCB_->currentIndex(); }

void TFColorFrame::DestroyRows() {
  nameEdits_.clear();
  for (std::unique_ptr<QCheckBox>& check : checks_) check.reset();
}

void TFColorFrame::BuildDesignRows(bool editable) {
  const TStitchItem* design = model_.Design();
  const int blocks = design != nullptr ? design->GetColorCount() : 0;
  panelDstColor_->setFixedHeight(ColorPanelHeight(blocks));
  for (int i = 0; i < blocks; ++i) {
    auto edit = std::make_unique<QLineEdit>(panelDstColor_);
    edit->setObjectName(QString("NameEdit%1").arg(i));
    edit->setGeometry(BlockNameRect(i));
    LimitEditToUtf8Bytes(edit.get(), kNameBytes);
    edit->setProperty("Tag", i);
    edit->setEnabled(editable);
    if (editable)
      connect(edit.get(), &QLineEdit::textEdited, this,
              [this, i](const QString& text) { model_.SetBlockName(i, text.toStdString()); });
    edit->show();
    nameEdits_.push_back(std::move(edit));
  }
  RefreshNames();
}

void TFColorFrame::BuildPaletteRows(bool withChecks) {
  const TColorInfo* palette = Palette();
  const int entries = palette != nullptr ? palette->GetCount() : 0;
  panelSrcColor_->setFixedHeight(ColorPanelHeight(entries));
  if (!withChecks) return;
  for (int j = 0; j < std::min(entries, kCheckSlots); ++j) {
    auto check = std::make_unique<QCheckBox>(panelSrcColor_);
    check->setObjectName(QString("Check%1").arg(j));
    check->setGeometry(EntryCheckRect(j));
    check->setChecked(palette->GetFlag(j));
    connect(check.get(), &QCheckBox::clicked, this, [this, j](bool on) { CheckClick(j, on); });
    check->show();
    checks_[static_cast<std::size_t>(j)] = std::move(check);
  }
}

void TFColorFrame::RefreshNames() {
  if (model_.Design() != nullptr) {
    // The radio button decides, not the data mode: the dialog's needle mode shows labels.
    const bool labels = modeGroup_->checkedId() != 0;
    for (int i = 0; i < static_cast<int>(nameEdits_.size()); ++i)
      nameEdits_[static_cast<std::size_t>(i)]->setText(
          QString::fromStdString(model_.BlockText(i, labels)));
  }
  panelDstColor_->update();
}

void TFColorFrame::Refresh(const TColorFrameModel::TRefresh& refresh) {
  if (refresh.names) RefreshNames();
  if (refresh.layout) emit DockRefresh();
}

void TFColorFrame::ColorModeRGClick_() {
  model_.SetDataMode(modeGroup_->checkedId() == 0);
  RefreshNames();
}

void TFColorFrame::MachineCBChange_() {
  // With no machine chosen (the list emptied) the frame shows no palette.
  const std::optional<TColorFrameModel::TRefresh> refresh =
      model_.ChooseMachine(machineCB_->currentIndex());
  if (!refresh) return;
  if (const TColorInfo* palette = Palette()) {
    for (int j = 0; j < kCheckSlots && j < palette->GetCount(); ++j) {
      if (checks_[static_cast<std::size_t>(j)] != nullptr)
        checks_[static_cast<std::size_t>(j)]->setChecked(palette->GetFlag(j));
    }
  }
  panelSrcColor_->update();
  Refresh(*refresh);
  // The change is the machine's, taken here: left set, it would make the owner redraw again
  // after the next press or release that changed nothing.
  if (model_.TakeChanged() && !IsDataMode()) emit DockRefresh();
}

void TFColorFrame::CheckClick(int j, bool checked) { Refresh(model_.Check(j, checked)); }
