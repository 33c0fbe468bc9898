#include "shared/stitchpath.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

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

std::string FindSiblingFile(std::string_view path, std::string_view ext) {
  const std::string exact = ReplaceExtension(path, ext);
  std::error_code ec;
  if (std::filesystem::exists(exact, ec)) return exact;

  const std::filesystem::path want(exact);
  const std::string stem = ReplaceExtension(want.filename().string(), "");
  const std::string lowerExt = Lower(ext);
  const std::filesystem::path folder = want.has_parent_path() ? want.parent_path() : ".";
  std::vector<std::string> found;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() == stem.size() + ext.size() && name.compare(0, stem.size(), stem) == 0 &&
        Lower(std::string_view(name).substr(stem.size())) == lowerExt) {
      found.push_back(name);
    }
  }
  if (found.empty()) return exact;
  // Several spellings: take the same one every time.
  std::sort(found.begin(), found.end());
  return (want.parent_path() / found.front()).string();
}
