#include "hoopdesk/colours/fsetcol.h"

#include <QActionGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "hoopdesk/colours/designinfo.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/controls/bitmapimage.h"
#include "platform/bitmap.h"
#include "shared/common.h"

namespace {

constexpr int kFrameWidth = 279;
constexpr int kFootHeight = 58;

}  // namespace

// The large view of the design: shows the picture Redraw made and asks for a new one when
// its size changes.
class TFSetCol::Image : public QWidget {
 public:
  explicit Image(QWidget* parent) : QWidget(parent) {}
  QImage picture;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawImage(0, 0, picture);
  }
};

TFSetCol::TFSetCol(QWidget* owner, int model, TColorInfo* palette, TStitchItem* design,
                   TColorFrameMode mode, std::uint32_t backColor)
    : QDialog(owner),
      browseMode_(mode == TColorFrameMode::Recolour),
      design_(design),
      palette_(palette),
      model_(model),
      backColor_(backColor) {
  setObjectName("FSetCol");
  setWindowTitle("Color");
  resize(819, 600);

  imgDraw_ = new Image(this);
  imgDraw_->setObjectName("ImgDraw");
  imgDraw_->setContextMenuPolicy(Qt::CustomContextMenu);
  frame_ = new TFColorFrame(this);
  frame_->setObjectName("FColColorFrame");
  frame_->setFixedWidth(kFrameWidth);
  frame_->SetupDialog(design, palette, mode);

  auto* foot = new QWidget(this);
  foot->setObjectName("PanelFoot");
  foot->setFixedHeight(kFootHeight);
  auto* grid = new QGridLayout(foot);
  grid->setContentsMargins(8, 4, 8, 4);
  const auto field = [foot](const char* name) {
    auto* edit = new QLineEdit(foot);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setFixedWidth(70);
    return edit;
  };
  const auto label = [foot](const char* name, const char* text) {
    auto* l = new QLabel(text, foot);
    l->setObjectName(name);
    return l;
  };
  widthEdt_ = field("WidthEdt");
  heightEdt_ = field("HeightEdt");
  stitchEdt_ = field("StitchEdt");
  colorsEdt_ = field("ColorsEdt");
  scaleEdt_ = field("ScaleEdt");
  x1Edt_ = field("X1Edt");
  x2Edt_ = field("X2Edt");
  y1Edt_ = field("Y1Edt");
  y2Edt_ = field("Y2Edt");
  labelScale_ = label("LabelScale", "Scale:");
  grid->addWidget(label("WidthLbl", "Width:"), 0, 0);
  grid->addWidget(widthEdt_, 0, 1);
  grid->addWidget(label("WidthMm", "mm"), 0, 2);
  grid->addWidget(label("HeightLbl", "Height:"), 1, 0);
  grid->addWidget(heightEdt_, 1, 1);
  grid->addWidget(label("HeightMm", "mm"), 1, 2);
  grid->addWidget(label("StitchLbl", "Stitch:"), 0, 3);
  grid->addWidget(stitchEdt_, 0, 4);
  grid->addWidget(label("ColorsLbl", "Colors:"), 1, 3);
  grid->addWidget(colorsEdt_, 1, 4);
  grid->addWidget(labelScale_, 0, 5);
  grid->addWidget(scaleEdt_, 0, 6);
  grid->addWidget(x1Edt_, 0, 7);
  grid->addWidget(x2Edt_, 0, 8);
  grid->addWidget(y1Edt_, 1, 7);
  grid->addWidget(y2Edt_, 1, 8);
  grid->setColumnStretch(9, 1);

  auto* saveBtn = new QPushButton("&Save", foot);
  saveBtn->setObjectName("SaveBtn");
  auto* cancelBtn = new QPushButton("Cancel", foot);
  cancelBtn->setObjectName("CancelBtn");
  auto* okBtn = new QPushButton("OK", foot);
  okBtn->setObjectName("OKBtn");
  grid->addWidget(saveBtn, 0, 10);
  grid->addWidget(cancelBtn, 1, 10);
  grid->addWidget(okBtn, 0, 11);
  connect(saveBtn, &QPushButton::clicked, this, [this] { done(kSaveResult); });
  connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(okBtn, &QPushButton::clicked, this, &QDialog::accept);
  for (QWidget* w : std::initializer_list<QWidget*>{saveBtn, cancelBtn}) w->setVisible(browseMode_);
  for (QWidget* w : std::initializer_list<QWidget*>{okBtn, labelScale_, scaleEdt_, x1Edt_, x2Edt_,
                                                    y1Edt_, y2Edt_})
    w->setVisible(!browseMode_);
  (browseMode_ ? saveBtn : okBtn)->setDefault(true);

  auto* top = new QHBoxLayout;
  top->setContentsMargins(0, 0, 0, 0);
  top->addWidget(imgDraw_, 1);
  top->addWidget(frame_);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addLayout(top, 1);
  column->addWidget(foot);

  popupMenu_ = new QMenu(this);
  popupMenu_->setObjectName("PopupMenu");
  auto* group = new QActionGroup(this);
  QAction* white = popupMenu_->addAction("&White BackColor");
  white->setObjectName("MenuWhite");
  QAction* gray = popupMenu_->addAction("&Gray  BackColor");
  gray->setObjectName("MenuGray");
  for (QAction* a : {white, gray}) {
    a->setCheckable(true);
    group->addAction(a);
  }
  connect(white, &QAction::triggered, this, [this] { SetBackColor(kBackWhite); });
  connect(gray, &QAction::triggered, this, [this] { SetBackColor(kBackGray); });
  connect(imgDraw_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    PopupMenuPopup();
    popupMenu_->exec(imgDraw_->mapToGlobal(at));
  });
  connect(frame_, &TFColorFrame::PanelDstColorMouseDown, this, &TFSetCol::FrameChanged);
  connect(frame_, &TFColorFrame::PanelSrcColorMouseUp, this, &TFSetCol::FrameChanged);
}

