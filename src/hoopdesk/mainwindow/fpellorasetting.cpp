// The main window's setting dialogs that work on the machines: the colour settings and the
// serial port scan.
#include <QTabWidget>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/colours/fcolorsetting.h"
#include "hoopdesk/dialogs/fport.h"
#include "hoopdesk/dialogs/porthostfunctions.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/mainwindow/panelcolorhost.h"

void TFPellora::MenuColorSetClick() {
  const int machine = ui_.FMainColorFrame->GetMachineIndex();
  TPanelColorHost host(panels_);
  TFColorSetting dialog(this, machine >= 0 ? machine : 0, systemPalette_, host);
  dialog.exec();
  // Thumbnails drawn in colours of the old table are drawn anew.
  browser_->RefreshPage();
  if (!dialog.Saved()) return;
  if (ui_.PageControl->currentWidget() == ui_.TabColor) {
    ui_.FMainColorFrame->PanelDstColor()->update();
    ui_.FMainColorFrame->PanelSrcColor()->update();
  }
  RefreshLayoutView();
  if (!ui_.FMainColorFrame->IsDataMode()) layout_->UpdateColorFrame();
}

void TFPellora::MenuPortClick() {
  TPortHostFunctions host;
  host.machineCount = [this] { return panels_.GetMachineCount(); };
  host.queuedCount = [this](int machine) { return GetQueuedCount(machine); };
  host.releaseMachines = [this](bool force) { return ReleaseMachines(force); };
  host.startMachines = [this](bool search) { StartMachines(search); };
  host.closeTraceWindows = [this] { CloseTraceWindows(); };
  host.tabSendResize = [this] { TabSendResize(); };
  TFPort dialog(this, host, settings_);
  dialog.exec();
}
