#include "hoopdesk/mainwindow/fpellora.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <array>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/controls/anibutton.h"
#include "hoopdesk/controls/bitmapimage.h"
#include "hoopdesk/controls/colorref.h"
#include "hoopdesk/controls/draglabel.h"
#include "hoopdesk/controls/dropdownbutton.h"
#include "hoopdesk/controls/liftbutton.h"
#include "hoopdesk/controls/paintpanel.h"
#include "hoopdesk/docking/dockarea.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/mainwindow/orderlist.h"
#include "hoopdesk/mainwindow/workfolder.h"
#include "hoopdesk/panels/sendtablayout.h"
#include "hoopdesk/sendfolder/purgesendfolder.h"
#include "hoopdesk/settings/settingchecks.h"
#include "hoopdesk/slp/findsrv.h"
#include "hoopdesk/startup/argumentfile.h"
#include "hoopdesk/startup/paramfile.h"
#include "hoopdesk/trace/ftrace.h"
#include "platform/bitmap.h"
#include "platform/fileutil.h"
#include "shared/getserial.h"

namespace {

constexpr int kSystemColors = 60;
constexpr std::uintmax_t kLogRotateSize = 65536;
constexpr int kDragThreshold = 50;
constexpr int kArgumentDelayMs = 500;
constexpr int kOrderThumbnail = 50;

}  // namespace

TFPellora::TFPellora(TPelloraOptions options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      panels_(options_.connector),
      schedule_(options_.clock) {
  ui_.Setup(this);
  panels_.SetHost(this);

  TBrowserWidgets widgets{
      ui_.ShellTreeView,  ui_.FoldersBtn, ui_.TopPanel,  ui_.Splitter, ui_.PanelPart,
      ui_.PanelContainer, ui_.ScrollBar,  ui_.SetColBtn, {},           {}};
  widgets.images = ui_.Img;
  widgets.labels = ui_.Label;
  browser_ = new TDesignBrowser(widgets, systemPalette_, this);

  QString savedFolder;
  LoadSettings(options_.settingsPath, savedFolder, settings_);

  const std::filesystem::path folder =
      ChooseDesignFolder(options_.workFolder, savedFolder.toStdString(), options_.programFolder);
  browser_->ShowFolder(QString::fromStdString(folder.string()));

  systemPalette_.SetFileName((options_.programFolder / "SysColor.dat").string());
  systemPalette_.LoadColors("SysColor", kSystemColors);

  logPath_ = options_.programFolder / "hoopdesk.log";
  platform::RotateLog(logPath_, kLogRotateSize);

  QApplication::setStartDragDistance(kDragThreshold);
  browser_->FoldersBtnClick();
  found_ = std::make_unique<TFoundMachines>(panels_);

  // The docked windows are made right after the main window, as the program entry would.
  layout_ = new TFLayout(systemPalette_, this);
  layout_->SetHost(this);
  trace_ = new TFTrace(panels_, this);
  panels_.SetTraceSink(trace_);
  docking_ = std::make_unique<TDockArea>(ui_.MainPageControl, ui_.MainPanel, ui_.MainPanelSplitter,
                                         std::array<TFDockForm*, 2>{layout_, trace_});
  layout_->hide();
  trace_->hide();

  Bind();
  FormCreate();
}

TFPellora::~TFPellora() {
  ReleaseMachines(true);
  ui_.ListBox->clear();
  settings_.PanelWidth = ui_.Panel1->width();
  StorePlacement();
  SaveSettings(options_.settingsPath, browser_->DesignDir(), settings_);
  if (systemPalette_.SaveColors()) {
    if (IPelSrv* service = panels_.GetService()) service->LoadSysColors();
  }
  found_.reset();
}

void TFPellora::FormCreate() {
  ui_.PageControl->setCurrentWidget(ui_.TabStitch);
  for (int k = 0; k < kPanelSlots; ++k)
    panels_.SetPanelSlot(k, ui_.SendImg[k], ui_.Lbl[k], ui_.SendBtn[k], ui_.SewBtn[k],
                         ui_.ProgBar[k]);

  const std::filesystem::path sendFolder = options_.programFolder / "SendData";
  SetSerialFolder(sendFolder.string() + "/");
  panels_.SetSendFolder(sendFolder.string() + "/");
  PurgeSendFolder(sendFolder, settings_.ExpireDays, settings_.ExpireFiles);

  // The palette is loaded by now: the first page is drawn in it, once.
  browser_->SetUp();
  browser_->ShellTreeViewChange();
  ApplyPlacement();
  if (options_.args.empty()) {
    PostStartup();
  } else {
    QTimer::singleShot(kArgumentDelayMs, this, [this] { PostStartup(); });
  }
}

void TFPellora::PostStartup() {
  QMetaObject::invokeMethod(this, &TFPellora::DeferredStartup, Qt::QueuedConnection);
}
void TFPellora::PostParamFile() {
  QMetaObject::invokeMethod(this, &TFPellora::ReadParamFile, Qt::QueuedConnection);
}
void TFPellora::PostActivate() {
  QMetaObject::invokeMethod(this, &TFPellora::ActivateForHandOver, Qt::QueuedConnection);
}
void TFPellora::PostDockRefresh() {
  QMetaObject::invokeMethod(this, &TFPellora::RefreshLayoutView, Qt::QueuedConnection);
}

void TFPellora::DockFormsAsPages() { docking_->ShowAsPages(); }

void TFPellora::DeferredStartup() {
  if (started_) return;
  started_ = true;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  DockFormsAsPages();
  if (!panels_.ConnectService()) {
    close();
  } else {
    StartMachines(false);
    const std::vector<std::string>& args = options_.args;
    if (!args.empty() && !SuppressesFileLoading(args)) {
      ui_.PageControl->setCurrentWidget(ui_.TabSend);
      ClearLayout(true);
      for (const std::string& arg : args) {
        if (!OpenArgumentFile(arg)) break;
      }
    }
  }
  QGuiApplication::restoreOverrideCursor();
}

void TFPellora::StartMachines(bool search) {
  for (QWidget* w : std::initializer_list<QWidget*>{ui_.SpLbl, ui_.TrackLbl, ui_.TrackBar})
    w->hide();
  panels_.SetSendTabControls(ui_.HScroll, ui_.VScroll, ui_.SendAllBtn, ui_.SpLbl, ui_.TrackLbl,
                             ui_.TrackBar, CheckedRotSpeed(settings_.RotSpeed));
  panels_.AddMachines(SerialSlotEntries(settings_.Ports, CheckedBaudRate(settings_.BaudRate)));
  if (search) {
    std::vector<slp::TFoundMachine> found;
    slp::FindMachinesBySlp(found);
    std::vector<TMachineEntry> entries;
    for (const slp::TFoundMachine& entry : found) entries.push_back(FoundMachineEntry(entry));
    panels_.AddMachines(entries);
  } else {
    schedule_.SetTicksSincePoll(10);
  }
  panels_.ArrangePanels();
  UpdateMachineList(true);
  ui_.FMainColorFrame->Setup(nullptr);
  ui_.Timer->start();
  panels_.RefreshPanelImages();
}

bool TFPellora::OpenArgumentFile(const std::string& text) {
  const TArgumentFile file = SplitArgumentFile(text, panels_.GetMachineCount());
  ClearLayout(true);
  const bool loaded = AddDesignToLayout(QString::fromStdString(file.path), 0, 0);
  if (loaded) ui_.FMainColorFrame->Setup(&layout_->CurrentDesign());
  if (loaded && file.machine != kNoMachine && panels_.IsShown(file.machine))
    panels_.QueueDesign(file.machine, -1, layout_->CurrentDesign());
  return loaded;
}

void TFPellora::ReadParamFile() {
  TParamFile::Read(options_.paramFile, [this](const std::string& arg) { OpenArgumentFile(arg); });
}

void TFPellora::ActivateForHandOver() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  ClearLayout(true);
  ui_.PageControl->setCurrentWidget(ui_.TabSend);
}

