// The main window's components as the form lays them out, each named as the form names it.
// Built once by Setup; the window's behaviour lives in TFPellora.
#pragma once

#include <array>

#include "hoopdesk/browser/thumbnailpage.h"
#include "hoopdesk/machines/machinelimits.h"

class QAction;
class QActionGroup;
class QLabel;
class QListWidget;
class QMainWindow;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QSlider;
class QSplitter;
class QTabWidget;
class QTimer;
class QTreeView;
class QWidget;
class TAniButton;
class TDropDownButton;
class TFColorFrame;
class TLiftButton;
class TPaintPanel;

struct TFPelloraUi {
  static constexpr int kThumbnails = TThumbnailPage::kSlots;

  void Setup(QMainWindow* form);

  QMenuBar* MainMenu = nullptr;
  QAction* MenuExit = nullptr;
  QAction* MenuColorSet = nullptr;
  QAction* MenuWhite = nullptr;
  QAction* MenuGray = nullptr;
  QAction* MenuRecent = nullptr;
  QAction* MenuPort = nullptr;
  QAction* MenuTcpip = nullptr;
  QAction* MenuWindowTab = nullptr;
  QAction* MenuWindowTileH = nullptr;
  QAction* MenuWindowTileV = nullptr;
  QAction* MenuAbout = nullptr;

  QTabWidget* MainPageControl = nullptr;
  QWidget* MainPanel = nullptr;
  QSplitter* MainPanelSplitter = nullptr;
  QSplitter* SplitterV = nullptr;
  QWidget* Panel1 = nullptr;
  QTabWidget* PageControl = nullptr;

  QWidget* TabStitch = nullptr;
  QWidget* TopPanel = nullptr;
  TLiftButton* FoldersBtn = nullptr;
  QTreeView* ShellTreeView = nullptr;
  QSplitter* Splitter = nullptr;
  QWidget* PanelPart = nullptr;
  TPaintPanel* PanelContainer = nullptr;
  std::array<QLabel*, kThumbnails> Img{};
  std::array<QLabel*, kThumbnails> Label{};
  QScrollBar* ScrollBar = nullptr;
  QPushButton* SetColBtn = nullptr;

  QWidget* TabColor = nullptr;
  TFColorFrame* FMainColorFrame = nullptr;

  QWidget* TabNeedle = nullptr;
  QListWidget* ListBox = nullptr;

  QWidget* TabSend = nullptr;
  std::array<QLabel*, kPanelSlots> SendImg{};
  std::array<QLabel*, kPanelSlots> SewBtn{};
  std::array<TAniButton*, kPanelSlots> SendBtn{};
  std::array<QProgressBar*, kPanelSlots> ProgBar{};
  std::array<QLabel*, kPanelSlots> Lbl{};
  QPushButton* SendAllBtn = nullptr;
  QScrollBar* HScroll = nullptr;
  QScrollBar* VScroll = nullptr;
  QLabel* SpLbl = nullptr;
  QLabel* TrackLbl = nullptr;
  QSlider* TrackBar = nullptr;

  QWidget* Panel2 = nullptr;
  TDropDownButton* TrashBtn = nullptr;
  QMenu* TrashPopupMenu = nullptr;
  QAction* MenuDel = nullptr;
  QAction* MenuDelAll = nullptr;

  QTimer* Timer = nullptr;
};
