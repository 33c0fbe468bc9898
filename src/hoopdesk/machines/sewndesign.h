// The design a machine reports it sews, read back from the send folder where the desktop
// program wrote it before sending. Trace frames draw it; the file-name acknowledgement needs
// its stitch total even when the machine has no frame.
#pragma once

#include <cstdint>
#include <string>

class TMachineSource;
class TStitchItem;

struct TSewnDesign {
  bool found = false;      // the file is in the send folder
  bool listed = false;     // and the machine is listed, so it was read
  bool loaded = false;     // and read whole
  std::int32_t total = 0;  // its stitch count for the machine's model
};

// Reads `fileName` from the panel manager's send folder into `design`, in machine `machine`'s
// palette; only a plain file name is joined to the folder. The
// machine's model is asked of the server first, so the events that arrive during that call
// find the design as it was; the machine's record is looked up only afterwards.
TSewnDesign LoadSewnDesign(TMachineSource& machines, int machine, const std::string& fileName,
                           TStitchItem& design);
