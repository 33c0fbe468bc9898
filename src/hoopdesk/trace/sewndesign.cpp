#include "hoopdesk/trace/sewndesign.h"

#include <system_error>

#include "hoopdesk/panels/panelmanager.h"
#include "shared/stitch.h"

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

TSewnDesign LoadSewnDesign(TPanelManager& panels, const std::filesystem::path& sendFolder,
                           int machine, const std::string& fileName, TStitchItem& design) {
  TSewnDesign result;
  if (!IsPlainFileName(fileName)) return result;
  const std::filesystem::path path = sendFolder / fileName;
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
