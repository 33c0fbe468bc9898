#include "shared/stitchpath.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../platform/tempdir.h"
#include "shared/foldernames.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::nanoseconds;

// Lets folder permissions stop the calling thread even when it runs as root, which otherwise
// reads every folder.
class PermissionsApply {
 public:
  PermissionsApply() {
    ::syscall(SYS_capget, &header_, saved_);
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    ::syscall(SYS_capset, &header_, lowered);
  }
  PermissionsApply(const PermissionsApply&) = delete;
  PermissionsApply& operator=(const PermissionsApply&) = delete;
  ~PermissionsApply() { ::syscall(SYS_capset, &header_, saved_); }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
};

class SiblingLookup : public TempDirTest {
 protected:
  // A folder of its own for a case, holding the given files (a name ending in "@" becomes a
  // symbolic link to nowhere under the name without it).
  fs::path Folder(const std::string& name, const std::vector<std::string>& files) const {
    const fs::path folder = dir_ / name;
    fs::create_directories(folder);
    for (const std::string& f : files) {
      if (f.ends_with('@'))
        fs::create_symlink(folder / "nowhere", folder / f.substr(0, f.size() - 1));
      else
        std::ofstream{folder / f};
    }
    return folder;
  }

  // What the lookup gives, as a name in the folder.
  static std::string Found(const fs::path& folder, const std::string& name, const char* ext,
                           FolderNameCache* cache = nullptr) {
    const std::string path = (folder / name).string();
    const std::string found =
        cache ? FindSiblingFile(path, ext, *cache) : FindSiblingFile(path, ext);
    EXPECT_EQ(fs::path(found).parent_path(), folder) << found;
    return fs::path(found).filename().string();
  }
};

TEST_F(SiblingLookup, FindsTheNameThatDiffersOnlyInTheCaseOfItsExtension) {
  struct Case {
    const char* what;
    std::vector<std::string> files;
    const char* name;
    const char* ext;
    const char* found;
  } const cases[] = {
      {"exact name", {"rose.10o", "rose.00o"}, "rose.10o", ".00o", "rose.00o"},
      {"other case", {"STAR.10O", "STAR.00O"}, "STAR.10O", ".00o", "STAR.00O"},
      {"other case, native", {"STAR.10O", "STAR.00O"}, "STAR.00O", ".10o", "STAR.10O"},
      {"exact name beside other case", {"STAR.00O", "STAR.00o"}, "STAR.dst", ".00o", "STAR.00o"},
      {"exact name dangling: smallest spelling",
       {"STAR.00o@", "STAR.00O"},
       "STAR.dst",
       ".00o",
       "STAR.00O"},
      {"several spellings: smallest",
       {"star.aB", "star.Ab", "star.AB"},
       "star.dst",
       ".ab",
       "star.AB"},
      {"base name in other case is no match", {"rose.00o"}, "ROSE.10O", ".00o", "ROSE.00o"},
      {"no candidate", {"rose.dst", "rose.10o"}, "rose.dst", ".00o", "rose.00o"},
      {"neighbours of the name",
       {"rose 2.00O", "rose.00Ox", "rose.00", "rosebud.00O", "rose.00O", "Rose.00O"},
       "rose.dst",
       ".00o",
       "rose.00O"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path folder = Folder(c.what, c.files);
    // The program's lookup, on a folder that has just changed: its listing is read once.
    EXPECT_EQ(Found(folder, c.name, c.ext), c.found);
    // Kept listings: the first lookup lists and keeps, the second uses what was kept.
    FolderNameCache kept({.settle = nanoseconds(0)});
    EXPECT_EQ(Found(folder, c.name, c.ext, &kept), c.found);
    EXPECT_EQ(Found(folder, c.name, c.ext, &kept), c.found);
  }
}

TEST_F(SiblingLookup, SeesTheFolderChangeBetweenTwoLookups) {
  struct Case {
    const char* what;
    std::vector<std::string> files;
    std::function<void(const fs::path&)> change;
    const char* before;
    const char* after;
  };
  const auto rename = [](const char* from, const char* to) {
    return [=](const fs::path& f) { fs::rename(f / from, f / to); };
  };
  const Case cases[] = {
      {"file added",
       {},
       [](const fs::path& f) { std::ofstream{f / "STAR.00O"}; },
       "STAR.00o",
       "STAR.00O"},
      {"file removed",
       {"STAR.00O"},
       [](const fs::path& f) { fs::remove(f / "STAR.00O"); },
       "STAR.00O",
       "STAR.00o"},
      {"renamed to other case",
       {"STAR.00o"},
       rename("STAR.00o", "STAR.00O"),
       "STAR.00o",
       "STAR.00O"},
      {"renamed to the exact name",
       {"STAR.00O"},
       rename("STAR.00O", "STAR.00o"),
       "STAR.00O",
       "STAR.00o"},
      {"base name renamed to other case",
       {"STAR.00O"},
       rename("STAR.00O", "star.00O"),
       "STAR.00O",
       "STAR.00o"},
  };
  std::vector<fs::path> folders;
  for (const Case& c : cases) folders.push_back(Folder(c.what, {"STAR.dst", "other.dst"}));
  for (std::size_t i = 0; i < std::size(cases); ++i)
    for (const std::string& f : cases[i].files) std::ofstream{folders[i] / f};
  // Folders that have sat still long enough for the program's lookups to keep their listings.
  std::this_thread::sleep_for(FolderNameCache::kDefaultSettle + std::chrono::milliseconds(100));

  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    // Another design's lookup lists the folder first, so the next lookups can use that.
    EXPECT_EQ(Found(folders[i], "other.dst", ".00o"), "other.00o");
    EXPECT_EQ(Found(folders[i], "STAR.dst", ".00o"), cases[i].before);
    cases[i].change(folders[i]);
    EXPECT_EQ(Found(folders[i], "STAR.dst", ".00o"), cases[i].after);
    EXPECT_EQ(Found(folders[i], "STAR.dst", ".00o"), cases[i].after);
  }
}

