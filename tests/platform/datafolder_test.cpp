#include "platform/datafolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(DataFolder, FollowsPelloraHomeAndCreatesIt) {
  const auto dir = std::filesystem::temp_directory_path() / "pellora-datafolder-test" / "nested";
  std::filesystem::remove_all(dir.parent_path());
  ::setenv("PELLORA_HOME", dir.c_str(), 1);
  EXPECT_EQ(platform::DataFolder(), dir);
  EXPECT_TRUE(std::filesystem::is_directory(dir));
  EXPECT_EQ(platform::DataPath("SysColor.dat"), dir / "SysColor.dat");
  std::filesystem::remove_all(dir.parent_path());
}

}  // namespace
