#include "hoopdesk/colours/fcolorframe.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int kRowPitch = 40;
constexpr int kSwatchX = 38;
constexpr int kSwatchSize = 32;

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

struct Row {
  COLORREF colour = 0;
  QString text;
};

}  // namespace

// A list of colour rows 40 pixels apart: number, swatch, name.
class TFColorFrame::Rows : public QWidget {
 public:
  Rows(std::function<std::vector<Row>()> source, QWidget* parent)
      : QWidget(parent), source_(std::move(source)) {}
  std::function<void()> onPress, onRelease, onDoubleClick;

  void Refresh() {
    rows_ = source_();
    setFixedHeight(kRowPitch * static_cast<int>(rows_.size()) + 4);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const int y = 8 + kRowPitch * static_cast<int>(i);
      p.setPen(Qt::black);
      p.drawText(QRect(0, y, 34, kSwatchSize), Qt::AlignRight | Qt::AlignVCenter,
                 QString::number(i + 1));
      p.setBrush(ToQColor(rows_[i].colour));
      p.drawRect(kSwatchX, y, kSwatchSize - 1, kSwatchSize - 1);
      p.drawText(QRect(78, y, width() - 80, kSwatchSize), Qt::AlignLeft | Qt::AlignVCenter,
                 rows_[i].text);
    }
  }
  void mousePressEvent(QMouseEvent*) override {
    if (onPress) onPress();
  }
  void mouseReleaseEvent(QMouseEvent*) override {
    if (onRelease) onRelease();
  }
  void mouseDoubleClickEvent(QMouseEvent*) override {
    if (onDoubleClick) onDoubleClick();
  }

 private:
  std::function<std::vector<Row>()> source_;
  std::vector<Row> rows_;
};

TFColorFrame::TFColorFrame(QWidget* parent) : QWidget(parent) {
  auto* upPanel = new QWidget(this);
  upPanel->setObjectName("UpPanel");
  colorModeRG_ = new QGroupBox(upPanel);
  colorModeRG_->setObjectName("ColorModeRG");
  modeGroup_ = new QButtonGroup(this);
  auto* dataColor = new QRadioButton("Data Color", colorModeRG_);
  threadColor_ = new QRadioButton("Thread Color", colorModeRG_);
  modeGroup_->addButton(dataColor, 0);
  modeGroup_->addButton(threadColor_, 1);
  dataColor->setChecked(true);
  auto* modeRow = new QHBoxLayout(colorModeRG_);
  modeRow->addWidget(dataColor);
  modeRow->addWidget(threadColor_);

  panelDstColor_ = new Rows(
      [this] {
        std::vector<Row> rows;
        if (design_ == nullptr) return rows;
        const TColorInfo* p = IsDataMode() ? nullptr : palette_;
        for (int i = 0; i < design_->GetColorCount(); ++i) {
          TEmbColor c;
          design_->GetColor(i, p, c);
          const bool label = p != nullptr && c.Index != 0xFF;
          rows.push_back({c.Color, QString::fromStdString(label ? p->GetLabel(c.Index) : c.Name)});
        }
        return rows;
      },
      nullptr);
  panelDstColor_->setObjectName("PanelDstColor");
  auto* upScrollBox = new QScrollArea(upPanel);
  upScrollBox->setObjectName("UpScrollBox");
  upScrollBox->setWidget(panelDstColor_);
  upScrollBox->setWidgetResizable(true);
  auto* upColumn = new QVBoxLayout(upPanel);
  upColumn->setContentsMargins(0, 0, 0, 0);
  upColumn->addWidget(colorModeRG_);
  upColumn->addWidget(upScrollBox, 1);

  auto* downPanel = new QWidget(this);
  downPanel->setObjectName("DownPanel");
  auto* downTop = new QWidget(downPanel);
  downTop->setObjectName("PanelDownTop");
  downTop->setFixedHeight(32);
  auto* machineLbl = new QLabel("Select Machine", downTop);
  machineLbl->setObjectName("MachineLbl");
  machineCB_ = new QComboBox(downTop);
  machineCB_->setObjectName("MachineCB");
  auto* topRow = new QHBoxLayout(downTop);
  topRow->setContentsMargins(4, 0, 4, 0);
  topRow->addWidget(machineLbl);
  topRow->addWidget(machineCB_, 1);
  panelSrcColor_ = new Rows(
      [this] {
        std::vector<Row> rows;
        if (palette_ == nullptr) return rows;
        for (int i = 0; i < palette_->GetCount(); ++i)
          rows.push_back({palette_->GetColor(i), QString::fromStdString(palette_->GetLabel(i))});
        return rows;
      },
      nullptr);
  panelSrcColor_->setObjectName("PanelSrcColor");
  auto* downScrollBox = new QScrollArea(downPanel);
  downScrollBox->setObjectName("DownScrollBox");
  downScrollBox->setWidget(panelSrcColor_);
  downScrollBox->setWidgetResizable(true);
  auto* downColumn = new QVBoxLayout(downPanel);
  downColumn->setContentsMargins(0, 0, 0, 0);
  downColumn->addWidget(downTop);
  downColumn->addWidget(downScrollBox, 1);

  auto* splitterH = new QSplitter(Qt::Vertical, this);
  splitterH->setObjectName("SplitterH");
  splitterH->addWidget(upPanel);
  splitterH->addWidget(downPanel);
  splitterH->setSizes({225, 322});
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(splitterH);

  connect(modeGroup_, &QButtonGroup::idClicked, this, [this] {
    ModeClicked();
    emit ColorModeRGClick();
  });
  connect(machineCB_, &QComboBox::currentIndexChanged, this, [this] {
    MachineChanged();
    emit MachineCBChange();
  });
  panelSrcColor_->onRelease = [this] { emit PanelSrcColorMouseUp(); };
  panelSrcColor_->onDoubleClick = [this] { emit PanelSrcColorDblClick(); };
  panelDstColor_->onPress = [this] { emit PanelDstColorMouseDown(); };
}

void TFColorFrame::Setup(TStitchItem* design) {
  design_ = design;
  ModeClicked();
  MachineChanged();
  panelDstColor_->Refresh();
  panelSrcColor_->Refresh();
  changed_ = false;
}

QWidget* TFColorFrame::PanelSrcColor() const { return panelSrcColor_; }
QWidget* TFColorFrame::PanelDstColor() const { return panelDstColor_; }

bool TFColorFrame::TakeChanged() {
  const bool was = changed_;
  changed_ = false;
  return was;
}

bool TFColorFrame::IsDataMode() const { return modeGroup_->checkedId() == 0; }

int TFColorFrame::GetMachineIndex() const { return machineCB_->currentIndex(); }

void TFColorFrame::RefreshNames() { panelDstColor_->Refresh(); }

void TFColorFrame::ModeClicked() { RefreshNames(); }

void TFColorFrame::MachineChanged() {
  const int i = machineCB_->currentIndex();
  if (i >= 0 && machinePalette) {
    palette_ = machinePalette(i);
    PaletteChanged();
  }
}

void TFColorFrame::PaletteChanged() {
  panelSrcColor_->Refresh();
  if (design_ != nullptr && palette_ != nullptr) {
    design_->ColorMatch(palette_);
    if (!IsDataMode()) RefreshNames();
  }
  changed_ = true;
}
