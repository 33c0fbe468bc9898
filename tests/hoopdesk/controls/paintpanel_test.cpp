#include "hoopdesk/controls/paintpanel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "hoopdesk/screenshot.h"
#include "pixels.h"

namespace {

using TBevel = TPaintPanel::TBevel;

// The owner's paint handler: a blue swatch at (38, 8) as the colour rows draw theirs.
void PaintSwatch(TPaintPanel* sender) {
  ASSERT_NE(sender->Canvas(), nullptr);
  sender->Canvas()->fillRect(QRect(38, 8, 32, 32), Qt::blue);
}

class PaintPanelBevel : public testing::TestWithParam<std::pair<TBevel, const char*>> {};

TEST_P(PaintPanelBevel, PaintsItsFaceAndBevelThenTheOwner) {
  TPaintPanel panel;
  panel.setObjectName("PanelSrcColor");
  panel.resize(120, 60);
  panel.SetColor(Qt::white);
  panel.SetBevelOuter(GetParam().first);
  QObject::connect(&panel, &TPaintPanel::paint, &PaintSwatch);
  SaveScreenshot(panel, GetParam().second);
  const QImage image = Drawn(panel);
  const QPalette& pal = panel.palette();

  EXPECT_EQ(At(image, 50, 20), QColor(Qt::blue));
  EXPECT_EQ(At(image, 100, 50), QColor(Qt::white));
  const QColor topLeft = GetParam().first == TBevel::bvNone     ? QColor(Qt::white)
                         : GetParam().first == TBevel::bvRaised ? Rgb(pal.color(QPalette::Light))
                                                                : Rgb(pal.color(QPalette::Dark));
  const QColor bottomRight = GetParam().first == TBevel::bvNone ? QColor(Qt::white)
                             : GetParam().first == TBevel::bvRaised
                                 ? Rgb(pal.color(QPalette::Dark))
                                 : Rgb(pal.color(QPalette::Light));
  EXPECT_EQ(At(image, 0, 30), topLeft);
  EXPECT_EQ(At(image, 119, 30), bottomRight);
  EXPECT_EQ(panel.Canvas(), nullptr) << "the canvas is only there while painting";
}

INSTANTIATE_TEST_SUITE_P(Bevels, PaintPanelBevel,
                         testing::Values(std::pair{TBevel::bvNone, "paintpanel-nobevel"},
                                         std::pair{TBevel::bvRaised, "paintpanel-raised"},
                                         std::pair{TBevel::bvLowered, "paintpanel-lowered"}));

// A dialog with a panel that takes the focus and a window shortcut on the down arrow.
struct PaintPanelKeys : testing::Test {
  PaintPanelKeys() : panel(new TPaintPanel(&dialog)), shortcut("Next", &dialog) {
    panel->SetTabStop(true);
    panel->resize(100, 100);
    shortcut.setShortcut(Qt::Key_Down);
    dialog.addAction(&shortcut);
    dialog.show();
    panel->setFocus();
  }
  QDialog dialog;
  TPaintPanel* panel;  // owned by the dialog
  QAction shortcut;
};

TEST_F(PaintPanelKeys, ArrowKeysAndCharactersReachThePanel) {
  QSignalSpy down(panel, &TPaintPanel::keyDown);
  QSignalSpy press(panel, &TPaintPanel::keyPress);
  QSignalSpy up(panel, &TPaintPanel::keyUp);
  QSignalSpy fired(&shortcut, &QAction::triggered);
  QTest::keyClick(panel, Qt::Key_Down);
  QTest::keyClick(panel, Qt::Key_Up);
  QTest::keyClick(panel, Qt::Key_A);
  ASSERT_EQ(down.count(), 3);
  EXPECT_EQ(down.at(0).at(0).toInt(), Qt::Key_Down);
  EXPECT_EQ(down.at(1).at(0).toInt(), Qt::Key_Up);
  EXPECT_EQ(up.count(), 3);
  ASSERT_EQ(press.count(), 1);
  EXPECT_EQ(press.at(0).at(0).toString(), "a");
  EXPECT_EQ(fired.count(), 0) << "the window's shortcut took the arrow key";
}

TEST_F(PaintPanelKeys, EscapeStillClosesTheDialog) {
  QTest::keyClick(panel, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(PaintPanel, ReportsTheMouseAndTabStop) {
  TPaintPanel panel;
  panel.resize(100, 100);
  EXPECT_FALSE(panel.TabStop());
  panel.SetTabStop(true);
  EXPECT_TRUE(panel.TabStop());
  QSignalSpy downs(&panel, &TPaintPanel::mouseDown);
  QSignalSpy ups(&panel, &TPaintPanel::mouseUp);
  QSignalSpy doubles(&panel, &TPaintPanel::dblClick);
  QTest::mouseClick(&panel, Qt::LeftButton, Qt::ShiftModifier, QPoint(30, 48));
  QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(30, 48));
  ASSERT_GE(downs.count(), 1);
  EXPECT_EQ(downs.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
  EXPECT_EQ(downs.at(0).at(1).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
  EXPECT_EQ(downs.at(0).at(2).toPoint(), QPoint(30, 48));
  EXPECT_GE(ups.count(), 1);
  EXPECT_EQ(doubles.count(), 1);
}

}  // namespace
