#include "hoopdesk/browser/designfiles.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QCollator>
#include <QFile>
#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <string_view>

#include "shared/stitchpath.h"

namespace {

// Names in the collator's order without regard to case; equal names in the folder's order.
class TNameOrder {
 public:
  TNameOrder() { collator_.setCaseSensitivity(Qt::CaseInsensitive); }
  template <typename Entry>
  bool operator()(const Entry& a, const Entry& b) const {
    const int order = collator_.compare(a.name, b.name);
    return order != 0 ? order < 0 : a.seen < b.seen;
  }

 private:
  QCollator collator_;
};

// Every entry but a folder or a link to one; the type comes with the entry on most file
// systems, so only links and entries of unknown type are looked up.
bool ListsAsFile(int folder, const dirent& entry) {
  if (entry.d_type == DT_DIR) return false;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return true;
  struct stat target {};
  // A link that leads nowhere is listed, and reported when its picture cannot be read.
  return ::fstatat(folder, entry.d_name, &target, 0) != 0 || !S_ISDIR(target.st_mode);
}

constexpr std::array<const char*, 4> kExtensions = {".10o", ".dsb", ".dst", ".dsz"};

// A name that surely has none of the extensions, told from its bytes without making a string
// of it: its last four bytes are plain ASCII and match none. Other names are decided by
// DesignFileGroup, whose comparison folds case beyond ASCII.
bool SurelyNoDesign(std::string_view name) {
  if (name.size() <= 4) return true;
  const std::string_view tail = name.substr(name.size() - 4);
  for (const char c : tail) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  for (const char* extension : kExtensions) {
    bool same = true;
    for (std::size_t i = 0; i < 4 && same; ++i)
      same = std::tolower(static_cast<unsigned char>(tail[i])) == extension[i];
    if (same) return false;
  }
  return true;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

int DesignFileGroup(const QString& name) {
  for (int g = 0; g < static_cast<int>(kExtensions.size()); ++g) {
    if (name.size() > 4 && name.endsWith(QLatin1StringView(kExtensions[g]), Qt::CaseInsensitive))
      return g;
  }
  return -1;
}

bool IsNativeDesignFile(const QString& name) { return IsNativeDesignName(name.toStdString()); }

QStringList ReadDesignFiles(const QString& folder, qsizetype sorted, TDesignFileSort& rest) {
  using TEntry = TDesignFileSort::TEntry;
  rest.rest_.clear();
  std::array<std::vector<TEntry>, 4> groups;
  {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(QFile::encodeName(folder).constData()));
    if (!dir) return {};
    int seen = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
      if (entry->d_name[0] == '.' || SurelyNoDesign(entry->d_name)) continue;
      // File names are UTF-8 to Qt on Linux, as QFile::decodeName takes them.
      QString name = QString::fromUtf8(entry->d_name);
      const int g = DesignFileGroup(name);
      if (g < 0 || !ListsAsFile(::dirfd(dir.get()), *entry)) continue;
      groups[static_cast<std::size_t>(g)].push_back({std::move(name), seen++});
    }
  }
  const TNameOrder order;
  QStringList list;
  for (std::vector<TEntry>& group : groups) {
    // The group's share of the leading names is sorted now, the rest once they are wanted.
    const auto now = static_cast<std::ptrdiff_t>(
        std::clamp<qsizetype>(sorted - list.size(), 0, static_cast<qsizetype>(group.size())));
    if (now > 0) std::partial_sort(group.begin(), group.begin() + now, group.end(), order);
    for (const TEntry& entry : group) list.append(entry.name);
    if (now < static_cast<std::ptrdiff_t>(group.size()) - 1) {
      const qsizetype at = list.size() - static_cast<qsizetype>(group.size()) + now;
      rest.rest_.push_back({at, std::vector<TEntry>(std::make_move_iterator(group.begin() + now),
                                                    std::make_move_iterator(group.end()))});
    }
  }
  return list;
}

void TDesignFileSort::Finish(QStringList& names) {
  const TNameOrder order;
  for (TRest& part : rest_) {
    const auto count = static_cast<qsizetype>(part.entries.size());
    if (part.at < 0 || part.at + count > names.size()) continue;  // not the list it was made with
    std::sort(part.entries.begin(), part.entries.end(), order);
    for (qsizetype i = 0; i < count; ++i)
      names[part.at + i] = std::move(part.entries[static_cast<std::size_t>(i)].name);
  }
  rest_.clear();
}

QStringList ListDesignFiles(const QString& folder) {
  TDesignFileSort rest;
  QStringList names = ReadDesignFiles(folder, 0, rest);
  rest.Finish(names);
  return names;
}
