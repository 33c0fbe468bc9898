// The dock forms: only dock forms dock, closing is refused, and a form dragged by its page tab
// or, once tiled, by its grabber onto the other form tiles them or makes them pages again.
#include <gtest/gtest.h>

#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>

#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/mainwindow/pelloraworld.h"
#include "hoopdesk/screenshot.h"
#include "hoopdesk/trace/ftrace.h"

namespace {

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Drags page tab `tab` to a point of the page control (its own coordinates).
void DragTab(QTabWidget* pages, int tab, QPoint to) {
  QTabBar* bar = pages->tabBar();
  const QPoint from = bar->tabRect(tab).center();
  const QPoint target = bar->mapFrom(pages->window(), pages->mapTo(pages->window(), to));
  Send(bar, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Send(bar, QEvent::MouseMove, from + (target - from) / 2, Qt::NoButton, Qt::LeftButton);
  Send(bar, QEvent::MouseMove, target, Qt::NoButton, Qt::LeftButton);
  Send(bar, QEvent::MouseButtonRelease, target, Qt::LeftButton, Qt::NoButton);
}

// Drags a tiled form by its grabber to a point of the main window (its own coordinates).
void DragGrabber(TFDockForm& form, QPoint to) {
  QWidget* grabber = form.Grabber();
  const QPoint from = grabber->rect().center();
  const QPoint target = grabber->mapFrom(form.window(), to);
  Send(grabber, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Send(grabber, QEvent::MouseMove, from + (target - from) / 2, Qt::NoButton, Qt::LeftButton);
  Send(grabber, QEvent::MouseMove, target, Qt::NoButton, Qt::LeftButton);
  Send(grabber, QEvent::MouseButtonRelease, target, Qt::LeftButton, Qt::NoButton);
}

TEST(DockForm, OnlyDockFormsDockAndClosingIsRefused) {
  PelloraWorld world;
  auto window = world.StartWindow();
  TFLayout& layout = window->Layout();
  EXPECT_TRUE(layout.FormGetSiteInfo());
  EXPECT_TRUE(layout.FormDockOver(&window->Trace()));
  QWidget plain;
  EXPECT_FALSE(layout.FormDockOver(&plain));
  EXPECT_FALSE(layout.FormDockOver(nullptr));
  EXPECT_FALSE(layout.close());
  EXPECT_FALSE(window->Trace().close());
}

TEST(DockForm, ATabDraggedToASideTilesAndToTheMiddleMakesPages) {
  PelloraWorld world;
  auto window = world.StartWindow();
  const TFPelloraUi& ui = window->Ui();
  QTabWidget* pages = ui.MainPageControl;
  ASSERT_EQ(pages->currentWidget(), &window->Layout());
  const int traceTab = pages->indexOf(&window->Trace());
  // The trace window onto the left fifth of the shown layout window.
  DragTab(pages, traceTab, QPoint(pages->width() / 10, pages->height() / 2));
  EXPECT_TRUE(pages->isHidden());
  EXPECT_FALSE(ui.MainPanel->isHidden());
  EXPECT_EQ(ui.MainPanelSplitter->orientation(), Qt::Horizontal);
  EXPECT_EQ(ui.MainPanelSplitter->widget(0), &window->Trace());
  EXPECT_EQ(ui.MainPanelSplitter->widget(1), &window->Layout());
  EXPECT_EQ(window->findChild<QWidget*>("DockPreview"), nullptr);

  window->MenuWindowTabClick();
  ASSERT_EQ(pages->currentWidget(), &window->Layout());
  DragTab(pages, pages->indexOf(&window->Trace()), pages->rect().center());
  EXPECT_FALSE(pages->isHidden());
  EXPECT_TRUE(ui.MainPanel->isHidden());
  EXPECT_EQ(pages->currentWidget(), &window->Trace());
  // A click on a tab without a drag still changes the page.
  const QPoint tab = pages->tabBar()->tabRect(pages->indexOf(&window->Layout())).center();
  QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, tab);
  EXPECT_EQ(pages->currentWidget(), &window->Layout());
}

TEST(DockForm, ATiledFormIsDraggedByItsGrabberBackToPagesOrToAnotherSide) {
  PelloraWorld world;
  world.SerialMachines(1);
  auto window = world.StartWindow();
  const TFPelloraUi& ui = window->Ui();
  TFLayout& layout = window->Layout();
  TFTrace& trace = window->Trace();
  // The point x / 10 of the docking area's width and y / 10 of its height across, in
  // main-window coordinates.
  const auto areaPoint = [&](int x, int y) {
    QWidget* area = ui.MainPanel;
    return area->mapTo(window.get(), QPoint(area->width() * x / 10, area->height() * y / 10));
  };
  const struct {
    const char* what;
    Qt::Orientation tiled;
    bool dragLayout;  // else the trace window's grabber
    int x, y;         // tenths of the docking area
    bool pages;
    QWidget* first;  // pages: the page shown; tiles: the left or upper form
    Qt::Orientation orientation;
  } cases[] = {
      {"side by side, the trace onto the middle", Qt::Horizontal, false, 3, 5, true, &trace,
       Qt::Horizontal},
      {"stacked, the layout onto the middle", Qt::Vertical, true, 5, 7, true, &layout,
       Qt::Horizontal},
      {"stacked, the layout onto the trace's left", Qt::Vertical, true, 1, 8, false, &layout,
       Qt::Horizontal},
      {"side by side, the layout onto the trace's top", Qt::Horizontal, true, 7, 1, false, &layout,
       Qt::Vertical},
  };
  for (const auto& c : cases) {
    window->MenuWindowTileClick(c.tiled);
    QCoreApplication::processEvents();
    ASSERT_TRUE(layout.Grabber()->isVisible()) << c.what;
    ASSERT_TRUE(trace.Grabber()->isVisible()) << c.what;
    // The form's own controls lie below its grabber.
    EXPECT_GE(layout.DrawPanel()->y(), TFDockForm::kGrabberHeight) << c.what;
    if (c.what == cases[0].what) {
      EXPECT_FALSE(SaveScreenshot(*window, "mainwindow_tiled_grabbers").isEmpty());
    }
    DragGrabber(c.dragLayout ? static_cast<TFDockForm&>(layout) : trace, areaPoint(c.x, c.y));
    QCoreApplication::processEvents();
    EXPECT_EQ(window->findChild<QWidget*>("DockPreview"), nullptr) << c.what;
    if (c.pages) {
      EXPECT_FALSE(ui.MainPageControl->isHidden()) << c.what;
      EXPECT_TRUE(ui.MainPanel->isHidden()) << c.what;
      EXPECT_EQ(ui.MainPageControl->count(), 2) << c.what;
      EXPECT_EQ(ui.MainPageControl->currentWidget(), c.first) << c.what;
      EXPECT_FALSE(layout.Grabber()->isVisible()) << c.what;
      EXPECT_FALSE(trace.Grabber()->isVisible()) << c.what;
      EXPECT_EQ(layout.DrawPanel()->y(), 0) << c.what;
      if (c.what == cases[0].what) {
        EXPECT_FALSE(SaveScreenshot(*window, "mainwindow_docked_back").isEmpty());
      }
    } else {
      EXPECT_TRUE(ui.MainPageControl->isHidden()) << c.what;
      EXPECT_EQ(ui.MainPanelSplitter->orientation(), c.orientation) << c.what;
      EXPECT_EQ(ui.MainPanelSplitter->widget(0), c.first) << c.what;
      EXPECT_TRUE(layout.Grabber()->isVisible()) << c.what;
    }
    window->MenuWindowTabClick();
  }
  // A click on a grabber, without a drag, moves nothing.
  window->MenuWindowTileClick(Qt::Horizontal);
  QTest::mouseClick(trace.Grabber(), Qt::LeftButton, {}, trace.Grabber()->rect().center());
  EXPECT_TRUE(ui.MainPageControl->isHidden());
  EXPECT_EQ(ui.MainPanelSplitter->widget(0), &layout);
}

}  // namespace
