// PurgeSendFolder: keeps the send folder from growing without end. Run once at the program's
// start, before the first design is sent.
#pragma once

#include <cstdint>
#include <filesystem>

// Deletes the oldest design files (".10o") of `folder` with their companions (".0?o") while
// there are more than `fileLimit` design files and the oldest is older than `dayLimit` days.
// Negative limits read as their defaults (3 days, 30 files). A missing folder and failures to
// delete are ignored: the purge never reports anything.
void PurgeSendFolder(
    const std::filesystem::path& folder, std::int32_t dayLimit, std::int32_t fileLimit,
    std::filesystem::file_time_type now = std::filesystem::file_time_type::clock::now());
