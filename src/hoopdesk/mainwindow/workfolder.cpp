#include "hoopdesk/mainwindow/workfolder.h"

#include <cstdlib>
#include <system_error>

std::filesystem::path ChooseDesignFolder(const std::filesystem::path& workFolder,
                                         const std::filesystem::path& savedFolder,
                                         const std::filesystem::path& programFolder) {
  std::filesystem::path folder = savedFolder;
  std::error_code ec;
  if (std::filesystem::is_directory(workFolder, ec)) {
    if (folder.empty()) folder = workFolder;
  } else if (std::filesystem::create_directory(workFolder, ec)) {
    folder = workFolder;
  }
  if (folder.empty()) folder = programFolder;
  return folder;
}

std::filesystem::path DefaultWorkFolder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  return std::filesystem::path(home) / "PEL_design";
}
