// TFPellora: the browser's ties to the rest of the window. The browser knows neither the layout
// window nor the colour dialogs; the main window answers for them here.
#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/colours/fsetcol.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/mainwindow/fpellora.h"
#include "shared/common.h"

void TFPellora::BindBrowser() {
  browser_->updateTabControls = [this] { UpdateTabControls(); };
  browser_->onDirectoryChanged = [this](const QString& dir) {
    if (IPelSrv* service = panels_.GetService()) service->SetDirectory(dir.toStdString());
  };
  browser_->layoutDropPoint = [this](QPoint global) -> std::optional<TPoint> {
    if (!layout_->isVisible()) return std::nullopt;
    const QPoint at = layout_->DrawPanel()->mapFromGlobal(global);
    if (!layout_->IsDrawPanel(at.x(), at.y())) return std::nullopt;
    return UnzoomPoint(layout_->Zoom(), at.x(), at.y());
  };
  browser_->onAddDesign = [this](const QString& path, int x, int y) {
    const bool added = AddDesignToLayout(path, x, y);
    if (added) ui_.FMainColorFrame->Setup(&layout_->CurrentDesign());
    return added;
  };
  browser_->runColorDialog = [this](TStitchItem& design, TColorInfo& palette) {
    TFSetCol dialog(this, 0, &palette, &design, TColorFrameMode::Recolour, layout_->BackColor());
    return dialog.exec() == TFSetCol::kSaveResult;
  };
}
