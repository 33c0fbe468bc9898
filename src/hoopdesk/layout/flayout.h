// The layout window: the designs about to be sent, loaded from files, combined into one
// design when there are several. The operator selects a design with the mouse and drags its
// outline: within the layout it moves the design, onto a machine panel it queues the current
// design there, onto the trash button it removes the design.
#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "hoopdesk/docking/fdockform.h"
#include "hoopdesk/layout/layoutdrag.h"
#include "hoopdesk/layout/layouthost.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"
#include "shared/stitchlist.h"

class QAction;
class QLineEdit;
class QMenu;
class QWidget;
class TDragOutline;

class TFLayout : public TFDockForm {
  Q_OBJECT
 public:
  // systemPalette stays the caller's and outlives the window.
  TFLayout(const TColorInfo& systemPalette, QWidget* parent = nullptr);
  ~TFLayout() override;

  // Loads a design at (x, y); path becomes the file's title. The index, or -1 after an error
  // box.
  int LoadFile(QString& path, int x, int y);
  // Removes design i, all designs for -1; the display position it had, or -1.
  int DeleteDesign(int i);
  void MoveDesignOrder(int from, int to);
  TStitchItem& CurrentDesign();
  int DesignCount() const { return designs_.GetCount(); }
  int SelectedDesign() const { return designs_.GetSelected(); }
  // The design at display position `position`, -1 for none.
  int DesignAtOrder(int position) const { return designs_.GetOrderAt(position); }
  void SelectDesign(int i) { designs_.SetSelected(i); }
  int Zoom() const { return designs_.GetZoom(false); }
  void DrawDesignThumbnail(int i, platform::Bitmap& bitmap);

  void UpdateColorFrame();
  void SetDataColors(bool dataColors);
  void PaintLayout(bool full, bool refit);
  void SetBackColor(std::uint32_t colour);
  bool IsDrawPanel(int x, int y) const;
  QWidget* DrawPanel() const;
  QLineEdit* FileNameEdit() const { return fileNameEdit_; }
  const TStitch& Designs() const { return designs_; }
  void SetHost(TLayoutHost* host) { host_ = host; }

  // The drawing panel's mouse handlers; points in the panel's coordinates.
  void DrawPanelMouseDown(Qt::MouseButton button, QPoint at);
  void DrawPanelMouseMove(Qt::MouseButtons buttons, QPoint at);
  void DrawPanelMouseUp(Qt::MouseButton button, QPoint at);

  // Set by the main window: hands the current design to its colour frame; runs its delete
  // command for a popup item (tag 0 selected design, tag 1 all); the palette of the machine
  // chosen in the colour frame (null for none).
  std::function<void(TStitchItem&)> onUpdateColorFrame;
  std::function<void(int tag)> onMenuDel;
  std::function<const TColorInfo*()> machinePalette;

 private:
  class Canvas;
  void RebuildMerged();
  void PopupMenuPopup();
  void OnBackColorItem(std::uint32_t colour) override { SetBackColor(colour); }
  // The selected design's view rectangle moved as far as the pointer went, in the drag space's
  // coordinates.
  QRect DragOutlineRect(QPoint at) const;
  void EndDragOutline();

  const TColorInfo& systemPalette_;
  TStitch designs_;
  TStitchItem merged_;
  bool dataColors_ = true;
  TLayoutHost* host_ = nullptr;
  TLayoutDrag drag_;
  // On the drag space while the outline is shown. Made after this window, it goes before the
  // drag space would delete it.
  std::unique_ptr<TDragOutline> dragOutline_;
  Canvas* drawPanel_;
  QLineEdit* fileNameEdit_;
  QMenu* popupMenu_;
  QAction* menuDel_;
  QAction* menuDelAll_;
};
