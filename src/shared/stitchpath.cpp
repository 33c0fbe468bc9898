#include "shared/stitchpath.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "shared/foldernames.h"

namespace {

// Position of the extension's dot, or npos.
std::size_t ExtensionDot(std::string_view path) {
  const std::size_t last = path.find_last_of(".\\:/");
  return last != std::string_view::npos && path[last] == '.' ? last : std::string_view::npos;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The byte-wise smallest of the names that is stem followed by ext in any case, so that of
// several spellings the same one is taken every time.
const std::string* FirstSibling(const FolderNameCache::Lookup& names, std::string_view stem,
                                std::string_view ext) {
  const std::string lowerExt = Lower(ext);
  const std::vector<std::string>& all = *names.names;
  // In a sorted listing the candidates follow each other from the first name >= stem.
  auto it = names.sorted ? std::lower_bound(all.begin(), all.end(), stem) : all.begin();
  const std::string* best = nullptr;
  for (; it != all.end(); ++it) {
    if (!it->starts_with(stem)) {
      if (names.sorted) break;
      continue;
    }
    if (it->size() == stem.size() + ext.size() &&
        Lower(std::string_view(*it).substr(stem.size())) == lowerExt &&
        (best == nullptr || *it < *best)) {
      best = &*it;
      if (names.sorted) break;
    }
  }
  return best;
}

}  // namespace

std::string FileExtension(std::string_view path) {
  const std::size_t dot = ExtensionDot(path);
  return dot == std::string_view::npos ? std::string() : Lower(path.substr(dot));
}

std::string ReplaceExtension(std::string_view path, std::string_view ext) {
  const std::size_t dot = ExtensionDot(path);
  std::string out(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
  out += ext;
  return out;
}

bool IsNativeDesignName(std::string_view name) {
  return name.size() > 4 && FileExtension(name) == ".10o";
}

std::string FindSiblingFile(std::string_view path, std::string_view ext) {
  // Every design load in a folder asks, so the listings are shared by the whole program.
  static FolderNameCache folders;
  return FindSiblingFile(path, ext, folders);
}

std::string FindSiblingFile(std::string_view path, std::string_view ext, FolderNameCache& folders) {
  const std::string exact = ReplaceExtension(path, ext);
  std::error_code ec;
  if (std::filesystem::exists(exact, ec)) return exact;

  const std::filesystem::path want(exact);
  const std::string stem = ReplaceExtension(want.filename().string(), "");
  const std::filesystem::path folder = want.has_parent_path() ? want.parent_path() : ".";
  FolderNameCache::Lookup names = folders.Get(folder);
  const std::string* found = FirstSibling(names, stem, ext);
  // A kept listing that missed a change must not hand out a name that is gone.
  if (found != nullptr && names.kept &&
      !std::filesystem::exists(std::filesystem::symlink_status(folder / *found, ec))) {
    names = folders.Relist(folder);
    found = FirstSibling(names, stem, ext);
  }
  if (found == nullptr) return exact;
  return (want.parent_path() / *found).string();
}
