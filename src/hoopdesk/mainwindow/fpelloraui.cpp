#include "hoopdesk/mainwindow/fpelloraui.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/controls/anibutton.h"
#include "hoopdesk/controls/dropdownbutton.h"
#include "hoopdesk/controls/liftbutton.h"
#include "hoopdesk/controls/paintpanel.h"
#include "hoopdesk/controls/panelimage.h"
#include "hoopdesk/panels/sendtablayout.h"

namespace {

template <class W, class... A>
W* Make(const char* name, A&&... args) {
  auto* w = new W(std::forward<A>(args)...);
  w->setObjectName(name);
  return w;
}

QAction* Item(QMenu* menu, const char* name, const char* caption) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  return a;
}

// The trash can on the trash button (our own drawing): the can, and the same can with its
// lid lifted that the button shows while hovered or while something is dragged onto it.
QPixmap TrashPicture(bool open) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 2));
  p.setBrush(open ? QColor(225, 225, 235) : QColor(200, 200, 205));
  p.drawRect(8, 9, 16, 19);
  for (int x : {12, 16, 20}) p.drawLine(x, 12, x, 25);
  if (open) p.translate(0, -3);
  p.drawLine(5, 7, 27, 7);
  p.drawRect(13, 3, 6, 4);
  return pixmap;
}

}  // namespace