TEST_F(SiblingLookup, FolderThatCannotBeListedGivesTheExactName) {
  const fs::path folder = Folder("locked", {"STAR.dst", "STAR.00O"});
  ASSERT_EQ(::chmod(folder.c_str(), 0300), 0);  // its files can be opened, its names not read
  {
    PermissionsApply permissions;
    EXPECT_EQ(Found(folder, "STAR.dst", ".00o"), "STAR.00o");
  }
  ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
  EXPECT_EQ(Found(folder, "STAR.dst", ".00o"), "STAR.00O") << "listed once it can be";

  const fs::path file = Folder("plain", {"design.dst"}) / "design.dst";
  EXPECT_EQ(FindSiblingFile((file / "STAR.dst").string(), ".00o"), (file / "STAR.00o").string());
  EXPECT_EQ(FindSiblingFile((dir_ / "gone" / "STAR.dst").string(), ".00o"),
            (dir_ / "gone" / "STAR.00o").string());
}

TEST_F(SiblingLookup, KeptListingThatNamesAGoneFileIsNotBelieved) {
  const fs::path folder = Folder("stale", {"STAR.dst"});
  // The first listing still shows a file that has gone since, as a change the folder's times
  // did not show would leave it.
  int listings = 0;
  FolderNameCache cache({.settle = nanoseconds(0), .lister = [&](const fs::path& f) {
                           FolderListing l = ListFolder(f);
                           if (listings++ == 0) l.names.push_back("STAR.00O");
                           return l;
                         }});
  EXPECT_EQ(Found(folder, "STAR.dst", ".00o", &cache), "STAR.00O") << "as the listing said";
  EXPECT_EQ(Found(folder, "STAR.dst", ".00o", &cache), "STAR.00o");
  EXPECT_EQ(listings, 2);
  EXPECT_EQ(Found(folder, "STAR.dst", ".00o", &cache), "STAR.00o");
  EXPECT_EQ(listings, 2);
}

}  // namespace
