// The layout window inside the main window: loading, dragging designs within it, onto a
// machine panel and onto the trash, and pictures of the windows with designs.
#include "hoopdesk/layout/flayout.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/controls/dropdownbutton.h"
#include "hoopdesk/designmaker.h"
#include "hoopdesk/mainwindow/pelloraworld.h"
#include "hoopdesk/screenshot.h"

namespace {

namespace fs = std::filesystem;

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// A press, moves and a release of the left button, all delivered to the panel that took the
// press (as a grab does), points in its coordinates.
void Drag(QWidget* panel, QPoint from, QPoint to) {
  Send(panel, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Send(panel, QEvent::MouseMove, from + (to - from) / 3, Qt::NoButton, Qt::LeftButton);
  Send(panel, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  Send(panel, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

class LayoutWindow : public ::testing::Test {
 protected:
  LayoutWindow() {
    world.SerialMachines(2);
    designmaker::WriteNative(world.Work() / "tulip.10o",
                             designmaker::MakeDesign(0, 600, 220, "tulip"));
    designmaker::WriteNative(world.Work() / "heart.10o",
                             designmaker::MakeDesign(1, 600, 200, "heart"));
    window = world.StartWindow();
  }
  QString Path(const char* name) { return QString::fromStdString((world.Work() / name).string()); }
  TFLayout& Layout() { return window->Layout(); }
  QWidget* Panel() { return Layout().DrawPanel(); }
  void LoadTwo() {
    ASSERT_TRUE(window->AddDesignToLayout(Path("tulip.10o"), 0, 0));
    ASSERT_TRUE(window->AddDesignToLayout(Path("heart.10o"), 160, 40));
  }
  QPoint SelectedCentre() {
    TRect r;
    EXPECT_TRUE(Layout().Designs().GetSelectedRect(r));
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // Where a widget's centre is in the drawing panel's coordinates.
  QPoint CentreOf(QWidget* w) {
    return Panel()->mapFrom(window.get(), w->mapTo(window.get(), w->rect().center()));
  }
  TPoint Offset(int i) { return Layout().Designs().GetItem(i)->Offset; }

  PelloraWorld world;
  std::unique_ptr<TFPellora> window;
};

TEST_F(LayoutWindow, TheFirstFileNamesTheLayoutUntilItIsEmpty) {
  LoadTwo();
  EXPECT_EQ(Layout().FileNameEdit()->text(), "tulip");
  EXPECT_EQ(Layout().DesignCount(), 2);
  EXPECT_GT(Layout().CurrentDesign().GetColorCount(), 4);  // the merged design
  window->DeleteLayoutDesign(0);
  EXPECT_EQ(Layout().FileNameEdit()->text(), "tulip");
  window->DeleteLayoutDesign(0);
  EXPECT_EQ(Layout().FileNameEdit()->text(), "");
}

TEST_F(LayoutWindow, ALongTitleIsCutToItsBytesWithoutSplittingACharacter) {
  const std::string title =
      std::string(20, 'x') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
  ASSERT_TRUE(designmaker::WriteNative(world.Work() / (title + ".10o"),
                                       designmaker::MakeDesign(2, 300, 200, "t")));
  ASSERT_TRUE(window->AddDesignToLayout(
      QString::fromStdString((world.Work() / (title + ".10o")).string()), 0, 0));
  const QString shown = Layout().FileNameEdit()->text();
  EXPECT_EQ(shown, QString(20, 'x') + QString(5, QChar(0x00E9)));  // 30 bytes: a 6th would make 32
  EXPECT_EQ(window->LayoutFileName().size(), 30u);
}

TEST_F(LayoutWindow, ADragMovesTheDesignByExactlyThePointersDistance) {
  LoadTwo();
  ASSERT_EQ(Layout().Zoom(), 100);
  ASSERT_NE(Panel()->mapTo(window.get(), QPoint(0, 0)), QPoint(0, 0));  // the panel sits inside
  ASSERT_EQ(Layout().SelectedDesign(), 1);
  const TPoint before{Offset(1).x - Offset(0).x, Offset(1).y - Offset(0).y};
  const QPoint from = SelectedCentre();
  QTest::mousePress(Panel(), Qt::LeftButton, {}, from);
  QTest::mouseMove(Panel(), from + QPoint(10, 5));
  QTest::mouseMove(Panel(), from + QPoint(30, 20));
  QTest::mouseRelease(Panel(), Qt::LeftButton, {}, from + QPoint(30, 20));
  const TPoint after{Offset(1).x - Offset(0).x, Offset(1).y - Offset(0).y};
  EXPECT_EQ(after.x - before.x, 30);
  EXPECT_EQ(after.y - before.y, 20);
  EXPECT_EQ(window->Ui().ListBox->currentRow(), 1);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(LayoutWindow, AClickSelectsWithoutMovingOrQueueing) {
  LoadTwo();
  Layout().SelectDesign(-1);
  const TPoint before = Offset(0);
  TRect r = Layout().Designs().GetItem(0)->GetViewRect();
  const QPoint inFirst((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Send(Panel(), QEvent::MouseButtonPress, inFirst, Qt::LeftButton, Qt::LeftButton);
  Send(Panel(), QEvent::MouseButtonRelease, inFirst, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Layout().SelectedDesign(), 0);
  EXPECT_EQ(Offset(0), before);
  EXPECT_EQ(window->Panels().QueuedDesignCount(0), 0);
}

TEST_F(LayoutWindow, DroppedOnAMachinePanelTheCurrentDesignIsQueued) {
  LoadTwo();
  // The server reports the machine ready, which enables its panel as a drop target.
  world.fake.FireStatus(window->Panels().GetMachine(1)->cookie, SEW_IDLE);
  window->Ui().PageControl->setCurrentWidget(window->Ui().TabSend);
  QCoreApplication::processEvents();
  const int before = Layout().CurrentDesign().GetStitchSize(0);
  Drag(Panel(), SelectedCentre(), CentreOf(window->Ui().SendImg[1]));
  ASSERT_EQ(window->Panels().QueuedDesignCount(1), 1);
  EXPECT_EQ(window->Panels().GetMachine(1)->queue.GetItem(0)->GetStitchSize(0), before);
  EXPECT_EQ(Layout().DesignCount(), 2);
}

TEST_F(LayoutWindow, DroppedOnTheTrashTheDesignGoesAndOutsideNothingHappens) {
  LoadTwo();
  Drag(Panel(), SelectedCentre(), CentreOf(window->Ui().TabStitch));
  EXPECT_EQ(Layout().DesignCount(), 2);
  EXPECT_FALSE(window->Ui().TrashBtn->Active());
  Drag(Panel(), SelectedCentre(), CentreOf(window->Ui().TrashBtn));
  EXPECT_EQ(Layout().DesignCount(), 1);
  EXPECT_EQ(window->Ui().ListBox->count(), 1);
  EXPECT_FALSE(window->Ui().TrashBtn->Active());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(LayoutWindow, AThumbnailDraggedOntoTheLayoutAddsItsDesignThere) {
  const TFPelloraUi& ui = window->Ui();
  ui.PageControl->setCurrentWidget(ui.TabStitch);
  if (!window->Browser().FolderTreeVisible()) window->Browser().FoldersBtnClick();
  // The first folder was chosen before the server was connected: choose it again.
  window->Browser().ShowFolder(QString::fromStdString(world.Home().string()));
  window->Browser().ShowFolder(QString::fromStdString(world.Work().string()));
  QCoreApplication::processEvents();
  const QString folder = QString::fromStdString(world.Work().string());
  ASSERT_EQ(window->Browser().DesignDir(), folder);
  // The server was told the folder.
  EXPECT_NE(std::find(world.fake.log.begin(), world.fake.log.end(),
                      "SetDirectory " + world.Work().string()),
            world.fake.log.end());
  const int index = static_cast<int>(window->Browser().FileList().indexOf("heart.10o"));
  ASSERT_GE(index, 0);
  ASSERT_LT(index, 8);
  QLabel* image = ui.Img[index];
  const QPoint from = image->rect().center();
  const QPoint to = image->mapFrom(window.get(), Panel()->mapTo(window.get(), QPoint(200, 150)));
  Send(image, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Send(image, QEvent::MouseMove, from + QPoint(-60, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_NE(window->findChild<QLabel*>("ThumbDragImage"), nullptr);
  Send(image, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  Send(image, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(window->findChild<QLabel*>("ThumbDragImage"), nullptr);
  ASSERT_EQ(Layout().DesignCount(), 1);
  EXPECT_EQ(Layout().FileNameEdit()->text(), "heart");
  EXPECT_EQ(ui.ListBox->count(), 1);
  EXPECT_EQ(window->Browser().SelectedThumb(), index);
  EXPECT_TRUE(ui.SetColBtn->isEnabled());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  // A release outside the layout adds nothing.
  Send(image, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Send(image, QEvent::MouseMove, from + QPoint(0, 60), Qt::NoButton, Qt::LeftButton);
  Send(image, QEvent::MouseButtonRelease, from + QPoint(0, 60), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Layout().DesignCount(), 1);
}

TEST_F(LayoutWindow, ScreenshotsWithTwoDesignsMerged) {
  for (int i = 0; i < 6; ++i) {
    const std::string name = "Spring " + std::to_string(i + 1);
    designmaker::WriteNative(world.Work() / (name + ".10o"),
                             designmaker::MakeDesign(i, 2500, 600 + 50 * i, name, i));
  }
  window->Browser().FolderChanged();
  window->resize(1180, 780);
  ASSERT_TRUE(window->AddDesignToLayout(Path("Spring 1.10o"), 0, 0));
  ASSERT_TRUE(window->AddDesignToLayout(Path("Spring 2.10o"), 260, 60));
  window->Ui().FMainColorFrame->Setup(&Layout().CurrentDesign());
  QTest::qWait(30);
  EXPECT_FALSE(SaveScreenshot(Layout(), "layout_two_designs").isEmpty());
  const TFPelloraUi& ui = window->Ui();
  ui.PageControl->setCurrentWidget(ui.TabStitch);
  if (!window->Browser().FolderTreeVisible()) window->Browser().FoldersBtnClick();
  QCoreApplication::processEvents();
  ui.Img[3]->setFocus();
  QTest::mouseClick(ui.Img[3], Qt::LeftButton);
  QTest::qWait(30);
  EXPECT_FALSE(SaveScreenshot(*window, "hoopdesk_stitch_tab").isEmpty());
  ui.PageControl->setCurrentWidget(ui.TabColor);
  ui.FMainColorFrame->ThreadColorChoice()->click();
  QTest::qWait(30);
  EXPECT_FALSE(SaveScreenshot(*window, "hoopdesk_color_tab").isEmpty());
}

}  // namespace
