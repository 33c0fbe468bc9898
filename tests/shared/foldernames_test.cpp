#include "shared/foldernames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../platform/tempdir.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using std::chrono::nanoseconds;

class FolderNames : public TempDirTest {
 protected:
  fs::path Folder(const std::string& name, const Names& files) const {
    const fs::path folder = dir_ / name;
    fs::create_directories(folder);
    for (const std::string& f : files) std::ofstream{folder / f};
    return folder;
  }

  // The options with a lister that counts its listings by folder.
  FolderNameCache::Options Counted(FolderNameCache::Options options) {
    options.lister = [this](const fs::path& folder) {
      {
        std::lock_guard lock(mutex_);
        ++listings_[folder.filename().string()];
      }
      return ListFolder(folder);
    };
    return options;
  }

  int Listings(const std::string& folder) {
    std::lock_guard lock(mutex_);
    return listings_[folder];
  }

  // Waits out the folders' current timestamp tick, so that a change made next sets new times.
  static void NextTick() { std::this_thread::sleep_for(std::chrono::milliseconds(30)); }

  std::mutex mutex_;
  std::map<std::string, int> listings_;
};

TEST_F(FolderNames, ListsAnUnchangedFolderOnceAndAChangedOneAgain) {
  const fs::path folder = Folder("f", {"b.dst", "B.00O", "a.10o"});
  FolderNameCache cache(Counted({.settle = nanoseconds(0)}));
  const FolderNameCache::Lookup first = cache.Get(folder);
  EXPECT_FALSE(first.kept);
  EXPECT_TRUE(first.sorted);
  EXPECT_EQ(*first.names, (Names{"B.00O", "a.10o", "b.dst"}));
  const FolderNameCache::Lookup second = cache.Get(folder);
  EXPECT_TRUE(second.kept);
  EXPECT_EQ(*second.names, *first.names);
  EXPECT_EQ(Listings("f"), 1);

  struct Change {
    const char* what;
    void (*apply)(const fs::path&);
    Names names;
  } const changes[] = {
      {"added",
       [](const fs::path& f) { std::ofstream{f / "c.dst"}; },
       {"B.00O", "a.10o", "b.dst", "c.dst"}},
      {"renamed to other case",
       [](const fs::path& f) { fs::rename(f / "B.00O", f / "B.00o"); },
       {"B.00o", "a.10o", "b.dst", "c.dst"}},
      {"removed", [](const fs::path& f) { fs::remove(f / "a.10o"); }, {"B.00o", "b.dst", "c.dst"}},
      {"subfolder added",
       [](const fs::path& f) { fs::create_directory(f / "sub"); },
       {"B.00o", "b.dst", "c.dst", "sub"}},
  };
  int listings = 1;
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    NextTick();
    c.apply(folder);
    EXPECT_EQ(*cache.Get(folder).names, c.names);
    EXPECT_EQ(Listings("f"), ++listings);
    EXPECT_TRUE(cache.Get(folder).kept);
    EXPECT_EQ(Listings("f"), listings);
  }
  EXPECT_FALSE(cache.Relist(folder).kept);
  EXPECT_EQ(Listings("f"), listings + 1);
}

TEST_F(FolderNames, KeepsNoListingOfAFolderThatChangedMomentsAgo) {
  // A change within the same timestamp tick as the listing would leave the folder's times as
  // they were; so nothing is kept until the times are older than the settle time.
  const fs::path folder = Folder("f", {"a.dst"});
  FolderNameCache cache(Counted({}));
  EXPECT_FALSE(cache.Get(folder).kept);
  const FolderNameCache::Lookup again = cache.Get(folder);
  EXPECT_FALSE(again.kept);
  EXPECT_FALSE(again.sorted) << "a listing used once is not sorted";
  EXPECT_EQ(*again.names, Names{"a.dst"});
  EXPECT_EQ(Listings("f"), 2);
}

TEST_F(FolderNames, KeepsAFewFoldersAndDropsTheLeastRecentlyUsed) {
  for (const char* name : {"a", "b", "c"}) Folder(name, {"x.dst"});
  FolderNameCache cache(Counted({.folders = 2, .settle = nanoseconds(0)}));
  for (const char* name : {"a", "b", "a", "c", "a", "b"}) cache.Get(dir_ / name);
  EXPECT_EQ(Listings("a"), 1) << "used again before it became the oldest";
  EXPECT_EQ(Listings("b"), 2) << "dropped when c came";
  EXPECT_EQ(Listings("c"), 1);
}

TEST_F(FolderNames, KeepsNoListingThatIsTooLargeOrIncomplete) {
  const fs::path folder = Folder("f", {"a.dst", "b.dst"});
  FolderNameCache small(
      Counted({.maxBytes = 2 * sizeof(std::string) + 9, .settle = nanoseconds(0)}));
  small.Get(folder);
  EXPECT_FALSE(small.Get(folder).kept);
  EXPECT_EQ(Listings("f"), 2);

  int listings = 0;
  FolderNameCache broken({.settle = nanoseconds(0), .lister = [&](const fs::path& f) {
                            ++listings;
                            FolderListing l = ListFolder(f);
                            l.complete = false;  // as when reading the folder fails midway
                            return l;
                          }});
  EXPECT_EQ(broken.Get(folder).names->size(), 2u) << "what was read is used";
  EXPECT_FALSE(broken.Get(folder).kept);
  EXPECT_EQ(listings, 2);
}

TEST_F(FolderNames, ThreadsShareOneListingOfAFolder) {
  std::vector<fs::path> folders;
  for (const char* name : {"a", "b", "c"}) folders.push_back(Folder(name, {name, "common"}));
  FolderNameCache cache(Counted({.folders = 2, .settle = nanoseconds(0)}));
  std::atomic<int> wrong{0};
  const auto lookups = [&](std::size_t first, int rounds) {
    for (int i = 0; i < rounds; ++i) {
      const fs::path& folder = folders[(first + static_cast<std::size_t>(i)) % folders.size()];
      const Names expected{folder.filename().string(), "common"};
      if (*cache.Get(folder).names != expected) ++wrong;
    }
  };
  // All on one folder at once: the first lists it, the others wait and take that listing.
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < 8; ++t) threads.emplace_back(lookups, 0, 1);
  }
  EXPECT_EQ(Listings("a"), 1);
  // Three folders in two slots from eight threads: listed again and again, never mixed up.
  {
    std::vector<std::jthread> threads;
    for (std::size_t t = 0; t < 8; ++t) threads.emplace_back(lookups, t, 300);
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
