#include "hoopdesk/controls/anibutton.h"

#include <gtest/gtest.h>

#include <QTest>

#include "hoopdesk/controls/animate.h"
#include "hoopdesk/screenshot.h"
#include "pixels.h"

namespace {

struct AniButtonTest : testing::Test {
  AniButtonTest() {
    button.setObjectName("SendBtn0");
    button.setText("Send");
    button.resize(36, 37);
    button.SetResId(TAnimate::kTransferClip);
  }
  TAniButton button;
};

TEST_F(AniButtonTest, ActivatingTwiceKeepsOneAnimationInsideTheFace) {
  EXPECT_FALSE(button.Active());
  button.SetActive(true);
  button.SetActive(true);
  EXPECT_TRUE(button.Active());
  EXPECT_EQ(button.findChildren<TAnimate*>().size(), 1);
  ASSERT_NE(button.Animation(), nullptr);
  EXPECT_EQ(button.Animation()->geometry(), QRect(2, 2, 32, 33));

  button.SetActive(false);
  EXPECT_FALSE(button.Active());
  EXPECT_EQ(button.Animation(), nullptr);
  EXPECT_TRUE(button.findChildren<TAnimate*>().isEmpty());
  button.SetActive(false);
  EXPECT_FALSE(button.Active());
}

TEST_F(AniButtonTest, AClipThatDoesNotExistShowsNothingAndIsNotActive) {
  button.SetResId(999);
  button.SetActive(true);
  EXPECT_FALSE(button.Active());
  EXPECT_EQ(button.findChildren<TAnimate*>().size(), 1);
  button.SetActive(true);
  EXPECT_EQ(button.findChildren<TAnimate*>().size(), 1);
}

TEST_F(AniButtonTest, TheAnimationCoversTheFaceAndMoves) {
  const QImage idle = Drawn(button);
  SaveScreenshot(button, "anibutton-inactive");
  button.SetActive(true);
  const QImage first = Drawn(button);
  SaveScreenshot(button, "anibutton-active-frame0");
  EXPECT_EQ(At(first, 0, 0), At(idle, 0, 0)) << "the button's edge stays visible";
  EXPECT_NE(first, idle);

  ASSERT_TRUE(QTest::qWaitFor([&] { return button.Animation()->Frame() == 4; }, 5000));
  const QImage later = Drawn(button);
  SaveScreenshot(button, "anibutton-active-frame4");
  EXPECT_NE(later, first);
}

}  // namespace