void TFPellora::RefreshLayoutView() { layout_->PaintLayout(true, false); }

bool TFPellora::AddDesignToLayout(const QString& path, int x, int y) {
  QString name = path;
  const int index = layout_->LoadFile(name, x, y);
  if (index < 0) return false;
  platform::Bitmap bitmap(kOrderThumbnail, kOrderThumbnail);
  layout_->DrawDesignThumbnail(index, bitmap);
  ui_.ListBox->addItem(MakeOrderItem(ToQImage(bitmap), name).release());
  return true;
}

void TFPellora::ClearLayout(bool all) {
  if (all) {
    DeleteLayoutDesign(-1);
    return;
  }
  const int selected = layout_->SelectedDesign();
  if (selected >= 0) DeleteLayoutDesign(selected);
}

void TFPellora::DeleteLayoutDesign(int index) {
  const int position = layout_->DeleteDesign(index);
  if (index == -1) {
    ui_.ListBox->clear();
  } else if (position >= 0) {
    delete ui_.ListBox->takeItem(position);
  }
  ui_.FMainColorFrame->Setup(&layout_->CurrentDesign());
  ui_.FMainColorFrame->PanelSrcColor()->update();
}

void TFPellora::QueueLayoutDesign(int machine, const TStitchItem& design) {
  panels_.QueueDesign(machine, ui_.FMainColorFrame->GetMachineIndex(), design);
}

void TFPellora::UpdateMachineList(bool reset) {
  QComboBox* list = ui_.FMainColorFrame->MachineCB();
  const int count = panels_.GetMachineCount();
  // Filling the list is no choice of the operator's; nor is the first entry chosen just by being
  // added (a combo box would): with none chosen, showing the Color tab sets the frame up.
  const QSignalBlocker quiet(list);
  const int chosen = list->currentIndex();
  if (reset) list->clear();
  for (int i = list->count(); i < count; ++i) {
    const TMachineRecord* record = panels_.GetMachine(i);
    list->addItem(record != nullptr ? QString::fromStdString(record->address) : QString());
  }
  list->setCurrentIndex(reset ? (list->count() > 0 ? 0 : -1) : chosen);
}

