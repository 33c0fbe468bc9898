// The dock area on its own: while a page tab drags its form over the other form, the preview
// shows where the form would go.
#include "hoopdesk/docking/dockarea.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QRubberBand>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>

#include "hoopdesk/docking/fdockform.h"

namespace {

class Form : public TFDockForm {
 public:
  Form(const char* title, QWidget* parent) : TFDockForm(parent) { setWindowTitle(title); }

 private:
  void OnBackColorItem(std::uint32_t) override {}
};

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton, buttons,
                Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

TEST(DockArea, TheDragPreviewCoversTheZoneUnderThePointer) {
  QWidget window;
  auto* pages = new QTabWidget(&window);
  auto* panel = new QWidget(&window);
  auto* tiles = new QSplitter(panel);
  auto* row = new QHBoxLayout(&window);
  row->addWidget(pages);
  row->addWidget(panel);
  panel->hide();
  auto* first = new Form("First", &window);
  auto* second = new Form("Second", &window);
  TDockArea area(pages, panel, tiles, {first, second});
  area.ShowAsPages();
  window.resize(600, 420);
  window.show();
  QApplication::processEvents();
  ASSERT_EQ(pages->currentWidget(), first);

  QTabBar* bar = pages->tabBar();
  const QPoint tab = bar->tabRect(1).center();
  const auto inPages = [&](QPoint at) { return bar->mapFrom(&window, pages->mapTo(&window, at)); };
  const auto preview = [&] { return window.findChild<QRubberBand*>("DockPreview"); };
  const QPoint origin = pages->mapTo(&window, QPoint(0, 0));
  const int w = pages->width();
  const int h = pages->height();

  Send(bar, QEvent::MouseButtonPress, tab, Qt::LeftButton);
  Send(bar, QEvent::MouseMove, inPages({w / 10, h / 2}), Qt::LeftButton);
  ASSERT_NE(preview(), nullptr);
  EXPECT_TRUE(preview()->isVisible());
  EXPECT_EQ(preview()->geometry(), QRect(origin, QSize(w / 2, h)));  // the left half

  Send(bar, QEvent::MouseMove, inPages({w / 2, h / 2}), Qt::LeftButton);
  EXPECT_EQ(preview()->geometry(),
            QRect(origin + QPoint(w / 5, h / 5), QSize(3 * (w / 5), 3 * (h / 5))));  // the middle

  Send(bar, QEvent::MouseMove, inPages({w - w / 10, h / 2}), Qt::LeftButton);
  EXPECT_EQ(preview()->geometry(), QRect(origin + QPoint(w / 2, 0), QSize(w - w / 2, h)));

  // Over the dragged form's own tab no form is under the pointer: nothing to show.
  Send(bar, QEvent::MouseMove, tab, Qt::LeftButton);
  EXPECT_FALSE(preview()->isVisible());

  Send(bar, QEvent::MouseButtonRelease, tab, Qt::NoButton);
  EXPECT_EQ(preview(), nullptr);
  EXPECT_FALSE(pages->isHidden());  // let go over no form: nothing moved
  EXPECT_EQ(pages->count(), 2);
}

}  // namespace
