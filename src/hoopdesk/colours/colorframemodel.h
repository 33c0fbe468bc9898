// The rules of the colour frame, apart from its widgets: the design and the palette it binds,
// the marked block and the selected palette entry, and what a press, a drag, a drop, an arrow
// key, a check box and a change of machine do to them. The frame turns the mouse, the keys and
// its controls into these calls and repaints.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "hoopdesk/colours/colormappings.h"
#include "platform/wintypes.h"
#include "shared/stitch.h"

class TColorInfo;

class TColorFrameModel {
 public:
  // The palette of machine i, null when there is none.
  using TMachinePalette = std::function<TColorInfo*(int)>;

  // What a change of the palette's selectable entries asks to be shown again.
  struct TRefresh {
    bool names = false;   // the block names show palette labels: refresh them
    bool layout = false;  // thread colours are shown: redraw the layout window
    friend bool operator==(const TRefresh&, const TRefresh&) = default;
  };

  // `machinePalette` is borrowed: the owner may set it at any time.
  explicit TColorFrameModel(const TMachinePalette& machinePalette)
      : machinePalette_(machinePalette) {}

  // The main window's binding: `design` (not owned; null for none) against a machine's palette.
  void SetupMain(TStitchItem* design);
  // The dialog's binding: `design` against `palette` (neither owned) in frame mode 0 or 1.
  void SetupDialog(TStitchItem* design, TColorInfo* palette, TColorFrameMode mode);

  TStitchItem* Design() const { return design_; }
  TColorFrameMode Mode() const { return mode_; }
  // The dialog's palette, or that of the chosen machine looked up again at every call (the
  // machine list may change between any two events).
  TColorInfo* Palette() const;
  int SelDst() const { return selDst_; }
  int SelSrc() const { return selSrc_; }
  const TColorMappings& Mappings() const { return mappings_; }
  void ClearMappings() { mappings_.Clear(); }
  // Whether the design's own colours are shown (drops and check boxes then change nothing the
  // layout shows).
  bool DataMode() const { return dataMode_; }
  void SetDataMode(bool dataMode) { dataMode_ = dataMode; }
  // Something the owner should redraw has changed since the last call.
  bool TakeChanged();

  // Machine `machine` (-1 none) is chosen: the assignments go and the design is matched to its
  // palette. Nothing, with nothing changed, without a way to look machines up.
  std::optional<TRefresh> ChooseMachine(int machine);
  // The automatic match runs again, then the assignments; what to show again.
  TRefresh Rematch();
  // Check box j of the palette: entry j may (or may not) be chosen by the automatic match.
  TRefresh Check(int j, bool on);

  // A press on design row r (-1 for none): marks that block, or unmarks it when it was marked.
  bool PressBlock(int r);
  // A press on palette row r selects that entry.
  bool PressEntry(int r);
  // The selected entry can be dragged: it exists and, when needles are assigned in the dialog,
  // may be chosen.
  bool CanDrag() const;
  // A drop of the selected entry on block r would change it.
  bool CanDropOn(int r) const;
  // Drops the selected entry on block r (see DropPaletteEntry) and unmarks the marked block.
  // True when the block changed.
  bool Drop(int r);
  // An arrow key moves the selected entry by delta within the palette.
  bool Step(int delta);
  // Only when recolouring may the selected entry take another colour; true when it took it.
  bool CanRecolourEntry() const;
  bool RecolourEntry(COLORREF colour);

  // Block i's text: its own name, or with `labels` the label of its palette entry.
  std::string BlockText(int i, bool labels) const;
  void SetBlockName(int i, std::string name);

 private:
  void DropMarkOf(const TStitchItem* design);
  const TMachinePalette& machinePalette_;
  TStitchItem* design_ = nullptr;
  TColorInfo* dialogPalette_ = nullptr;  // frame modes 0 and 1
  int machine_ = -1;                     // frame mode 2: the machine whose palette is shown
  TColorFrameMode mode_ = TColorFrameMode::MainNeedles;
  bool dataMode_ = true;
  bool changed_ = false;
  int selDst_ = -1;
  int selSrc_ = -1;
  TColorMappings mappings_;
};
