#include "hoopdesk/machines/sewndesign.h"

#include <filesystem>
#include <system_error>

#include "hoopdesk/machines/eventrules.h"
#include "hoopdesk/machines/machinesource.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

TSewnDesign LoadSewnDesign(TMachineSource& machines, int machine, const std::string& fileName,
                           TStitchItem& design) {
  TSewnDesign result;
  const std::string folder = machines.SendFolder();
  if (folder.empty() || !IsPlainSendName(fileName)) return result;
  const std::filesystem::path path = folder + fileName;
  std::error_code ec;
  result.found = std::filesystem::is_regular_file(path, ec);
  if (!result.found || !machines.HasMachine(machine)) return result;

  const std::int32_t model = machines.MachineModel(machine);
  // Asking the model may have run events: the palette is looked up afterwards.
  const TColorInfo* palette = machines.MachinePalette(machine);
  if (palette == nullptr) return result;
  result.listed = true;
  result.loaded = design.Load(path.string(), *palette);
  result.total = design.GetStitchSize(model);
  return result;
}
