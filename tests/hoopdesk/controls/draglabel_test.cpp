#include "hoopdesk/controls/draglabel.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QWidget>
#include <memory>

namespace {

QPixmap Picture(int w, int h) {
  QPixmap picture(w, h);
  picture.fill(Qt::red);
  return picture;
}

Qt::CursorShape Cursor() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  return cursor != nullptr ? cursor->shape() : Qt::ArrowCursor;
}

class DragLabelTest : public ::testing::Test {
 protected:
  DragLabelTest() {
    window.resize(400, 300);
    window.show();
  }
  QLabel* Shown() const { return window.findChild<QLabel*>("Dragged"); }

  QWidget window;
};

TEST_F(DragLabelTest, ShownWhileDraggingAndGoneWithItsCursorAfterTheDrop) {
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  auto drag = std::make_unique<TDragLabel>(&window, Picture(20, 10), "Dragged", Qt::DragCopyCursor);
  QLabel* label = Shown();
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->isVisible());
  EXPECT_EQ(label->size(), QSize(20, 10));
  // The pointer's events go to what lies under the picture.
  EXPECT_TRUE(label->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_EQ(Cursor(), Qt::ForbiddenCursor);
  drag->SetCanDrop(true);
  EXPECT_EQ(Cursor(), Qt::DragCopyCursor);
  drag->SetCanDrop(false);
  EXPECT_EQ(Cursor(), Qt::ForbiddenCursor);
  drag.reset();
  EXPECT_EQ(Shown(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DragLabelTest, ThePicturesCentreFollowsThePointer) {
  const struct {
    QSize picture;
    QPoint pointer;  // in the window
    QPoint topLeft;
  } cases[] = {
      {{32, 32}, {100, 50}, {84, 34}},
      {{100, 108}, {200, 150}, {150, 96}},
      {{64, 64}, {10, 5}, {-22, -27}},  // near the corner: the picture may reach outside
      {{21, 11}, {50, 50}, {40, 45}},   // odd sizes: the hot spot is rounded down
  };
  for (const auto& c : cases) {
    TDragLabel drag(&window, Picture(c.picture.width(), c.picture.height()), "Dragged",
                    Qt::DragMoveCursor);
    drag.Follow(window.mapToGlobal(c.pointer));
    EXPECT_EQ(drag.Label()->pos(), c.topLeft) << c.pointer.x() << "," << c.pointer.y();
    drag.Follow(window.mapToGlobal(c.pointer + QPoint(7, -3)));
    EXPECT_EQ(drag.Label()->pos(), c.topLeft + QPoint(7, -3));
  }
}

TEST_F(DragLabelTest, OnlyItsOwnCursorIsTakenBack) {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  {
    TDragLabel drag(&window, Picture(8, 8), "Dragged", Qt::DragMoveCursor);
    drag.SetCanDrop(true);
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);
  }
  EXPECT_EQ(Cursor(), Qt::WaitCursor);
  QGuiApplication::restoreOverrideCursor();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(DragLabel, AWindowThatGoesMidDragTakesThePictureAndLeavesTheCursorToTheDrag) {
  auto window = std::make_unique<QWidget>();
  window->show();
  auto drag =
      std::make_unique<TDragLabel>(window.get(), Picture(8, 8), "Dragged", Qt::DragCopyCursor);
  window.reset();
  EXPECT_EQ(drag->Label(), nullptr);
  drag->Follow(QPoint(10, 10));  // nothing left to move
  EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
  drag.reset();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
