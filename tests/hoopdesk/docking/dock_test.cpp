// The dock forms: only dock forms dock, closing is refused, and a form dragged by its page tab
// onto the other form tiles them or makes them pages again.
#include <gtest/gtest.h>

#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>

#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/mainwindow/pelloraworld.h"
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

TEST(DockForm, OnlyDockFormsDockAndClosingIsRefused) {
  PelloraWorld world;
  auto window = world.StartWindow();
  TFLayout& layout = window->Layout();
  EXPECT_TRUE(layout.IsDockSite());
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

}  // namespace
