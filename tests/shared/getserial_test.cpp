#include "shared/getserial.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "../platform/tempdir.h"
#include "platform/fileutil.h"

namespace {

TEST(SerialBaseName, FollowsThePattern) {
  const struct {
    TLocalDate date;
    int sequence;
    const char* name;
  } cases[] = {
      {{2026, 12, 9}, 8, "2609c008"},   {{2026, 10, 31}, 1, "2631a001"},
      {{2026, 11, 1}, 999, "2601b999"}, {{2009, 1, 5}, 42, "09051042"},
      {{2100, 9, 15}, 10, "00159010"},
  };
  for (const auto& c : cases) EXPECT_EQ(SerialBaseName(c.date, c.sequence), c.name);
}

class SerialNames : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    folder_ = (dir_ / "SendData").string();
    namer_.SetFolder(folder_);
  }
  std::string Next() {
    std::string folder, name;
    EXPECT_TRUE(namer_.MakeName(".10o", folder, name));
    EXPECT_EQ(folder, folder_ + "/");
    EXPECT_TRUE(std::filesystem::exists(folder + name));  // the name is claimed on disk
    return name;
  }
  TLocalDate today_{2026, 12, 9};
  std::string folder_;
  TSerialNamer namer_{[this] { return today_; }};
};

TEST_F(SerialNames, CountsUpFromOneInAFreshFolder) {
  EXPECT_EQ(Next(), "2609c001.10o");
  EXPECT_EQ(Next(), "2609c002.10o");
  EXPECT_EQ(Next(), "2609c003.10o");
}

TEST_F(SerialNames, SkipsNamesThatExist) {
  std::filesystem::create_directory(folder_);
  for (int i = 1; i <= 4; ++i)
    ASSERT_TRUE(platform::CreateNewFile(folder_ + "/" + SerialBaseName(today_, i) + ".10o"));
  EXPECT_EQ(Next(), "2609c005.10o");
  EXPECT_EQ(namer_.GetCounter(), 6);
}

TEST_F(SerialNames, RestartsWhenTheDayOfTheMonthChanges) {
  for (int i = 0; i < 12; ++i) Next();
  today_ = {2026, 12, 10};
  EXPECT_EQ(Next(), "2610c001.10o");
  today_ = {2027, 1, 10};  // same day of another month: the counter runs on
  EXPECT_EQ(Next(), "27101002.10o");
}

TEST_F(SerialNames, TwoProgramsInOneFolderNeverShareAName) {
  TSerialNamer other([this] { return today_; });
  other.SetFolder(folder_);
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    std::string folder, a, b;
    ASSERT_TRUE(namer_.MakeName(".10o", folder, a));
    ASSERT_TRUE(other.MakeName(".10o", folder, b));
    names.insert(a);
    names.insert(b);
  }
  EXPECT_EQ(names.size(), 40u);
}

TEST_F(SerialNames, FailsWhenTheDayIsFull) {
  std::filesystem::create_directory(folder_);
  for (int i = 1; i <= 998; ++i)
    ASSERT_TRUE(platform::CreateNewFile(folder_ + "/" + SerialBaseName(today_, i) + ".10o"));
  EXPECT_EQ(Next(), "2609c999.10o");
  std::string folder, name;
  EXPECT_FALSE(namer_.MakeName(".10o", folder, name));
}

TEST_F(SerialNames, MissingParentFolderFailsWithoutTouchingTheOutputs) {
  namer_.SetFolder((dir_ / "no" / "SendData").string());
  std::string folder = "keep", name = "keep";
  EXPECT_FALSE(namer_.MakeName(".10o", folder, name));
  EXPECT_EQ(folder, "keep");
  EXPECT_EQ(name, "keep");

  TSerialNamer unset([this] { return today_; });
  EXPECT_FALSE(unset.MakeName(".10o", folder, name));
}

TEST_F(SerialNames, ProcessWideNamer) {
  SetSerialFolder(folder_ + "/");
  SetSerialClock([] { return TLocalDate{2026, 3, 7}; });
  std::string folder, name;
  ASSERT_TRUE(MakeSerialName(".10o", folder, name));
  EXPECT_EQ(folder, folder_ + "/");
  EXPECT_EQ(name, "26073001.10o");
  SetSerialClock({});
  SetSerialFolder("");
}

}  // namespace