TFSetCol::~TFSetCol() = default;

void TFSetCol::done(int result) {
  if (design_ != nullptr) {
    for (int i = 0; i < design_->GetColorCount(); ++i) design_->ClearMark(i);
  }
  QDialog::done(result);
}

void TFSetCol::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Redraw();
}

void TFSetCol::SetBackColor(std::uint32_t colour) {
  backColor_ = colour;
  Redraw();
}

void TFSetCol::PopupMenuPopup() {
  popupMenu_->findChild<QAction*>(backColor_ != kBackWhite ? "MenuGray" : "MenuWhite")
      ->setChecked(true);
}

void TFSetCol::FrameChanged() {
  if (frame_->TakeChanged()) Redraw();
}

void TFSetCol::Redraw() {
  if (design_ == nullptr) return;
  layout()->activate();
  const int w = imgDraw_->width();
  const int h = imgDraw_->height();
  if (w <= 0 || h <= 0) return;
  platform::Bitmap bitmap(w, h);
  bitmap.GetCanvas().GetBrush().color = backColor_;
  zoom_ = design_->Draw(bitmap, true, 0, -1, browseMode_ ? nullptr : palette_);
  const TPoint origin = DesignOriginPoint(design_->GetRawRect(), zoom_, w, h);
  originPt_ = QPoint(origin.x, origin.y);
  QImage picture = ToQImage(bitmap);
  if (!browseMode_) {
    QPainter p(&picture);
    p.setPen(Qt::black);
    p.drawLine(0, originPt_.y(), w, originPt_.y());
    p.drawLine(originPt_.x(), 0, originPt_.x(), h);
  }
  imgDraw_->picture = picture;
  imgDraw_->update();
  FillInfo();
}

void TFSetCol::FillInfo() {
  const TDesignInfoTexts t =
      MakeDesignInfoTexts(design_->GetRawRect(), design_->GetStitchSize(model_),
                          design_->GetColorCount(), zoom_, !browseMode_);
  widthEdt_->setText(t.width);
  heightEdt_->setText(t.height);
  stitchEdt_->setText(t.stitches);
  colorsEdt_->setText(t.colors);
  if (browseMode_) return;
  x1Edt_->setText(t.x1);
  x2Edt_->setText(t.x2);
  y1Edt_->setText(t.y1);
  y2Edt_->setText(t.y2);
  scaleEdt_->setText(t.scale);
}
