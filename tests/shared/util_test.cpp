#include "shared/util.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/lasterror.h"
#include "platform/messages.h"

namespace {

class ErrorText : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageTextSource([](std::int32_t id) {
      return id == 261 ? std::string("Failed to read a file") : std::string();
    });
  }
  void TearDown() override {
    platform::SetMessageTextSource({});
    platform::SetMessageBoxHandler({});
  }
};

TEST_F(ErrorText, ComposesTextAndDetail) {
  platform::SetLastError(ENOENT);
  const std::string noEntry = platform::SystemErrorText(ENOENT);
  const struct {
    std::int32_t id;
    const char* detail;
    std::string expected;
  } cases[] = {
      {-1, "/designs/star.10o", "/designs/star.10o"},
      {261, "", "Failed to read a file"},
      {261, "star.10o", "Failed to read a file: star.10o"},
      {0, "", noEntry},
      {0, "SendData", noEntry + ": SendData"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetLastErrorText(c.id, c.detail), c.expected) << c.id << " " << c.detail;
}

TEST_F(ErrorText, MessageBoxGoesThroughTheHandler) {
  std::vector<std::string> shown;
  platform::SetMessageBoxHandler(
      [&](platform::MessageBoxKind kind, const std::string& caption, const std::string& text) {
        shown.push_back(std::string(kind == platform::MessageBoxKind::Error ? "error" : "warn") +
                        "|" + caption + "|" + text);
      });
  ShowMessageBox(true, 261, "a.10o");
  ShowMessageBox(false, -1, "just this");
  EXPECT_EQ(shown, (std::vector<std::string>{"error||Failed to read a file: a.10o",
                                             "warn|Warning|just this"}));
}

}  // namespace
