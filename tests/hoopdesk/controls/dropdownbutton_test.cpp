#include "hoopdesk/controls/dropdownbutton.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include "hoopdesk/screenshot.h"
#include "pixels.h"

namespace {

using S = TDropDownButton::TPressState;

QPixmap Square(const QColor& color) {
  QPixmap pixmap(16, 16);
  pixmap.fill(color);
  return pixmap;
}

// A trash-like button 60 x 40: button part 0..44, arrow part 45..59; the arrow's corners are
// (48, 17), (52, 23), (56, 17) plus the state's offset.
struct DropDownTest : testing::Test {
  DropDownTest() {
    holder.resize(100, 80);
    button = new TDropDownButton(&holder);
    button->setObjectName("TrashBtn");
    button->setGeometry(10, 10, 60, 40);
    button->SetColor(kFace);
    button->SetImages({Square(Qt::red), Square(Qt::green)});
    button->SetImageIndex(0);
    menu.addAction("&Delete");
    menu.addAction("Delete &All");
    holder.show();
  }
  ~DropDownTest() override { menu.hide(); }

  void Enter() {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(button, &enter);
  }
  void Leave() {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
  }

  static inline const QColor kFace{200, 220, 240};
  QWidget holder;
  TDropDownButton* button;  // owned by holder
  QMenu menu;
};

TEST_F(DropDownTest, WithoutAMenuItPaintsOnlyItsFaceAndIgnoresPresses) {
  QSignalSpy clicks(button, &TDropDownButton::clicked);
  SaveScreenshot(*button, "dropdown-nomenu");
  const QImage image = Drawn(*button);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ASSERT_EQ(At(image, x, y), kFace) << x << "," << y;

  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(55, 20));
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(button->PressState(), S::Idle);
  EXPECT_FALSE(menu.isVisible());
}

TEST_F(DropDownTest, TheArrowPartDropsTheMenuDownAndItsCloseResetsTheButton) {
  button->SetDropDownMenu(&menu);
  QSignalSpy clicks(button, &TDropDownButton::clicked);
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(45, 20));
  EXPECT_TRUE(menu.isVisible());
  EXPECT_EQ(button->PressState(), S::DroppedDown);
  EXPECT_EQ(menu.property("PopupComponent").value<QObject*>(), button);
  EXPECT_EQ(menu.pos(), button->mapToGlobal(QPoint(-1, 39)));
  SaveScreenshot(*button, "dropdown-droppeddown");

  // A second drop-down while the menu shows does nothing.
  button->DropDown();
  EXPECT_EQ(button->PressState(), S::DroppedDown);

  menu.hide();
  EXPECT_EQ(button->PressState(), S::Idle);
  EXPECT_FALSE(menu.property("PopupComponent").isValid());
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(DropDownTest, TheButtonPartClicksOrRunsItsAction) {
  button->SetDropDownMenu(&menu);
  QSignalSpy clicks(button, &TDropDownButton::clicked);
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(44, 20));
  EXPECT_EQ(button->PressState(), S::Pressed);
  EXPECT_FALSE(menu.isVisible());
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(44, 20));
  EXPECT_EQ(button->PressState(), S::Idle);
  EXPECT_EQ(clicks.count(), 1);

  QAction action("Delete");
  QSignalSpy triggered(&action, &QAction::triggered);
  button->SetAction(&action);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(triggered.count(), 1);
  EXPECT_EQ(clicks.count(), 1);

  // Leaving while pressed cancels the click.
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
  Leave();
  EXPECT_EQ(button->PressState(), S::Idle);
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(triggered.count(), 1);
}

// One row per line of the drawing table.
struct Look {
  const char* shot;
  bool flat, inside, active;
  int press;  // 0 idle, 1 dropped down, 2 pressed
  int imageOffset, buttonFrame, arrowFrame, arrowOffset;
};

class DropDownLook : public DropDownTest, public testing::WithParamInterface<Look> {};

QColor FrameColor(const QPalette& pal, int frame, const QColor& none, bool topLeft) {
  if (frame == 0) return none;
  return (frame > 0) == topLeft ? Rgb(pal.color(QPalette::Light)) : Rgb(pal.color(QPalette::Dark));
}

