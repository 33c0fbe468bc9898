#include "hoopdesk/sendfolder/purgesendfolder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;
using std::chrono::hours;

// A send folder in a temporary place, with files of chosen ages.
class SendFolder : public testing::Test {
 protected:
  SendFolder() {
    std::string pattern = (fs::temp_directory_path() / "sendfolder-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  ~SendFolder() override { fs::remove_all(folder_); }

  void Add(const std::string& name, int ageHours) {
    std::ofstream(folder_ / name) << "x";
    fs::last_write_time(folder_ / name, now_ - hours(ageHours));
  }
  // A design file and its control file.
  void AddPair(const std::string& stem, int ageHours) {
    Add(stem + ".10o", ageHours);
    Add(stem + ".00o", ageHours);
  }

  std::set<std::string> Left() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.insert(entry.path().filename().string());
    return names;
  }

  static std::string Stem(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "2612a%03d", i);
    return name;
  }

  fs::path folder_;
  const fs::file_time_type now_ = fs::file_time_type::clock::now();
};

TEST_F(SendFolder, ThirtyOldFilesAreKeptByTheFileLimit) {
  for (int i = 0; i < 30; ++i) AddPair(Stem(i), 24 * 10);
  PurgeSendFolder(folder_, 3, 30, now_);
  EXPECT_EQ(Left().size(), 60u);
}

TEST_F(SendFolder, ThirtyFiveWithThreeOldLoseExactlyThoseThreeAndTheirControlFiles) {
  // Names do not follow age: the old ones sort in the middle by name.
  for (int i = 0; i < 35; ++i) AddPair(Stem(i), 1 + i);
  for (int i : {10, 20, 30}) AddPair(Stem(i), 24 * 4 + i);
  PurgeSendFolder(folder_, 3, 30, now_);
  const std::set<std::string> left = Left();
  EXPECT_EQ(left.size(), 64u);
  for (int i : {10, 20, 30}) {
    EXPECT_FALSE(left.contains(Stem(i) + ".10o"));
    EXPECT_FALSE(left.contains(Stem(i) + ".00o"));
  }
}

TEST_F(SendFolder, CompanionsGoWithTheirDesignAndNothingElse) {
  Add("old.10o", 200);
  Add("old.01o", 1);
  Add("alone.10o", 199);
  Add("old.10o.bak", 500);
  Add("other.00o", 500);
  fs::create_directory(folder_ / "folder.10o");
  PurgeSendFolder(folder_, 3, 0, now_);
  EXPECT_EQ(Left(), (std::set<std::string>{"old.10o.bak", "other.00o", "folder.10o"}));
}

// Names that differ only in case are two designs: deleting one leaves the other's pair whole.
TEST_F(SendFolder, ADesignWhoseNameDiffersInCaseKeepsItsControlFile) {
  Add("A.10o", 300);
  Add("a.10o", 1);
  Add("a.00o", 1);
  PurgeSendFolder(folder_, 3, 1, now_);
  EXPECT_EQ(Left(), (std::set<std::string>{"a.10o", "a.00o"}));
}

TEST_F(SendFolder, DayLimitZeroAndFileLimitZeroEmptyTheFolder) {
  for (int i = 0; i < 5; ++i) AddPair(Stem(i), 1);
  PurgeSendFolder(folder_, 0, 0, now_);
  EXPECT_TRUE(Left().empty());
}

TEST_F(SendFolder, LimitsFromAnEditedStoreDeleteNothingUnsafe) {
  for (int i = 0; i < 10; ++i) AddPair(Stem(i), 24 * 100);
  // A negative file limit reads as 30: ten files stay.
  PurgeSendFolder(folder_, 3, -1, now_);
  PurgeSendFolder(folder_, 3, std::numeric_limits<std::int32_t>::min(), now_);
  EXPECT_EQ(Left().size(), 20u);
  // A day limit beyond the clock's range makes nothing old.
  PurgeSendFolder(folder_, std::numeric_limits<std::int32_t>::max(), 0, now_);
  EXPECT_EQ(Left().size(), 20u);
  // A negative day limit reads as 3: every file is old.
  PurgeSendFolder(folder_, -7, 0, now_);
  EXPECT_TRUE(Left().empty());
}

TEST_F(SendFolder, AMissingFolderIsNoFailure) {
  PurgeSendFolder(folder_ / "missing", 0, 0, now_);
  PurgeSendFolder(fs::path(), 0, 0, now_);
  SUCCEED();
}

}  // namespace
