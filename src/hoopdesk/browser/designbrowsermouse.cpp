// TDesignBrowser: the mouse on the thumbnails (selection, dragging onto the layout window,
// the wheel) and the design colours dialog with saving.
#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeView>
#include <QWheelEvent>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/browser/savedesign.h"
#include "hoopdesk/colours/fsetcol.h"
#include "hoopdesk/controls/paintpanel.h"
#include "hoopdesk/layout/flayout.h"
#include "pelsrvapi/messageids.h"
#include "shared/common.h"
#include "shared/stitch.h"
#include "shared/util.h"

bool TDesignBrowser::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  if (watched == w_.panelContainer && type == QEvent::Wheel) {
    imgContainer_.ScrollRows(static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? -1 : 1);
    return true;
  }
  for (int slot = 0; slot < 8; ++slot) {
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

bool TDesignBrowser::OverLayout(QPoint global) const {
  if (layout_ == nullptr || !layout_->isVisible()) return false;
  const QPoint at = layout_->DrawPanel()->mapFromGlobal(global);
  return layout_->IsDrawPanel(at.x(), at.y());
}

void TDesignBrowser::ImgMouseMove(int slot, QPoint global) {
  QWidget* top = w_.panelPart->window();
  QLabel* image = w_.images[slot];
  if (dragImage_ == nullptr) {
    dragImage_ = new QLabel(top);
    dragImage_->setObjectName("ThumbDragImage");
    dragImage_->setPixmap(image->pixmap());
    dragImage_->resize(image->size());
    dragImage_->setAttribute(Qt::WA_TransparentForMouseEvents);
    dragImage_->setWindowOpacity(0.7);
    dragImage_->show();
    dragImage_->raise();
    QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
    w_.panelContainer->update();
  }
  dragImage_->move(top->mapFromGlobal(global) - QPoint(image->width() / 2, image->height() / 2));
  QGuiApplication::changeOverrideCursor(OverLayout(global) ? Qt::DragCopyCursor
                                                           : Qt::ForbiddenCursor);
}

void TDesignBrowser::EndDrag() {
  delete dragImage_;
  dragImage_ = nullptr;
  QGuiApplication::restoreOverrideCursor();
}

void TDesignBrowser::ImgMouseUp(int slot, QPoint global) {
  const int idx = w_.scrollBar->value() * 2 + slot;
  if (dragImage_ != nullptr) {
    EndDrag();
    if (OverLayout(global) && idx < fileList_.size() && onAddDesign) {
      const QPoint at = layout_->DrawPanel()->mapFromGlobal(global);
      const TPoint p = UnzoomPoint(layout_->Zoom(), at.x(), at.y());
      onAddDesign(designDir_ + '/' + fileList_[idx], p.x, p.y);
    }
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
  selectedThumb_ = w_.scrollBar->value() * 2 + slot;
  w_.panelContainer->update();
  SetColBtnClick();
}

void TDesignBrowser::SetColBtnClick() {
  if (selectedThumb_ < 0 || selectedThumb_ >= fileList_.size()) return;
  const QString listName = fileList_[selectedThumb_];
  const QString path = designDir_ + '/' + listName;
  TStitchItem design;
  TColorInfo palette = systemPalette_;
  if (!design.Load(path.toStdString(), palette)) return;

  const bool save = runColorDialog ? runColorDialog(design, palette) : [&] {
    TFSetCol dialog(w_.panelPart->window(), 0, &palette, &design, TColorFrameMode::Recolour,
                    layout_ != nullptr ? layout_->BackColor() : TFSetCol::kWhite);
    return dialog.exec() == TFSetCol::kSaveResult;
  }();
  if (!save) return;
  const QString suggested = QFileInfo(listName).completeBaseName();
  const QString chosen =
      chooseSaveFile ? chooseSaveFile(designDir_, suggested)
                     : QFileDialog::getSaveFileName(w_.panelPart->window(), QString(),
                                                    designDir_ + '/' + suggested,
                                                    "Stitch Files (*.10o *.00o *.DST *.DSB *.DSZ)");
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
  if (folder != QFileInfo(designDir_).absoluteFilePath()) {
    ShowFolder(folder);
  } else {
    thumbnails_.Forget(base + ".10o");
    FolderChanged();
  }
  const int pos = fileList_.indexOf(QFileInfo(base).fileName() + ".10o");
  if (pos >= 0) imgContainer_.MakeVisible(pos);
}
