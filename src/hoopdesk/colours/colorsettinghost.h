// What the colour settings dialog needs from the machine list and the server link. The main
// window hands in an adapter over its panel manager; tests hand in a fake.
#pragma once

#include <string>

class TColorInfo;

class TColorSettingHost {
 public:
  virtual ~TColorSettingHost() = default;

  virtual int MachineCount() const = 0;
  // The text the machine list shows for machine m (the server's name of its connection).
  virtual std::string MachineAddress(int m) const = 0;
  // Machine m's needle palette, null when there is no such machine. Looked up again for every
  // use: server events may change the machine list while the dialog is open.
  virtual TColorInfo* MachinePalette(int m) = 0;
  // Asks the machine server, when it is connected, to reread its system palette.
  virtual void LoadSysColors() = 0;
};
