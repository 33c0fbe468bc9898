// TDesignBrowser: the mouse on the thumbnails (selection, dragging onto the layout window,
// the wheel) and the design colours dialog with saving.
#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeView>
#include <QWheelEvent>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/browser/savedesign.h"
#include "hoopdesk/controls/draglabel.h"
#include "hoopdesk/controls/paintpanel.h"
#include "pelsrvapi/messageids.h"
#include "shared/stitch.h"
#include "shared/util.h"

bool TDesignBrowser::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  // The wheel turns the page a row a step, over the bar as over the thumbnails.
  if ((watched == w_.panelContainer || watched == w_.scrollBar) && type == QEvent::Wheel) {
    imgContainer_.Wheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
    return true;
  }
  for (int slot = 0; slot < TThumbnailPage::kSlots; ++slot) {
    if (watched != w_.images[slot]) continue;
    if (type == QEvent::MouseButtonPress) {
      event->accept();  // the image takes the mouse, so the release comes back to it
      return true;
    }
    if (type == QEvent::MouseMove) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->buttons() & Qt::LeftButton) ImgMouseMove(slot, mouse->globalPosition().toPoint());
      return true;
    }
    if (type == QEvent::MouseButtonRelease) {
      ImgMouseUp(slot, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
      return true;
    }
    if (type == QEvent::MouseButtonDblClick) {
      ImgDblClick(slot);
      return true;
    }
    return false;
  }
  return QObject::eventFilter(watched, event);
}

std::optional<TPoint> TDesignBrowser::LayoutDropPoint(QPoint global) const {
  return layoutDropPoint ? layoutDropPoint(global) : std::nullopt;
}

void TDesignBrowser::ImgMouseMove(int slot, QPoint global) {
  if (drag_ == nullptr) {
    drag_ = std::make_unique<TDragLabel>(w_.panelPart->window(), w_.images[slot]->pixmap(),
                                         "ThumbDragImage", Qt::DragCopyCursor);
    w_.panelContainer->update();
  }
  drag_->Follow(global);
  drag_->SetCanDrop(LayoutDropPoint(global).has_value());
}

void TDesignBrowser::ImgMouseUp(int slot, QPoint global) {
  const TThumbnailPage page = ShownPage();
  const int idx = page.FileIndex(slot);
  if (drag_ != nullptr) {
    drag_.reset();
    const std::optional<TPoint> at = LayoutDropPoint(global);
    if (at && page.Shown(slot) && onAddDesign)
      onAddDesign(designDir_ + '/' + fileList_[idx], at->x, at->y);
  }
  SelectThumb(idx);
}

void TDesignBrowser::SelectThumb(int index) {
  if (index != selectedThumb_) {
    selectedThumb_ = index;
    w_.panelContainer->update();
  }
  w_.setColBtn->setEnabled(selectedThumb_ >= 0 && selectedThumb_ < fileList_.size());
}

void TDesignBrowser::ImgDblClick(int slot) {
  selectedThumb_ = ShownPage().FileIndex(slot);
  w_.panelContainer->update();
  SetColBtnClick();
}

QString TDesignBrowser::AskSaveFile(const QString& suggested) const {
  QFileDialog dialog(w_.panelPart->window(), QString(), designDir_,
                     "Stitch Files (*.10o *.00o *.DST *.DSB *.DSZ)");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("10o");  // to a name typed without an extension
  dialog.selectFile(suggested);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().constFirst();
}

void TDesignBrowser::SetColBtnClick() {
  if (selectedThumb_ < 0 || selectedThumb_ >= fileList_.size()) return;
  const QString listName = fileList_[selectedThumb_];
  const QString path = designDir_ + '/' + listName;
  TStitchItem design;
  TColorInfo palette = systemPalette_;
  if (!design.Load(path.toStdString(), palette)) return;

  if (!runColorDialog || !runColorDialog(design, palette)) return;
  const QString suggested = QFileInfo(listName).completeBaseName();
  const QString chosen =
      chooseSaveFile ? chooseSaveFile(designDir_, suggested) : AskSaveFile(suggested);
  if (chosen.isEmpty()) return;
  systemPalette_ = palette;

  const QFileInfo chosenInfo(chosen);
  const QString base = chosenInfo.path() + '/' + chosenInfo.completeBaseName();
  if (!SaveDesignAs(base, path, design)) {
    ShowMessageBox(true, kMsgSaveFailed, base.toStdString());
    return;
  }
  // Show the saved design: in its folder, with its row on the page.
  const QString folder = chosenInfo.absolutePath();
  thumbnails_.Forget(base + ".10o");
  if (folder != QFileInfo(designDir_).absoluteFilePath()) {
    ShowFolder(folder);
    // A folder the tree cannot show leaves the list of the folder shown: no row of it is meant.
    if (folder != QFileInfo(designDir_).absoluteFilePath()) return;
  } else if (ChooseSaveKind(base, path) == TSaveKind::ControlOnly) {
    // The design's own file got new colours: the list is the same and the design stays
    // selected; only its picture is drawn again.
    RefreshPage();
  } else {
    FolderChanged();
  }
  const int pos = fileList_.indexOf(QFileInfo(base).fileName() + ".10o");
  if (pos >= 0) imgContainer_.MakeVisible(pos);
}
