// The rules of the colour settings dialog: the selected entry of the system palette, which
// buttons it enables, the edits of the system palette, copying system colours into a machine's
// palette, and writing the tables. The dialog's widgets only turn mouse and keys into these
// calls and repaint.
#pragma once

#include <cstdint>
#include <string>

#include "platform/wintypes.h"

class TColorInfo;
class TColorSettingHost;

class TColorSettingModel {
 public:
  static constexpr int kMaxSystemColors = 60;

  struct TButtons {
    bool add = false;
    bool del = false;
    bool edit = false;
    bool color = false;
    bool up = false;
    bool down = false;
    friend bool operator==(const TButtons&, const TButtons&) = default;
  };

  // `machine` is the machine whose palette the left side shows first (-1 none).
  TColorSettingModel(TColorInfo& system, TColorSettingHost& host, int machine);

  const TColorInfo& System() const { return system_; }
  int SelEntry() const { return selEntry_; }
  int Machine() const { return machine_; }
  // Machine palette shown on the left, null when none.
  const TColorInfo* MachinePalette() const;
  // Some table was written during the dialog's life.
  bool Saved() const { return saved_; }

  TButtons Buttons() const;

  // A press on entry row r of the system palette selects it; other rows change nothing.
  bool Press(int r);
  // The start of a drag: the entry under the pointer becomes the selection, or none. True when
  // there is an entry to drag.
  bool BeginDrag(int r);
  // Drop of the selected entry on row r of the system palette (r = count moves it to the end).
  bool DropOnSystem(int r);
  // Drop of the selected entry on entry j of the shown machine palette: colour and label are
  // copied, the selectable flag stays.
  bool DropOnMachine(int j);
  // Up (-1) or down (+1) arrow: selects the neighbour when there is one.
  bool Step(int delta);

  void Add();
  void Delete();
  void SetLabel(std::string text);
  void SetColor(COLORREF color);
  bool Up();
  bool Down();

  // Shows another machine on the left. The tables are written first, so the palette of the
  // machine being left keeps its edits.
  void ChangeMachine(int machine);
  // Writes the system palette and the shown machine's palette when modified; a table that
  // cannot be written is reported with its path. After a write the server rereads its system
  // palette.
  void SaveTables();

 private:
  bool SelValid() const;
  bool Save(TColorInfo& table);

  TColorInfo& system_;
  TColorSettingHost& host_;
  int machine_ = -1;
  int selEntry_ = 0;
  bool saved_ = false;
};
