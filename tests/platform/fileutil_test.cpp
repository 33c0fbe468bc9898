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

// Reading what is not a regular file fails at once with a reason; a FIFO without a writer
// never makes the reader wait.
TEST_F(FileUtil, OnlyRegularFilesAreOpenedAndNothingElseIsWaitedFor) {
  ASSERT_EQ(::mkfifo((dir_ / "fifo.dst").c_str(), 0600), 0);
  std::filesystem::create_directory(dir_ / "folder.dst");
  ASSERT_TRUE(platform::WriteFileAtomically(dir_ / "plain.dst", std::string_view("abc")));
  struct Case {
    const char* name;
    int error;  // 0: readable
  };
  for (const Case& c : {Case{"fifo.dst", EINVAL}, Case{"folder.dst", EISDIR},
                        Case{"missing.dst", ENOENT}, Case{"plain.dst", 0}}) {
    std::uint64_t size = 0;
    const auto f = platform::OpenRegularFile(dir_ / c.name, &size);
    EXPECT_EQ(f != nullptr, c.error == 0) << c.name;
    const auto bytes = platform::ReadFileBytes(dir_ / c.name, 100);
    EXPECT_EQ(bytes.has_value(), c.error == 0) << c.name;
    if (c.error != 0) {
      EXPECT_EQ(platform::GetLastError(), c.error) << c.name;
    } else {
      EXPECT_EQ(size, 3u);
    }
  }
}