TEST_P(DropDownLook, DrawsEachStateAsTheTableSays) {
  const Look& row = GetParam();
  button->SetDropDownMenu(&menu);
  button->SetFlat(row.flat);
  button->SetActive(row.active);
  if (row.inside) Enter();
  if (row.press == 1) button->DropDown();
  if (row.press == 2) QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
  ASSERT_EQ(static_cast<int>(button->PressState()), row.press);
  SaveScreenshot(*button, row.shot);
  const QImage image = Drawn(*button);
  const QPalette& pal = button->palette();

  // Frames: the outer ring at the top-left and bottom-right corners, the second ring only
  // for a width of 2.
  EXPECT_EQ(At(image, 0, 0), FrameColor(pal, row.buttonFrame, kFace, true));
  EXPECT_EQ(At(image, 44, 39), FrameColor(pal, row.buttonFrame, kFace, false));
  const int second = std::abs(row.buttonFrame) == 2 ? row.buttonFrame : 0;
  EXPECT_EQ(At(image, 1, 1), FrameColor(pal, second, kFace, true));
  EXPECT_EQ(At(image, 45, 0), FrameColor(pal, row.arrowFrame, kFace, true));
  EXPECT_EQ(At(image, 59, 39), FrameColor(pal, row.arrowFrame, kFace, false));

  // Arrow: its wide top row starts at L and its tip is at L + 4.
  const int l = 48 + row.arrowOffset;
  const int t = 17 + row.arrowOffset;
  EXPECT_TRUE(IsBlack(image, l + 1, t));
  EXPECT_TRUE(IsBlack(image, l + 4, t + 5));
  EXPECT_FALSE(IsBlack(image, l + 1, t + 5));

  // Image: 16 x 16 centred in the 45 x 40 button part at (14, 12), shifted by the offset;
  // the second image while the mouse is inside or the button is active.
  const QColor expected = row.inside || row.active ? QColor(Qt::green) : QColor(Qt::red);
  EXPECT_EQ(At(image, 14 + row.imageOffset, 12 + row.imageOffset), expected);
  EXPECT_EQ(At(image, 29 + row.imageOffset, 27 + row.imageOffset), expected);
  EXPECT_NE(At(image, 30 + row.imageOffset, 28 + row.imageOffset), expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, DropDownLook,
    testing::Values(Look{"dropdown-droppeddown-flat", true, false, false, 1, 0, 1, -1, 1},
                    Look{"dropdown-droppeddown-raised", false, false, false, 1, 0, 2, -1, 1},
                    Look{"dropdown-pressed-flat", true, true, false, 2, 1, -1, -1, 1},
                    Look{"dropdown-pressed-raised", false, true, false, 2, 2, -2, -1, 1},
                    Look{"dropdown-idle-flat-outside", true, false, false, 0, 0, 0, 0, 0},
                    Look{"dropdown-idle-raised-inside", false, true, false, 0, 0, 2, 1, 0},
                    Look{"dropdown-idle-raised-outside", false, false, false, 0, 0, 1, 1, 0},
                    Look{"dropdown-idle-flat-inside", true, true, false, 0, 0, 1, 1, 0},
                    Look{"dropdown-idle-flat-active", true, false, true, 0, 0, 1, 1, 0}),
    [](const testing::TestParamInfo<Look>& info) {
      std::string name = info.param.shot;
      std::erase(name, '-');
      return name;
    });

}  // namespace

namespace {

// A list of one image has no next image: hovered, pressed or active the button keeps showing it.
TEST_F(DropDownTest, WithOneImageEveryStateShowsIt) {
  button->SetImages({Square(Qt::red)});
  button->SetDropDownMenu(&menu);
  const auto shown = [&](const char* shot) {
    SaveScreenshot(*button, shot);
    return At(Drawn(*button), 20, 18) == QColor(Qt::red);
  };
  EXPECT_TRUE(shown("dropdown-oneimage-idle"));
  Enter();
  EXPECT_TRUE(shown("dropdown-oneimage-hovered"));
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(shown("dropdown-oneimage-pressed"));
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
  Leave();
  button->SetActive(true);
  EXPECT_TRUE(shown("dropdown-oneimage-active"));
}

}  // namespace
