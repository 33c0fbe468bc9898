#pragma once

#include <filesystem>

namespace platform {

// The folder that holds what the programs keep beside themselves: the colour table,
// the send folder, the hand-over file and the logs. $PELLORA_HOME when set, else
// $XDG_DATA_HOME/pellora, else ~/.local/share/pellora. Created on first use.
std::filesystem::path DataFolder();

// A file or folder inside the data folder.
std::filesystem::path DataPath(const std::filesystem::path& name);

}  // namespace platform
