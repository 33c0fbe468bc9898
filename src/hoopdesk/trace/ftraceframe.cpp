#include "hoopdesk/trace/ftraceframe.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <vector>

#include "hoopdesk/machines/machinesource.h"
#include "hoopdesk/machines/progresscodes.h"
#include "hoopdesk/machines/sewndesign.h"
#include "hoopdesk/trace/tracecounters.h"
#include "hoopdesk/trace/traceimage.h"
#include "hoopdesk/trace/tracestate.h"
#include "hoopdesk/trace/tracestatusbar.h"
#include "platform/messages.h"

namespace {

constexpr int kHeaderHeight = 16;
constexpr int kFootHeight = 52;

}  // namespace

TFTraceFrame::TFTraceFrame(TMachineSource& machines, int machineIndex, QWidget* parent)
    : QWidget(parent), machines_(machines), machineIndex_(machineIndex) {
  resize(334, 361);
  auto* panel = new QFrame(this);
  panel->setObjectName("Panel");
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(panel);

  headerLbl_ = new QLabel(panel);
  headerLbl_->setObjectName("HeaderLbl");
  headerLbl_->setTextFormat(Qt::PlainText);  // machine names come from the network
  headerLbl_->setFixedHeight(kHeaderHeight);
  headerLbl_->setAutoFillBackground(true);
  QPalette header = headerLbl_->palette();
  header.setColor(QPalette::Window, header.color(QPalette::Highlight));
  header.setColor(QPalette::WindowText, Qt::white);
  headerLbl_->setPalette(header);
  QFont headerFont = headerLbl_->font();
  headerFont.setPixelSize(12);
  headerLbl_->setFont(headerFont);

  drawImg_ = new TTraceImage(panel);
  drawImg_->SetOnResize([this] { Redraw(); });

  auto* foot = new QWidget(panel);
  foot->setObjectName("PanelFoot");
  foot->setFixedHeight(kFootHeight);
  BuildFoot(foot);

  statusBar_ = new TTraceStatusBar(panel);

  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(1, 1, 1, 1);
  column->setSpacing(0);
  column->addWidget(headerLbl_);
  column->addWidget(drawImg_, 1);
  column->addWidget(foot);
  column->addWidget(statusBar_);
}

QLineEdit* TFTraceFrame::AddEdit(QWidget* parent, const char* name, int width) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setReadOnly(true);
  edit->setFocusPolicy(Qt::NoFocus);
  edit->setFixedWidth(width);
  edit->setTextMargins(0, 0, 0, 0);
  return edit;
}

void TFTraceFrame::BuildFoot(QWidget* foot) {
  // Each row: labels and read-only edits, left to right; an entry without an edit is a label.
  struct TItem {
    const char* text;
    const char* edit = nullptr;
    int width = 0;
    QLineEdit** target = nullptr;
  };
  const std::vector<std::vector<TItem>> rows = {
      {{"ST:", "StitchEdt", 122, &stitchEdt_},
       {"NN:", "NeedleEdt", 20, &needleEdt_},
       {"MR:", "MemEdt", 50, &memEdt_},
       {"stitches"}},
      {{"RS:", "SpeedEdt", 40, &speedEdt_},
       {"/ min"},
       {"RT:", "MinEdt", 35, &minEdt_},
       {"min.", "SecEdt", 20, &secEdt_},
       {"sec."}},
  };
  auto* column = new QVBoxLayout(foot);
  column->setContentsMargins(4, 2, 4, 2);
  column->setSpacing(2);
  for (const auto& items : rows) {
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    column->addLayout(row);
    for (const TItem& item : items) {
      row->addWidget(new QLabel(item.text, foot));
      if (item.edit == nullptr) continue;
      *item.target = AddEdit(foot, item.edit, item.width);
      row->addWidget(*item.target);
    }
    row->addStretch();
  }
}

void TFTraceFrame::SetStatusText(int panel, const std::string& text) {
  statusBar_->SetPanelText(panel, QString::fromStdString(text));
}

void TFTraceFrame::ClearStatus() {
  SetStatusText(0, "");
  SetStatusText(1, "");
}

void TFTraceFrame::ClearError() {
  SetStatusText(1, "");
  // Nothing is shown now, so the next report of the same error shows it again.
  trace_.Error = 0;
}

