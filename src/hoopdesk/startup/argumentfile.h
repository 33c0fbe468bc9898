// The files named on Hoopdesk's command line and in a hand-over: a path, optionally followed by
// a slash and a 1-based machine number of at most three characters.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kNoMachine = -1;

// One argument split into the design file to open and the machine to queue it on.
struct TArgumentFile {
  std::string path;
  int machine = kNoMachine;  // 0-based machine index, kNoMachine for none

  friend bool operator==(const TArgumentFile&, const TArgumentFile&) = default;
};

// Tells whether a text names an existing file (not a folder).
using TFileProbe = std::function<bool(const std::string& path)>;

bool NamesExistingFile(const std::string& path);

// Splits one argument. "/" is also the path separator, so a text that names an existing file
// is taken whole. Otherwise the text is scanned from its end back to its second character: a
// "." first means no suffix; a "/" first starts the suffix behind it. A suffix of 0 to 3
// characters is read as a number n (blanks and a sign allowed, no digits give 0) and gives
// machine n - 1, or machine 0 when that is not below machineCount; the path is the text before
// the "/". A longer suffix leaves the text whole.
TArgumentFile SplitArgumentFile(std::string_view text, int machineCount,
                                const TFileProbe& namesFile = NamesExistingFile);

// True when the first argument is exactly "/Automation": the start loads no file at all.
bool SuppressesFileLoading(const std::vector<std::string>& args);

// The argument as the running program must see it: a relative text is taken relative to cwd
// (the running program has a folder of its own). An empty text stays empty; nothing is cleaned,
// so a machine suffix survives.
std::string MakeArgumentAbsolute(std::string_view text, const std::filesystem::path& cwd);
