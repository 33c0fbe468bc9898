#pragma once

#include <filesystem>
#include <string>

// The position of `name` among the design files of `folder` as the file system lists them
// (".10o", ".dsb", ".dst", ".dsz", case counting; hidden names skipped): the number of design
// files listed before it. -1 when the name is not there or the folder cannot be listed.
int FindDesignIndex(const std::filesystem::path& folder, const std::string& name);