void TFTraceFrame::ClearCounters() {
  trace_.Remain = 0;
  for (QLineEdit* edit : {stitchEdt_, speedEdt_, needleEdt_, minEdt_, secEdt_, memEdt_})
    edit->clear();
}

std::int32_t TFTraceFrame::LoadDesign(const std::string& fileName) {
  trace_.Total = 0;
  trace_.FirstPos = 0;
  trace_.CurStitch = 0;
  design_.Points.clear();
  const TSewnDesign sewn = LoadSewnDesign(machines_, machineIndex_, fileName, design_);
  trace_.ShowDesign = sewn.found ? 1 : 0;
  if (sewn.listed) {
    trace_.Total = sewn.total;
    trace_.Error = 0;
    trace_.ShowDesign = sewn.loaded ? 1 : 0;
  }
  if (trace_.Total > 0) SetStatusText(1, "");

  const std::string address = machines_.MachineAddress(machineIndex_);
  const std::string title =
      machines_.HasMachine(machineIndex_) && sewn.loaded ? design_.Title : std::string();
  headerLbl_->setText(QString::fromStdString(TraceHeaderText(address, fileName, title)));
  return trace_.Total;
}

void TFTraceFrame::ShowFrame(bool show) {
  const bool shown = TraceFrameShown(show, trace_.Error);
  if (!shown) {
    design_.Points.clear();
    trace_.ShowDesign = 0;
  }
  setVisible(shown);
  if (shown) Redraw();
}

void TFTraceFrame::Paint(std::uint8_t mode, bool withPalette) {
  trace_.Mode = mode;
  design_.TracePaint(trace_, drawImg_->Bitmap(), colour_,
                     withPalette ? machines_.MachinePalette(machineIndex_) : nullptr);
  drawImg_->update();
}

void TFTraceFrame::SetState(std::uint8_t state, std::int32_t position, std::int32_t error) {
  trace_.FrameState = state;
  statusBar_->SetAlarm(state == kTraceMachineError);
  if (const std::int32_t id = TraceStateTextId(state, position); id != 0)
    SetStatusText(0, platform::MessageText(id));
  error = TraceReportedError(trace_.ShowDesign != 0, error);
  if (error != trace_.Error) {
    SetStatusText(1, error != 0 ? platform::MessageText(error) : std::string());
    trace_.Error = error;
  }
  trace_.FirstPos = trace_.CurStitch;
  trace_.CurStitch = position;

  const TTraceStep step =
      TraceStep(IsShown(), machines_.HasMachine(machineIndex_), trace_.FirstPos, position, state);
  if (step.restart) {
    Paint(0, false);
    trace_.FirstPos = 0;
  }
  if (step.traceOn) Paint(1, true);
  if (step.sendButtons)
    machines_.UpdateSendButtons(machineIndex_, machines_.InSyncGroup(machineIndex_));
}

void TFTraceFrame::UpdateProgress(std::uint8_t state, std::int32_t position, std::int32_t error,
                                  std::int32_t speed, std::int32_t needle, std::int32_t total) {
  SetState(state, position, error);
  if (!IsShown()) return;
  if (total > 0) trace_.Total = total;
  ShowCounters(TraceSpeedPerMinute(speed), needle);
}

void TFTraceFrame::Complete(bool normal, std::int32_t needle) {
  if (IsShown()) {
    if (normal) {
      trace_.CurStitch = trace_.Total;
      Paint(2, true);
    } else {
      Paint(0, true);
    }
  }
  trace_.CurStitch = trace_.Total;
  ShowCounters(0, needle);
}

void TFTraceFrame::SetMemory(std::int32_t memory) {
  trace_.Remain = memory;
  memEdt_->setText(QString::fromStdString(TraceMemoryText(memory)));
}

void TFTraceFrame::ShowCounters(std::int32_t speed, std::int32_t needle) {
  const TTraceCounterTexts texts = TraceCounterTexts(trace_.CurStitch, trace_.Total, speed, needle);
  stitchEdt_->setText(QString::fromStdString(texts.stitches));
  speedEdt_->setText(QString::fromStdString(texts.speed));
  needleEdt_->setText(QString::fromStdString(texts.needle));
  minEdt_->setText(QString::fromStdString(texts.minutes));
  secEdt_->setText(QString::fromStdString(texts.seconds));
}

void TFTraceFrame::Redraw() {
  Paint(0, true);
  trace_.FirstPos = 0;
  Paint(1, true);
}
