#include "platform/fileutil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "platform/lasterror.h"
#include "tempdir.h"

namespace {

using FileUtil = TempDirTest;

TEST_F(FileUtil, CreateNewFileClaimsANameOnce) {
  const auto path = dir_ / "2609c001.10o";
  EXPECT_FALSE(platform::FileExists(path));
  EXPECT_TRUE(platform::CreateNewFile(path));
  EXPECT_TRUE(platform::FileExists(path));
  EXPECT_FALSE(platform::CreateNewFile(path));
  EXPECT_EQ(platform::GetLastError(), EEXIST);
  EXPECT_TRUE(platform::RemoveFile(path));
  EXPECT_FALSE(platform::RemoveFile(path));
  EXPECT_EQ(platform::GetLastError(), ENOENT);
}

TEST_F(FileUtil, CreateFolderMakesOneLevel) {
  EXPECT_FALSE(platform::CreateFolder(dir_ / "a" / "b"));
  EXPECT_EQ(platform::GetLastError(), ENOENT);
  EXPECT_TRUE(platform::CreateFolder(dir_ / "a"));
  EXPECT_TRUE(platform::DirectoryExists(dir_ / "a"));
  EXPECT_FALSE(platform::CreateFolder(dir_ / "a"));
  EXPECT_FALSE(platform::DirectoryExists(dir_ / "missing"));
}

TEST_F(FileUtil, ReadStopsAtItsLimit) {
  const auto path = dir_ / "f";
  ASSERT_TRUE(platform::WriteFileAtomically(path, std::string_view("hello")));
  EXPECT_EQ(platform::ReadFileText(path, 5), "hello");
  EXPECT_FALSE(platform::ReadFileText(path, 4).has_value());
  EXPECT_EQ(platform::GetLastError(), EFBIG);
  const auto bytes = platform::ReadFileBytes(path, 100);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->size(), 5u);
  EXPECT_FALSE(platform::ReadFileBytes(dir_ / "missing", 100).has_value());
  EXPECT_EQ(platform::GetLastError(), ENOENT);
}

TEST_F(FileUtil, AtomicWriteKeepsModeAndFollowsLinks) {
  const auto path = dir_ / "f";
  ASSERT_TRUE(platform::WriteFileAtomically(path, std::string_view("one")));
  std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  const auto link = dir_ / "link";
  std::filesystem::create_symlink(path, link);
  ASSERT_TRUE(platform::WriteFileAtomically(link, std::string_view("two")));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(platform::ReadFileText(path, 10), "two");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(FileUtil, AtomicWriteIntoMissingFolderFails) {
  EXPECT_FALSE(platform::WriteFileAtomically(dir_ / "no" / "f", std::string_view("x")));
  EXPECT_EQ(platform::GetLastError(), ENOENT);
  EXPECT_FALSE(platform::SystemErrorText(ENOENT).empty());
}

}  // namespace
