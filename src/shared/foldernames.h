#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The names one listing of a folder saw.
struct FolderListing {
  std::vector<std::string> names;  // entry names without the folder, in no particular order
  bool complete = false;           // false when the folder could not be read to its end
};

// The folder's entries by std::filesystem::directory_iterator; on an error the names read
// before it are kept and the listing is incomplete.
FolderListing ListFolder(const std::filesystem::path& folder);

// Sorted listings of the few folders used last, each kept only while its folder is unchanged,
// so that looking up many files in one large folder lists it once rather than every time.
//
// Unchanged means: the same device and inode, and the same modification and status-change
// times to the nanosecond, as a stat taken just before the listing. Adding, removing or
// renaming an entry sets both times. A change can go unseen only when it leaves both times
// as they were: within one timestamp tick of the listing (ticks are coarse: a jiffy, or two
// seconds on FAT), or on a file system that does not set them. Hence a listing is kept only
// when both times lay at least `settle` in the past when it was taken: any later change then
// falls into a later tick. That argument needs the folder's clock not to run behind ours by
// more than `settle` (network shares) and the clock not to be set back.
//
// Safe to use from several threads. A folder is listed by one thread at a time; others that
// want the same folder wait for that listing. Memory: at most `folders` listings are kept,
// least recently used dropped first, and a listing larger than `maxBytes` is not kept.
class FolderNameCache {
 public:
  using Names = std::shared_ptr<const std::vector<std::string>>;
  using Lister = std::function<FolderListing(const std::filesystem::path&)>;

  static constexpr std::chrono::seconds kDefaultSettle{3};

  struct Options {
    std::size_t folders = 4;
    std::size_t maxBytes = std::size_t{8} << 20;  // counted as string objects plus characters
    std::chrono::nanoseconds settle = kDefaultSettle;
    Lister lister = ListFolder;
  };

  struct Lookup {
    Names names;          // never null; empty when the folder cannot be listed
    bool sorted = false;  // byte-wise; a listing that is not kept is left as it was read
    bool kept = false;    // from a listing an earlier call made, not from a new one
  };

  FolderNameCache();
  explicit FolderNameCache(Options options);

  // The folder's names: the kept listing when the folder is unchanged, else a new one.
  Lookup Get(const std::filesystem::path& folder);
  // A new listing of the folder, which replaces the kept one.
  Lookup Relist(const std::filesystem::path& folder);

 private:
  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t modified = 0;  // nanoseconds since the epoch
    std::int64_t changed = 0;
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };
  struct Slot;

  Lookup Fetch(const std::filesystem::path& folder, bool reuse);
  Lookup List(const std::filesystem::path& folder, bool keepable) const;
  std::shared_ptr<Slot> SlotFor(const Stamp& stamp);

  const Options options_;
  std::mutex mutex_;                           // guards recent_
  std::vector<std::shared_ptr<Slot>> recent_;  // most recently used first
};
