#include "pelsrv/server/dirlist.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EndsWithNoCase(const std::string& name, const std::string& suffix) {
  if (name.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<long>(suffix.size()),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

// Case-insensitive order; names that differ only in case keep a fixed byte order.
bool NameBefore(const std::string& a, const std::string& b) {
  const bool less = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return Lower(x) < Lower(y); });
  const bool greater = std::lexicographical_compare(
      b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) { return Lower(x) < Lower(y); });
  return less || (!greater && a < b);
}

}  // namespace

void TDirList::SetDirectory(const std::string& dir) {
  dir_ = dir;
  List();
}

bool TDirList::List(std::string* error) {
  names_.clear();
  if (dir_.empty()) return true;
  std::error_code ec;
  std::vector<std::string> found;
  std::filesystem::directory_iterator it(dir_, ec), end;
  if (ec) {
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return true;
    if (error) *error = ec.message();
    return false;
  }
  for (; it != end; it.increment(ec)) {
    if (ec) {
      if (error) *error = ec.message();
      return false;
    }
    std::string name = it->path().filename().string();
    // Only a regular file can be a design: a FIFO or device of that name is never opened.
    std::error_code typeError;
    if (!name.empty() && name[0] != '.' && it->is_regular_file(typeError))
      found.push_back(std::move(name));
  }
  std::sort(found.begin(), found.end(), NameBefore);
  for (const char* mask : kMasks)
    for (const std::string& name : found)
      if (EndsWithNoCase(name, mask)) names_.push_back(name);
  return true;
}

bool TDirList::Name(std::int32_t index, std::string* name) const {
  if (index < 0 || index >= Count()) return false;
  *name = names_[static_cast<std::size_t>(index)];
  return true;
}

bool TDirList::PathOf(const std::string& name, std::filesystem::path* path) const {
  if (dir_.empty()) return false;  // no folder: no name stands for a file
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  if (relative.empty() || relative.find('\0') != std::string::npos) return false;
  const std::filesystem::path normal = std::filesystem::path(relative).lexically_normal();
  if (normal.is_absolute() || normal.empty() || normal == "." || *normal.begin() == "..")
    return false;
  *path = std::filesystem::path(dir_) / normal;
  return true;
}
