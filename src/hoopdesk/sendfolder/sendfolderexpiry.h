// The rules of the send folder's purge, apart from the file system: which design files go.
// A file goes only when both limits agree: there are more design files than the file limit,
// and it is older than the day limit. The oldest go first, and the purge stops at the first
// file that is not old.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TSendFileEntry {
  std::string name;                      // without folder
  std::filesystem::file_time_type time;  // last modification
  bool old = false;
};

// `now` less `days` whole days; saturates at the earliest time the clock holds, so a day limit
// reaching before it makes no file old. A negative day limit counts as 0.
std::filesystem::file_time_type ExpiryCutOff(std::filesystem::file_time_type now,
                                             std::int32_t days);

// The names to delete, oldest first: entries are ordered by time, then by name without regard
// to case, and taken from the front while more than `fileLimit` remain and the entry is old.
// A negative limit counts as 0; the count never runs past the list.
std::vector<std::string> ExpiredSendFiles(std::vector<TSendFileEntry> entries,
                                          std::int32_t fileLimit);

// True for a companion of a design file: exactly the same stem and the extension ".0" + any
// one character + "o" (its control file ".00o" among them), the extension's case aside.
bool IsCompanionName(const std::string& designName, const std::string& candidate);
