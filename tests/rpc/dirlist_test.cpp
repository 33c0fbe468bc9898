#include "pelsrv/server/dirlist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

class DirListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/pellora-dirlist-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    ::chmod(dir_.c_str(), 0700);
    std::filesystem::remove_all(dir_);
  }
  void Touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }
  std::vector<std::string> Names(const TDirList& list) {
    std::vector<std::string> out;
    std::string name;
    for (int i = 0; list.Name(i, &name); ++i) out.push_back(name);
    return out;
  }
  std::filesystem::path dir_;
};

TEST_F(DirListTest, ListsByMaskInOrderAndSortedWithinEachWithoutRegardToCase) {
  for (const char* n : {"b.dst", "a.10o", "c.dsz", "A.DST", "B.Dsb", ".hidden.dst", "notes.txt",
                        "x.dst.bak", "Z.10O"})
    Touch(n);
  TDirList list;
  list.SetDirectory(dir_.string());
  const std::vector<std::string> expected = {"a.10o", "Z.10O", "B.Dsb", "A.DST", "b.dst", "c.dsz"};
  EXPECT_EQ(Names(list), expected);
  EXPECT_EQ(list.Count(), 6);
}

TEST_F(DirListTest, OutOfRangeIndexesGiveNothing) {
  Touch("a.dst");
  TDirList list;
  list.SetDirectory(dir_.string());
  std::string name = "kept";
  EXPECT_FALSE(list.Name(-1, &name));
  EXPECT_FALSE(list.Name(1, &name));
  EXPECT_EQ(name, "kept");
}

TEST_F(DirListTest, MissingFolderListsNothingWithoutFailure) {
  TDirList list;
  list.SetDirectory((dir_ / "nowhere").string());
  std::string error;
  EXPECT_TRUE(list.List(&error));
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(DirListTest, UnreadableFolderIsAFailureWithItsReason) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  Touch("a.dst");
  ::chmod(dir_.c_str(), 0000);
  TDirList list;
  list.SetDirectory(dir_.string());
  std::string error;
  EXPECT_FALSE(list.List(&error));
  EXPECT_FALSE(error.empty());
}

TEST_F(DirListTest, OnlyRegularFilesAreListed) {
  Touch("plain.dst");
  ASSERT_EQ(::mkfifo((dir_ / "fifo.dst").c_str(), 0600), 0);
  std::filesystem::create_directory(dir_ / "folder.10o");
  std::filesystem::create_symlink(dir_ / "plain.dst", dir_ / "link.dst");
  TDirList list;
  list.SetDirectory(dir_.string());
  EXPECT_EQ(Names(list), (std::vector<std::string>{"link.dst", "plain.dst"}));
}

TEST(DirListPath, WithoutAFolderNoNameResolves) {
  TDirList list;
  list.SetDirectory("");
  std::filesystem::path path;
  for (const char* name : {"rose.dst", "sub/rose.dst"}) EXPECT_FALSE(list.PathOf(name, &path));
  EXPECT_EQ(list.Count(), 0);
}

TEST(DirListPath, ClientNamesStayInsideTheFolder) {
  TDirList list;
  list.SetDirectory("/designs");
  struct Case {
    std::string name;
    const char* expected;  // nullptr: refused
  };
  const Case cases[] = {
      {"rose.dst", "/designs/rose.dst"},
      {"sub/rose.dst", "/designs/sub/rose.dst"},
      {"sub\\rose.dst", "/designs/sub/rose.dst"},
      {"sub/../rose.dst", "/designs/rose.dst"},
      {"../secret", nullptr},
      {"..\\..\\etc\\passwd", nullptr},
      {"sub/../../x", nullptr},
      {"/etc/passwd", nullptr},
      {"\\etc\\passwd", nullptr},
      {"", nullptr},
      {".", nullptr},
      {std::string("a\0b", 3), nullptr},
  };
  for (const Case& c : cases) {
    std::filesystem::path path;
    const bool ok = list.PathOf(c.name, &path);
    EXPECT_EQ(ok, c.expected != nullptr) << c.name;
    if (ok && c.expected) {
      EXPECT_EQ(path, c.expected) << c.name;
    }
  }
}

}  // namespace
