#include "shared/foldernames.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>
#include <utility>

FolderListing ListFolder(const std::filesystem::path& folder) {
  FolderListing out;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    out.names.push_back(it->path().filename().string());
  }
  out.complete = !ec;
  return out;
}

struct FolderNameCache::Slot {
  explicit Slot(const Stamp& s) : device(s.device), inode(s.inode) {}

  const dev_t device;
  const ino_t inode;
  std::mutex mutex;  // held while the folder is listed, and guards the two below
  Stamp stamp;       // the folder just before `names` was listed
  Names names;       // null when nothing is kept
};

namespace {

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::size_t Bytes(const std::vector<std::string>& names) {
  std::size_t bytes = 0;
  for (const std::string& n : names) bytes += sizeof n + n.size();
  return bytes;
}

}  // namespace

FolderNameCache::FolderNameCache() : FolderNameCache(Options{}) {}

FolderNameCache::FolderNameCache(Options options) : options_(std::move(options)) {}

FolderNameCache::Lookup FolderNameCache::Get(const std::filesystem::path& folder) {
  return Fetch(folder, true);
}

FolderNameCache::Lookup FolderNameCache::Relist(const std::filesystem::path& folder) {
  return Fetch(folder, false);
}

FolderNameCache::Lookup FolderNameCache::List(const std::filesystem::path& folder,
                                              bool keepable) const {
  FolderListing listing = options_.lister(folder);
  keepable = keepable && listing.complete && Bytes(listing.names) <= options_.maxBytes;
  // Sorting pays only for a listing that is used again.
  if (keepable) std::sort(listing.names.begin(), listing.names.end());
  return {std::make_shared<const std::vector<std::string>>(std::move(listing.names)), keepable,
          false};
}

FolderNameCache::Lookup FolderNameCache::Fetch(const std::filesystem::path& folder, bool reuse) {
  // Read before the stat, so that the test for settled times errs towards not keeping.
  const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return List(folder, false);
  const Stamp stamp{st.st_dev, st.st_ino, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
  const bool settled = now - std::max(stamp.modified, stamp.changed) >= options_.settle.count();

  const std::shared_ptr<Slot> slot = SlotFor(stamp);
  std::lock_guard lock(slot->mutex);
  if (reuse && slot->names && slot->stamp == stamp) return {slot->names, true, true};
  Lookup fresh = List(folder, settled);
  slot->stamp = stamp;
  slot->names = fresh.sorted ? fresh.names : nullptr;
  return fresh;
}

std::shared_ptr<FolderNameCache::Slot> FolderNameCache::SlotFor(const Stamp& stamp) {
  std::lock_guard lock(mutex_);
  const auto it = std::find_if(recent_.begin(), recent_.end(), [&](const auto& s) {
    return s->device == stamp.device && s->inode == stamp.inode;
  });
  if (it != recent_.end()) {
    std::rotate(recent_.begin(), it, it + 1);
    return recent_.front();
  }
  auto slot = std::make_shared<Slot>(stamp);
  recent_.insert(recent_.begin(), slot);
  // A slot still in use by another thread lives on with it; only the reference goes.
  if (recent_.size() > options_.folders) recent_.resize(options_.folders);
  return slot;
}
