// What the windows that show machines read of them (the trace window and its frames). Every
// answer is looked up at the call: server events, dialogs and discovery change the machine list
// at any time, so nothing a call returns is kept across a call to the server, a dialog, or a
// change of the list. The panel manager is the source.
#pragma once

#include <cstdint>
#include <string>

#include "platform/hresult.h"

class TColorInfo;

class TMachineSource {
 public:
  virtual ~TMachineSource() = default;

  virtual bool HasMachine(int machine) const = 0;
  // The display name the server gave the machine's connection; "" without the machine.
  virtual std::string MachineAddress(int machine) const = 0;
  // The machine's needle palette, looked up now; null without the machine.
  virtual const TColorInfo* MachinePalette(int machine) const = 0;
  virtual bool InSyncGroup(int machine) const = 0;
  // The file the machine last acknowledged; "" without the machine.
  virtual std::string SewingFile(int machine) const = 0;
  // The folder the send files are written to (with its trailing "/").
  virtual std::string SendFolder() const = 0;
  // The machine type for stitch counts (IPelSrv::GetModel of the device); 0 without a server.
  virtual std::int32_t MachineModel(int machine) = 0;
  // IPelSrv::GetProgress of the machine, passed on unchanged. Without the machine: state,
  // position, error, speed and needle 0; total and memory stay.
  virtual HRESULT GetProgress(int machine, std::uint8_t* state, std::int32_t* position,
                              std::int32_t* total, std::int32_t* error, std::uint16_t* speed,
                              std::uint8_t* needle, std::int32_t* memory) = 0;
  // Recomputes whether the machine (or, with all, every machine) may send now.
  virtual void UpdateSendButtons(int machine, bool all) = 0;
};