void TFPellora::UpdateTabControls() {
  const int count = panels_.GetMachineCount();
  QWidget* page = ui_.PageControl->currentWidget();
  if (page == ui_.TabSend) {
    ui_.SendAllBtn->setVisible(count > 0);
    ui_.HScroll->setVisible(count > 0);
  } else if (page == ui_.TabColor) {
    TFColorFrame* frame = ui_.FMainColorFrame;
    if (count == 0) {
      frame->ThreadColorChoice()->hide();
    } else if (frame->GetMachineIndex() < 0) {
      frame->ThreadColorChoice()->show();
      frame->MachineCB()->setCurrentIndex(0);
      frame->Setup(&layout_->CurrentDesign());
    }
  }
}

bool TFPellora::IsTrashBox(int x, int y) const {
  const QPoint at = ui_.TrashBtn->mapFrom(this, QPoint(x, y));
  return ui_.TrashBtn->rect().contains(at);
}

void TFPellora::CloseTraceWindows() {
  for (int i = 0; i < kPanelSlots; ++i) trace_->ShowTraceFrame(i, false);
}

int TFPellora::GetQueuedCount(int machine) const { return panels_.QueuedDesignCount(machine); }

bool TFPellora::ReleaseMachines(bool force) {
  if (!panels_.ReleaseIdleMachines(force)) return false;
  ui_.Timer->stop();
  return true;
}

void TFPellora::TimerTimer() { schedule_.Tick(*this); }

void TFPellora::MachineListRebuilt() {
  panels_.ArrangePanels();
  UpdateMachineList(true);
  ui_.FMainColorFrame->Setup(&layout_->CurrentDesign());
  panels_.RefreshPanelImages();
  panels_.ShowMachinesFrom(std::min(panels_.GetFirstVisible(),
                                    TSendTabLayout::LastFirstMachine(panels_.GetMachineCount())));
  UpdateTabControls();
}

void TFPellora::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  if (!event->isAccepted()) return;
  // However the window closes (E&xit, its close box, a signal), the program ends: dialogs and
  // boxes still open would hold it otherwise.
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != this && window->isVisible()) window->close();
  emit closed();
}

bool TFPellora::AnyMachineBusy() {
  for (int i = 0; i < panels_.GetMachineCount(); ++i) {
    if (panels_.IsMachineBusy(i)) return true;
  }
  return false;
}

void TFPellora::EnableRescan(bool enabled) { ui_.MenuTcpip->setEnabled(enabled); }

void TFPellora::SendServiceRequest() { found_->SendServiceRequest(); }

std::optional<bool> TFPellora::ReceiveAndMerge() { return found_->ReceiveAndMerge(); }

void TFPellora::MachinesAdded() {
  panels_.ArrangePanels();
  panels_.RefreshPanelImages();
  UpdateMachineList(false);
  UpdateTabControls();
}

bool TFPellora::MergeFoundMachine(const slp::TFoundMachine& entry) { return found_->Merge(entry); }

void TFPellora::MenuTcpipClick() {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  schedule_.SetRescanning(true);
  std::vector<slp::TFoundMachine> found;
  slp::FindMachinesBySlp(found);
  bool added = false;
  for (const slp::TFoundMachine& entry : found) added = MergeFoundMachine(entry) || added;
  if (added) {
    panels_.ArrangePanels();
    panels_.RefreshPanelImages();
  }
  UpdateMachineList(false);
  schedule_.SetRescanning(false);
  schedule_.AnswerNow();
  UpdateTabControls();
  QGuiApplication::restoreOverrideCursor();
}

void TFPellora::MenuBackColorClick(int tag) {
  const std::uint32_t colour = tag == 0 ? kBackWhite : kBackGray;
  backColor_ = colour;
  (tag == 0 ? ui_.MenuWhite : ui_.MenuGray)->setChecked(true);
  trace_->ChangeBackColor(colour);
  layout_->SetBackColor(colour);
}

void TFPellora::MenuWindowTabClick() { docking_->TabLayout(); }

void TFPellora::MenuWindowTileClick(Qt::Orientation orientation) { docking_->Tile(orientation); }

void TFPellora::TrashBtnClick() { ClearLayout(ui_.TrashBtn->property("tag").toInt() == 1); }

void TFPellora::MenuDelClick(int tag) {
  QAction* item = tag == 1 ? ui_.MenuDelAll : ui_.MenuDel;
  item->setChecked(true);
  ui_.TrashBtn->setProperty("tag", tag);
  ClearLayout(tag == 1);
  ui_.TrashBtn->setToolTip(item->toolTip());
}

int TFPellora::TimerIntervalMs() const { return ui_.Timer->interval(); }
bool TFPellora::TimerActive() const { return ui_.Timer->isActive(); }

void TFPellora::InvalidateLayoutView() { layout_->DrawPanel()->update(); }
std::string TFPellora::LayoutFileName() const {
  return layout_->FileNameEdit()->text().toStdString();
}
bool TFPellora::IsSendTabShown() const { return ui_.PageControl->currentWidget() == ui_.TabSend; }
