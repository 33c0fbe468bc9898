#include "hoopdesk/mainwindow/designindex.h"

#include <array>
#include <string_view>
#include <system_error>

namespace {

bool IsDesignName(const std::string& name) {
  static constexpr std::array<std::string_view, 4> kExtensions = {".10o", ".dsb", ".dst", ".dsz"};
  for (std::string_view ext : kExtensions) {
    if (name.size() >= ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
      return true;
  }
  return false;
}

}  // namespace

int FindDesignIndex(const std::filesystem::path& folder, const std::string& name) {
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return -1;
  int before = 0;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) return -1;
    const std::string entry = it->path().filename().string();
    if (entry.empty() || entry.front() == '.') continue;
    if (entry == name) return before;
    if (IsDesignName(entry)) ++before;
  }
  return -1;
}