void TFPelloraUi::Setup(QMainWindow* form) {
  form->setObjectName("FPellora");
  form->setWindowTitle("Pellora");

  MainMenu = Make<QMenuBar>("MainMenu", form);
  form->setMenuBar(MainMenu);
  QMenu* file = MainMenu->addMenu("&File");
  file->setObjectName("MenuFile");
  MenuExit = Item(file, "MenuExit", "E&xit");
  QMenu* setting = MainMenu->addMenu("&Setting");
  setting->setObjectName("MenuSetting");
  MenuColorSet = Item(setting, "MenuColorSet", "&Stitch && Machine Color ...");
  QMenu* back = setting->addMenu("Back &Color");
  back->setObjectName("MenuBackColor");
  MenuWhite = Item(back, "MenuWhite", "&White");
  MenuGray = Item(back, "MenuGray", "&Gray");
  MenuGray->setData(1);
  MenuWhite->setData(0);
  auto* backGroup = new QActionGroup(form);
  for (QAction* a : {MenuWhite, MenuGray}) {
    a->setCheckable(true);
    backGroup->addAction(a);
  }
  MenuWhite->setChecked(true);
  MenuRecent = Item(setting, "MenuRecent", "&Recent Files ...");
  MenuPort = Item(setting, "MenuPort", "Serial &Port ...");
  MenuTcpip = Item(setting, "MenuTcpip", "Rescan &TCP/IP port");
  QMenu* window = MainMenu->addMenu("&Window");
  window->setObjectName("MenuWindow");
  MenuWindowTab = Item(window, "MenuWindowTab", "&Tab Layout");
  MenuWindowTileH = Item(window, "MenuWindowTileH", "&Horizontal Tile");
  MenuWindowTileV = Item(window, "MenuWindowTileV", "&Vertical Tile");
  QMenu* help = MainMenu->addMenu("&Help");
  help->setObjectName("MenuHelp");
  MenuAbout = Item(help, "MenuAbout", "&About ...");

  // Left part: the docked windows as pages, or tiled in MainPanel.
  auto* left = new QWidget;
  left->setMinimumWidth(307);
  MainPageControl = Make<QTabWidget>("MainPageControl", left);
  MainPanel = Make<QWidget>("MainPanel", left);
  MainPanelSplitter = Make<QSplitter>("MainPanelSplitter", MainPanel);
  auto* panelColumn = new QVBoxLayout(MainPanel);
  panelColumn->setContentsMargins(0, 0, 0, 0);
  panelColumn->addWidget(MainPanelSplitter);
  MainPanel->hide();
  auto* leftColumn = new QVBoxLayout(left);
  leftColumn->setContentsMargins(0, 0, 0, 0);
  leftColumn->addWidget(MainPageControl);
  leftColumn->addWidget(MainPanel);

  Panel1 = Make<QWidget>("Panel1");
  PageControl = Make<QTabWidget>("PageControl", Panel1);
  PageControl->setDocumentMode(false);
  PageControl->tabBar()->setExpanding(true);

  // Stitch tab: folder button, folder tree, thumbnails.
  TabStitch = Make<QWidget>("TabStitch");
  TopPanel = Make<QWidget>("TopPanel", TabStitch);
  FoldersBtn = Make<TLiftButton>("FoldersBtn", TopPanel);
  FoldersBtn->SetLiftMode(TLiftMode::lmUp);
  FoldersBtn->setToolButtonStyle(Qt::ToolButtonTextOnly);
  FoldersBtn->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  auto* topRow = new QHBoxLayout(TopPanel);
  topRow->setContentsMargins(2, 2, 2, 2);
  topRow->addWidget(FoldersBtn);
  Splitter = Make<QSplitter>("Splitter", Qt::Vertical, TabStitch);
  ShellTreeView = Make<QTreeView>("ShellTreeView");
  PanelPart = Make<QWidget>("PanelPart");
  PanelContainer = Make<TPaintPanel>("PanelContainer", PanelPart);
  PanelContainer->SetBevelOuter(TPaintPanel::TBevel::bvLowered);
  PanelContainer->setFixedSize(275, 533);
  for (int i = 0; i < kThumbnails; ++i) {
    Img[i] = Make<QLabel>(qPrintable(QString("Img%1").arg(i)), PanelContainer);
    Img[i]->setGeometry(TThumbnailPage::ImageRect(i));
    Img[i]->setProperty("tag", i);
    Label[i] = Make<QLabel>(qPrintable(QString("Label%1").arg(i)), PanelContainer);
    Label[i]->setGeometry(TThumbnailPage::LabelRect(i));
    Label[i]->setAlignment(Qt::AlignCenter);
    Img[i]->hide();
    Label[i]->hide();
  }
  ScrollBar = Make<QScrollBar>("ScrollBar", Qt::Vertical, PanelContainer);
  ScrollBar->setGeometry(275 - 20, 0, 20, 533);
  ScrollBar->setPageStep(3);
  ScrollBar->setEnabled(false);
  SetColBtn = Make<QPushButton>("SetColBtn", "&Color", PanelPart);
  SetColBtn->setEnabled(false);
  Splitter->addWidget(ShellTreeView);
  Splitter->addWidget(PanelPart);
  Splitter->setCollapsible(1, false);
  auto* stitchColumn = new QVBoxLayout(TabStitch);
  stitchColumn->setContentsMargins(0, 0, 0, 0);
  stitchColumn->setSpacing(0);
  stitchColumn->addWidget(TopPanel);
  stitchColumn->addWidget(Splitter, 1);
  PageControl->addTab(TabStitch, "Stitch");

  TabColor = Make<QWidget>("TabColor");
  FMainColorFrame = Make<TFColorFrame>("FMainColorFrame", TabColor);
  auto* colorColumn = new QVBoxLayout(TabColor);
  colorColumn->setContentsMargins(0, 0, 0, 0);
  colorColumn->addWidget(FMainColorFrame);
  PageControl->addTab(TabColor, "Color");

  TabNeedle = Make<QWidget>("TabNeedle");
  ListBox = Make<QListWidget>("ListBox", TabNeedle);
  ListBox->setUniformItemSizes(true);  // rows are drawn and moved by TOrderList
  auto* needleColumn = new QVBoxLayout(TabNeedle);
  needleColumn->setContentsMargins(0, 0, 0, 0);
  needleColumn->addWidget(ListBox);
  PageControl->addTab(TabNeedle, "Order");

  // Send tab: six panel slots placed by TFPellora::TabSendResize and the panel manager.
  TabSend = Make<QWidget>("TabSend");
  for (int k = 0; k < kPanelSlots; ++k) {
    const QString n = QString::number(k);
    SendImg[k] = Make<TPanelImage>(qPrintable("SendImg" + n), TabSend);
    SendImg[k]->setGeometry(TSendTabLayout::FormImage(k));
    SewBtn[k] = Make<QLabel>(qPrintable("SewBtn" + n), TabSend);
    SewBtn[k]->resize(TSendTabLayout::kSewPictureSide, TSendTabLayout::kSewPictureSide);
    SendBtn[k] = Make<TAniButton>(qPrintable("SendBtn" + n), TabSend);
    SendBtn[k]->resize(36, 37);
    SendBtn[k]->setEnabled(false);
    ProgBar[k] = Make<QProgressBar>(qPrintable("ProgBar" + n), TabSend);
    ProgBar[k]->setRange(0, 100);
    ProgBar[k]->setValue(0);
    ProgBar[k]->setTextVisible(false);
    ProgBar[k]->resize(TSendTabLayout::kSlotColumn, 16);
    Lbl[k] = Make<QLabel>(qPrintable("Lbl" + n), QString::number(k + 1), TabSend);
    Lbl[k]->resize(38, 15);
    Lbl[k]->setAlignment(Qt::AlignCenter);
    for (QWidget* w :
         std::initializer_list<QWidget*>{SendImg[k], SewBtn[k], SendBtn[k], ProgBar[k], Lbl[k]}) {
      w->setProperty("tag", k);
      w->hide();
    }
  }
  SendAllBtn = Make<QPushButton>("SendAllBtn", "&Send All", TabSend);
  HScroll = Make<QScrollBar>("HScroll", Qt::Horizontal, TabSend);
  HScroll->setEnabled(false);  // until a queue is longer than the panels are wide
  VScroll = Make<QScrollBar>("VScroll", Qt::Vertical, TabSend);
  VScroll->setPageStep(kPanelSlots);
  VScroll->hide();
  SpLbl = Make<QLabel>("SpLbl", "Speed:", TabSend);
  TrackLbl = Make<QLabel>("TrackLbl", "600", TabSend);
  TrackBar = Make<QSlider>("TrackBar", Qt::Horizontal, TabSend);
  TrackBar->setRange(120, 1200);
  TrackBar->setValue(600);
  TrackBar->setSingleStep(10);
  TrackBar->setPageStep(100);
  TrackBar->setTickInterval(100);
  TrackBar->setTickPosition(QSlider::TicksBelow);
  PageControl->addTab(TabSend, "Send");

  Panel2 = Make<QWidget>("Panel2", Panel1);
  TrashBtn = Make<TDropDownButton>("TrashBtn", Panel2);
  TrashBtn->SetImages({TrashPicture(false), TrashPicture(true)});
  TrashBtn->SetImageIndex(0);
  TrashBtn->setFixedSize(32 + 12 + TDropDownButton::kArrowWidth, 32 + 10);
  TrashBtn->setToolTip("Delete");
  TrashBtn->setProperty("tag", 0);
  TrashPopupMenu = Make<QMenu>("TrashPopupMenu", TrashBtn);
  MenuDel = Item(TrashPopupMenu, "MenuDel", "&Delete");
  MenuDel->setData(0);
  MenuDel->setToolTip("Delete");
  MenuDelAll = Item(TrashPopupMenu, "MenuDelAll", "Delete &All");
  MenuDelAll->setData(1);
  MenuDelAll->setToolTip("Delete All");
  auto* trashGroup = new QActionGroup(TrashPopupMenu);
  for (QAction* a : {MenuDel, MenuDelAll}) {
    a->setCheckable(true);
    trashGroup->addAction(a);
  }
  MenuDel->setChecked(true);
  TrashBtn->SetDropDownMenu(TrashPopupMenu);
  auto* trashRow = new QHBoxLayout(Panel2);
  trashRow->setContentsMargins(4, 4, 4, 4);
  trashRow->addWidget(TrashBtn);
  trashRow->addStretch();

  auto* rightColumn = new QVBoxLayout(Panel1);
  rightColumn->setContentsMargins(0, 0, 0, 0);
  rightColumn->addWidget(PageControl, 1);
  rightColumn->addWidget(Panel2);

  SplitterV = Make<QSplitter>("SplitterV", Qt::Horizontal);
  SplitterV->addWidget(left);
  SplitterV->addWidget(Panel1);
  SplitterV->setCollapsible(0, false);
  SplitterV->setStretchFactor(0, 1);
  SplitterV->setStretchFactor(1, 0);
  form->setCentralWidget(SplitterV);

  Timer = Make<QTimer>("Timer", form);
  Timer->setInterval(250);
}
