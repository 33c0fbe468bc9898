#include "hoopdesk/controls/liftbutton.h"

#include <gtest/gtest.h>

#include "hoopdesk/screenshot.h"
#include "pixels.h"

namespace {

// 120 x 24: c = (24 - 12) / 2 = 6, the triangle spans x 100..112 and y 6..18.
struct LiftCase {
  TLiftMode mode;
  const char* shot;
  bool blackNearTop;     // (w - 14, c + 2): the apex of lmUp
  bool blackNearBottom;  // (w - 14, h - c - 2): the apex of lmDown
};

class LiftButtonDrawing : public testing::TestWithParam<LiftCase> {};

TEST_P(LiftButtonDrawing, DrawsTheGripAndTheArrowOfItsMode) {
  QWidget holder;
  holder.resize(140, 40);
  TLiftButton button(&holder);
  button.setObjectName("FoldersBtn");
  button.setText("Folders");
  button.setGeometry(0, 0, 120, 24);
  button.SetLiftMode(GetParam().mode);
  SaveScreenshot(button, GetParam().shot);
  const QImage image = Drawn(button);
  const QPalette& pal = button.palette();

  for (int x : {10, 14}) {
    EXPECT_EQ(At(image, x, 12), Rgb(pal.color(QPalette::Light))) << x;
    EXPECT_EQ(At(image, x + 1, 12), Rgb(pal.color(QPalette::Dark))) << x;
  }
  EXPECT_EQ(IsBlack(image, 106, 8), GetParam().blackNearTop);
  EXPECT_EQ(IsBlack(image, 106, 16), GetParam().blackNearBottom);
  // The wide end of each triangle.
  EXPECT_EQ(IsBlack(image, 101, 17), GetParam().mode == TLiftMode::lmUp);
  EXPECT_EQ(IsBlack(image, 101, 7), GetParam().mode == TLiftMode::lmDown);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LiftButtonDrawing,
    testing::Values(LiftCase{TLiftMode::lmNone, "liftbutton-none", false, false},
                    LiftCase{TLiftMode::lmUp, "liftbutton-up", true, true},
                    LiftCase{TLiftMode::lmDown, "liftbutton-down", true, true}));

}  // namespace
