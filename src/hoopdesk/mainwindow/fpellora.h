// TFPellora: Hoopdesk's main window. It docks the layout and trace windows on its left, shows
// the Stitch, Color, Order and Send tabs on its right, and drives the machines through the panel
// manager: the deferred start-up, the 250 ms poll and discovery timer, the hand-over of a second
// start's files, and the handlers of its menus, tabs and trash button.
#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hoopdesk/controls/colorref.h"
#include "hoopdesk/layout/layouthost.h"
#include "hoopdesk/mainwindow/foundmachines.h"
#include "hoopdesk/mainwindow/fpelloraui.h"
#include "hoopdesk/mainwindow/pollschedule.h"
#include "hoopdesk/mainwindow/queueddrag.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/settings/settings.h"
#include "shared/colorinfo.h"

class QLabel;
class TDesignBrowser;
class TDockArea;
class TDragLabel;
class TFDockForm;
class TFLayout;
class TFTrace;
class TOrderList;

// What the window takes from the program around it; tests give their own.
struct TPelloraOptions {
  QString settingsPath;                 // the settings store
  std::filesystem::path programFolder;  // SysColor.dat, SendData, the log
  std::filesystem::path workFolder;     // "PEL_design"
  std::filesystem::path paramFile;      // "param.txt"
  std::vector<std::string> args;        // the command line, without the program
  TServiceConnector connector;          // reaches PelService
  TTickClock clock = SystemTickCount;
};

class TFPellora : public QMainWindow, public TPanelHost, public TLayoutHost, private IPollHost {
  Q_OBJECT
 public:
  explicit TFPellora(TPelloraOptions options, QWidget* parent = nullptr);
  ~TFPellora() override;

  // The posted window messages: each queues its handler on the window's thread.
  void PostStartup();
  void PostParamFile();
  void PostActivate();
  void PostDockRefresh();

  void DeferredStartup();
  void StartMachines(bool search);
  bool OpenArgumentFile(const std::string& text);
  void ReadParamFile();
  void ActivateForHandOver();
  void RefreshLayoutView();

  void ClearLayout(bool all);
  void DeleteLayoutDesign(int index) override;
  void QueueLayoutDesign(int machine, const TStitchItem& design) override;
  void UpdateMachineList(bool reset);
  void UpdateTabControls();
  bool IsTrashBox(int x, int y) const override;
  void CloseTraceWindows();
  int GetQueuedCount(int machine) const;
  bool ReleaseMachines(bool force);
  bool AddDesignToLayout(const QString& path, int x, int y);
  bool MergeFoundMachine(const slp::TFoundMachine& entry);
  void DockFormsAsPages();

  // The handlers of the form's events.
  void TimerTimer();
  void MenuTcpipClick();
  void MenuColorSetClick();
  void MenuPortClick();
  void MenuBackColorClick(int tag);
  void MenuWindowTabClick();
  void MenuWindowTileClick(Qt::Orientation orientation);
  void TrashBtnClick();
  void MenuDelClick(int tag);
  void TrackBarChange(int position);
  void SendAllBtnClick();
  void SendBtnClick(int slot);
  void SewBtnClick(int slot);
  void SendImgDblClick(int slot, QPoint point);

  const TFPelloraUi& Ui() const { return ui_; }
  TPanelManager& Panels() { return panels_; }
  TFLayout& Layout() { return *layout_; }
  TFTrace& Trace() { return *trace_; }
  TDesignBrowser& Browser() { return *browser_; }
  const TSettings& Settings() const { return settings_; }
  TPollSchedule& Schedule() { return schedule_; }
  int TimerIntervalMs() const;
  bool TimerActive() const;
  std::uint32_t BackColor() const { return backColor_; }

  // TPanelHost: the layout window, the page control, the machine information dialog
  void InvalidateLayoutView() override;
  std::string LayoutFileName() const override;
  bool IsSendTabShown() const override;
  std::optional<TCookie> ShowMachineInfo(const TMachineInfoInput& machine) override;
  void MachineListRebuilt() override;

  // TLayoutHost
  QWidget* DragSpace() override { return this; }
  void SetTrashActive(bool active) override;
  int MachineAtFormPoint(int x, int y) const override;
  void SelectOrderRow(int position) override;

 signals:
  // The window closed: the program ends, also from inside dialogs that were open.
  void closed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // IPollHost
  void PollMachines(std::int32_t pollCount) override;
  bool AnyMachineBusy() override;
  void EnableRescan(bool enabled) override;
  void SendServiceRequest() override;
  std::optional<bool> ReceiveAndMerge() override;
  void MachinesAdded() override;

  void FormCreate();
  void Bind();
  void BindBrowser();
  void ApplyPlacement();
  void StorePlacement();
  void ListBoxDragDrop(int source, int target);
  void TabSendResize();
  void BindSendTab();
  bool SendImgMouse(int slot, QEvent* event);
  bool SewBtnMouse(int slot, QEvent* event);
  int QueuedDesignAt(int slot, QPoint point);
  void EndQueuedDrag(bool overTrash);

  TPelloraOptions options_;
  TFPelloraUi ui_;
  TPanelManager panels_;
  TSettings settings_;
  TColorInfo systemPalette_;
  std::filesystem::path logPath_;
  std::unique_ptr<TFoundMachines> found_;
  TPollSchedule schedule_;
  TFLayout* layout_ = nullptr;
  TFTrace* trace_ = nullptr;
  std::unique_ptr<TDockArea> docking_;  // where layout_ and trace_ are docked
  TDesignBrowser* browser_ = nullptr;
  std::optional<TQueuedDrag> queuedDrag_;
  std::unique_ptr<TDragLabel> dragLabel_;  // while a queued design is dragged
  std::unique_ptr<TOrderList> orderList_;
  bool started_ = false;
  // The background the layout, trace and design colours windows paint on (the Back Color menu).
  std::uint32_t backColor_ = kBackWhite;
};
