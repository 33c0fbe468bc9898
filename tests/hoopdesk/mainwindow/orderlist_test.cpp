// The Order list of the real main window: rows dragged with the left button onto another row,
// onto themselves and below the last row, the drop focus rectangle while a row is dragged, and
// what the colour frame and the layout window are told.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <vector>

#include "hoopdesk/colours/colorrows.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/colours/framefixture.h"
#include "hoopdesk/controls/dropdownbutton.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/screenshot.h"
#include "pelloraworld.h"

namespace {

class OrderListTest {
 public:
  OrderListTest() {
    world.SerialMachines(1);
    WriteFlower(world.Work() / "tulip.10o", 8, 250);
    window = world.StartWindow();
    int x = 0;
    for (const char* name : {"rose.10o", "daisy.10o", "tulip.10o"}) {
      EXPECT_TRUE(
          window->AddDesignToLayout(QString::fromStdString((world.Work() / name).string()), x, 0));
      x += 700;
    }
  }
  QListWidget* List() const { return window->Ui().ListBox; }
  TFColorFrame* Frame() const { return window->Ui().FMainColorFrame; }
  QPoint RowCentre(int row) const { return List()->visualItemRect(List()->item(row)).center(); }
  std::vector<QString> Names() const {
    std::vector<QString> names;
    for (int i = 0; i < List()->count(); ++i) names.push_back(List()->item(i)->text());
    return names;
  }
  std::vector<int> LayoutOrder() const {
    std::vector<int> order;
    for (int p = 0; p < window->Layout().DesignCount(); ++p)
      order.push_back(window->Layout().DesignAtOrder(p));
    return order;
  }
  // Thread colours of the machine, palette entry 2 dropped on block 1 and block 0 marked: what
  // a drop must drop again.
  void AssignAndMark() {
    window->Ui().PageControl->setCurrentWidget(window->Ui().TabColor);
    QTest::qWait(10);
    Frame()->ThreadColorChoice()->click();
    QWidget* src = Frame()->PanelSrcColor();
    QWidget* dst = Frame()->PanelDstColor();
    const QPoint onBlock = dst->mapTo(Frame(), QPoint(50, ColorRowY(1) + 10));
    DragWithin(src, QPoint(120, ColorRowY(2) + 10), src->mapFrom(Frame(), onBlock));
    SendMouse(dst, QEvent::MouseButtonPress, QPoint(50, ColorRowY(0) + 10), Qt::LeftButton,
              Qt::LeftButton);
    SendMouse(dst, QEvent::MouseButtonRelease, QPoint(50, ColorRowY(0) + 10), Qt::LeftButton,
              Qt::NoButton);
    window->Ui().PageControl->setCurrentWidget(window->Ui().TabNeedle);
    QTest::qWait(10);
  }
  void Press(QPoint at) {
    SendMouse(List()->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
  }
  void Move(QPoint at) {
    SendMouse(List()->viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
  }
  void Release(QPoint at) {
    SendMouse(List()->viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
  }
  // How many pixels of row `row`'s top edge differ from the list's background.
  int MarkedEdgePixels(int row) const {
    const QImage view = List()->viewport()->grab().toImage();
    const QRect r = List()->visualItemRect(List()->item(row));
    const QColor base = List()->palette().color(QPalette::Base);
    int n = 0;
    for (int x = r.left() + 70; x < r.right(); ++x) n += view.pixelColor(x, r.top()) != base;
    return n;
  }

  PelloraWorld world;
  std::unique_ptr<TFPellora> window;
};

TEST(OrderList, DropsMoveByTheirRowsAndTellTheColourFrameAndTheLayout) {
  const QString rose = "rose", daisy = "daisy", tulip = "tulip";
  const struct {
    const char* what;
    int source;
    int target;  // -1: below the last row
    std::vector<QString> names;
    std::vector<int> order;
    int selected;
    bool told;  // the colour frame dropped its assignments and its mark
  } cases[] = {
      {"down onto another row", 0, 2, {daisy, tulip, rose}, {1, 2, 0}, 2, true},
      {"up onto another row", 2, 0, {tulip, rose, daisy}, {2, 0, 1}, 0, true},
      {"onto itself", 1, 1, {rose, daisy, tulip}, {0, 1, 2}, 1, true},
      {"below the last row", 0, -1, {rose, daisy, tulip}, {0, 1, 2}, 0, false},
  };
  for (const auto& c : cases) {
    OrderListTest t;
    t.AssignAndMark();
    ASSERT_EQ(t.Frame()->Mappings().Count(), 1) << c.what;
    ASSERT_EQ(t.Frame()->SelDst(), 0) << c.what;
    const QPoint from = t.RowCentre(c.source);
    const QRect last = t.List()->visualItemRect(t.List()->item(2));
    const QPoint to = c.target < 0           ? QPoint(from.x(), last.bottom() + 40)
                      : c.target == c.source ? from + QPoint(80, 0)
                                             : t.RowCentre(c.target);
    t.Press(from);
    t.Move(from + QPoint(0, 10));  // within the drag distance: nothing yet
    EXPECT_EQ(t.List()->currentRow(), c.source) << c.what;
    t.Move(to);
    if (c.target >= 0) {
      EXPECT_EQ(t.List()->currentRow(), c.source) << c.what;
    }
    t.Release(to);
    EXPECT_EQ(t.Names(), c.names) << c.what;
    EXPECT_EQ(t.LayoutOrder(), c.order) << c.what;
    EXPECT_EQ(t.List()->currentRow(), c.selected) << c.what;
    EXPECT_EQ(t.Frame()->Mappings().Count(), c.told ? 0 : 1) << c.what;
    EXPECT_EQ(t.Frame()->SelDst(), c.told ? -1 : 0) << c.what;
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.what;
  }
}

TEST(OrderList, TheRowUnderADragShowsTheDropFocusRectangle) {
  OrderListTest t;
  t.window->Ui().PageControl->setCurrentWidget(t.window->Ui().TabNeedle);
  QTest::qWait(20);
  const QPoint from = t.RowCentre(0);
  EXPECT_EQ(t.MarkedEdgePixels(1), 0);
  t.Press(from);
  t.Move(from + QPoint(0, 10));
  t.Move(t.RowCentre(1));
  QTest::qWait(10);
  EXPECT_GT(t.MarkedEdgePixels(1), 40) << "the rectangle on the row under the pointer";
  EXPECT_EQ(t.MarkedEdgePixels(2), 0);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::DragMoveCursor);
  t.Move(t.RowCentre(2));
  QTest::qWait(10);
  EXPECT_EQ(t.MarkedEdgePixels(1), 0) << "the old rectangle went";
  EXPECT_GT(t.MarkedEdgePixels(2), 40);
  EXPECT_FALSE(SaveScreenshot(*t.window, "mainwindow_order_drop").isEmpty());
  // Off the list the drag cannot drop; released there, nothing moves and the rectangle goes.
  const QPoint outside = t.List()->viewport()->mapFrom(
      t.window.get(), t.window->Ui().TrashBtn->mapTo(t.window.get(), QPoint(5, 5)));
  t.Move(outside);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
  t.Release(outside);
  QTest::qWait(10);
  EXPECT_EQ(t.MarkedEdgePixels(2), 0);
  EXPECT_EQ(t.LayoutOrder(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  // A click without a drag still selects the design in the layout window.
  QTest::mouseClick(t.List()->viewport(), Qt::LeftButton, {}, t.RowCentre(2));
  EXPECT_EQ(t.window->Layout().SelectedDesign(), 2);
}

}  // namespace
