// TDirList: the server's current design folder and the design files in it, for clients that
// browse designs through the server.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TDirList {
 public:
  // The extensions listed, in the order they are listed.
  static constexpr const char* kMasks[] = {".10o", ".dsb", ".dst", ".dsz"};

  // Current folder := dir (may be empty); the list is made again.
  void SetDirectory(const std::string& dir);
  const std::string& Directory() const { return dir_; }

  // Lists the current folder again: per mask in order, the files whose extension matches
  // without regard to case, each mask's names sorted; names beginning with "." and entries
  // that are not regular files are left out.
  // A folder that does not exist lists nothing and is no failure. False, with the reason in
  // *error, when the folder exists but cannot be read (the list is then empty).
  bool List(std::string* error = nullptr);

  std::int32_t Count() const { return static_cast<std::int32_t>(names_.size()); }
  // The name at index, or nothing for an index out of range.
  bool Name(std::int32_t index, std::string* name) const;

  // The file `name` of the current folder. A backslash counts as a folder separator, as the
  // clients write it; a name that is absolute or climbs out of the folder ("..") is refused,
  // so a client's text never reaches outside the folder. Without a current folder no name
  // resolves.
  bool PathOf(const std::string& name, std::filesystem::path* path) const;

 private:
  std::string dir_;
  std::vector<std::string> names_;
};
