// The layout window: the designs about to be sent, loaded from files, combined into one
// design when there are several. This build loads, deletes, reorders, draws and names the
// designs; moving them with the mouse and dragging them onto machine panels come later.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "hoopdesk/trace/fdockform.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"
#include "shared/stitchlist.h"

class QAction;
class QLineEdit;
class QMenu;
class QWidget;

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

  const TColorInfo& systemPalette_;
  TStitch designs_;
  TStitchItem merged_;
  bool dataColors_ = true;
  Canvas* drawPanel_;
  QLineEdit* fileNameEdit_;
  QMenu* popupMenu_;
  QAction* menuDel_;
  QAction* menuDelAll_;
};
