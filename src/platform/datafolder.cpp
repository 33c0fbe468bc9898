#include "platform/datafolder.h"

#include <cstdlib>
#include <system_error>

namespace platform {

namespace {

std::filesystem::path ResolveDataFolder() {
  if (const char* home = std::getenv("PELLORA_HOME"); home && *home) return home;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    return std::filesystem::path(xdg) / "pellora";
  const char* user = std::getenv("HOME");
  return std::filesystem::path(user && *user ? user : "/tmp") / ".local/share/pellora";
}

}  // namespace

std::filesystem::path DataFolder() {
  // Resolved on every call: tests change PELLORA_HOME between cases.
  std::filesystem::path dir = ResolveDataFolder();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return dir;
}

std::filesystem::path DataPath(const std::filesystem::path& name) { return DataFolder() / name; }

}  // namespace platform
