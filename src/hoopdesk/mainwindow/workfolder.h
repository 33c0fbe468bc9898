#pragma once

#include <filesystem>

// The design folder the program starts in. The work folder is used when it exists and no
// folder was saved, or when it had to be made now; otherwise the saved folder; without either
// the program's own folder.
std::filesystem::path ChooseDesignFolder(const std::filesystem::path& workFolder,
                                         const std::filesystem::path& savedFolder,
                                         const std::filesystem::path& programFolder);

// "PEL_design" in the user's home folder, which stands in for the system drive's root.
std::filesystem::path DefaultWorkFolder();
