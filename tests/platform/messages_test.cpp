#include "platform/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Messages, DefaultBoxWritesToStandardError) {
  platform::SetMessageBoxHandler({});
  ::testing::internal::CaptureStderr();
  platform::ShowMessage(platform::MessageBoxKind::Error, "Failed to read a file: a.10o");
  platform::ShowMessage(platform::MessageBoxKind::Warning, "careful");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error: Failed to read a file: a.10o\nWarning: careful\n");
}

TEST(Messages, InstalledHandlerGetsKindCaptionAndText) {
  std::vector<std::string> seen;
  platform::SetMessageBoxHandler([&](platform::MessageBoxKind kind, const std::string& caption,
                                     const std::string& text) {
    seen.push_back((kind == platform::MessageBoxKind::Error ? "E[" : "W[") + caption + "]" + text);
  });
  platform::ShowMessage(platform::MessageBoxKind::Error, "x");
  platform::ShowMessage(platform::MessageBoxKind::Warning, "y");
  platform::SetMessageBoxHandler({});
  EXPECT_EQ(seen, (std::vector<std::string>{"E[]x", "W[Warning]y"}));
}

TEST(Messages, MessageTableIsReplaceable) {
  EXPECT_EQ(platform::MessageText(261), "");
  platform::SetMessageTextSource(
      [](std::int32_t id) { return id == 261 ? std::string("Failed to read a file") : ""; });
  EXPECT_EQ(platform::MessageText(261), "Failed to read a file");
  EXPECT_EQ(platform::MessageText(999), "");
  platform::SetMessageTextSource({});
  EXPECT_EQ(platform::MessageText(261), "");
}

}  // namespace
