#include "hoopdesk/panels/sewndesign.h"

#include <filesystem>
#include <system_error>

#include "hoopdesk/panels/eventrules.h"
#include "hoopdesk/panels/panelmanager.h"
#include "shared/stitch.h"

TSewnDesign LoadSewnDesign(TPanelManager& panels, int machine, const std::string& fileName,
                           TStitchItem& design) {
  TSewnDesign result;
  if (panels.GetSendFolder().empty() || !IsPlainSendName(fileName)) return result;
  const std::filesystem::path path = panels.GetSendFolder() + fileName;
  std::error_code ec;
  result.found = std::filesystem::is_regular_file(path, ec);
  if (!result.found || panels.GetMachine(machine) == nullptr) return result;

  std::int32_t model = 0;
  if (IPelSrv* service = panels.GetService()) service->GetModel(machine, &model);
  const TMachineRecord* record = panels.GetMachine(machine);
  if (record == nullptr) return result;
  result.listed = true;
  result.loaded = design.Load(path.string(), record->palette);
  result.total = design.GetStitchSize(model);
  return result;
}
