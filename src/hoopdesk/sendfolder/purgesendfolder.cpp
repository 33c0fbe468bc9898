#include "hoopdesk/sendfolder/purgesendfolder.h"

#include <string>
#include <system_error>
#include <vector>

#include "hoopdesk/sendfolder/sendfolderexpiry.h"
#include "hoopdesk/settings/settingchecks.h"
#include "shared/stitchpath.h"

namespace fs = std::filesystem;

namespace {

// The regular files of the folder, by name; nothing when it cannot be listed.
std::vector<std::string> RegularFiles(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeEc;
    if (it->is_regular_file(typeEc)) names.push_back(it->path().filename().string());
  }
  return names;
}

}  // namespace

void PurgeSendFolder(const fs::path& folder, std::int32_t dayLimit, std::int32_t fileLimit,
                     fs::file_time_type now) {
  const fs::file_time_type cutoff = ExpiryCutOff(now, CheckedExpireDays(dayLimit));
  const std::vector<std::string> files = RegularFiles(folder);

  std::vector<TSendFileEntry> designs;
  for (const std::string& name : files) {
    if (!IsNativeDesignName(name)) continue;
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(folder / name, ec);
    if (ec) continue;
    designs.push_back({name, time, time < cutoff});
  }

  for (const std::string& design :
       ExpiredSendFiles(std::move(designs), CheckedExpireFiles(fileLimit))) {
    std::error_code ec;
    fs::remove(folder / design, ec);
    for (const std::string& name : files)
      if (IsCompanionName(design, name)) fs::remove(folder / name, ec);
  }
}
