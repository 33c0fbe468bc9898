// The windows that show machines while the machine list changes under them: machines found on
// different timer ticks, released and started again by the port dialog. The colour frame and the
// layout window look a machine's palette up at each use, so nothing reads or writes the freed
// records of a list that has moved (AddressSanitizer would report it here).
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/screenshot.h"
#include "hoopdesk/slp/foundmachine.h"
#include "pelloraworld.h"

namespace {

slp::TFoundMachine Found(int k) {
  slp::TFoundMachine entry;
  entry.port = htons(static_cast<std::uint16_t>(9100 + k));
  entry.address = htonl(0x7F000001);
  entry.name = "SIM-" + std::to_string(k + 1);
  return entry;
}

// Uses the frame as the operator does: the palette painted, needle 1's check box clicked. The
// click must reach the palette of the machine chosen now.
void PaintAndClickNeedle(TFPellora& window, int machine) {
  TFColorFrame* frame = window.Ui().FMainColorFrame;
  frame->MachineCB()->setCurrentIndex(machine);
  frame->ThreadColorChoice()->click();
  ASSERT_FALSE(frame->grab().isNull());
  ASSERT_FALSE(window.Layout().grab().isNull());  // drawn in the machine's colours
  auto* check = frame->findChild<QCheckBox*>("Check0");
  ASSERT_NE(check, nullptr);
  const bool before = window.Panels().GetMachine(machine)->palette.GetFlag(0);
  check->click();
  EXPECT_NE(window.Panels().GetMachine(machine)->palette.GetFlag(0), before);
  ASSERT_FALSE(frame->grab().isNull());
}

TEST(MachineList, ColourTabFollowsMachinesFoundOnDifferentTicks) {
  PelloraWorld world;
  auto window = world.StartWindow();
  ASSERT_TRUE(window->AddDesignToLayout(
      QString::fromStdString((world.Work() / "rose.10o").string()), 0, 0));
  window->Ui().PageControl->setCurrentWidget(window->Ui().TabColor);
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    // What the timer does with one answer on one tick.
    ASSERT_TRUE(window->MergeFoundMachine(Found(k)));
    world.fake.FireStatus(window->Panels().GetMachine(k)->cookie, SEW_IDLE);
    window->UpdateMachineList(false);
    window->UpdateTabControls();
    QCoreApplication::processEvents();
    PaintAndClickNeedle(*window, 0);
    PaintAndClickNeedle(*window, k);
  }

  // The port dialog's release and restart rebuild the list from scratch.
  ASSERT_TRUE(window->ReleaseMachines(false));
  ASSERT_FALSE(window->Ui().FMainColorFrame->grab().isNull());
  window->StartMachines(false);
  for (int k = 0; k < 3; ++k) ASSERT_TRUE(window->MergeFoundMachine(Found(k)));
  window->UpdateMachineList(false);
  window->UpdateTabControls();
  PaintAndClickNeedle(*window, 2);
}

TEST(MachineList, AnotherMachineRedrawsTheLayoutAndLeavesNoChangeBehind) {
  PelloraWorld world;
  world.SerialMachines(2);
  auto window = world.StartWindow();
  ASSERT_TRUE(window->AddDesignToLayout(
      QString::fromStdString((world.Work() / "rose.10o").string()), 0, 0));
  window->Ui().PageControl->setCurrentWidget(window->Ui().TabColor);
  TFColorFrame* frame = window->Ui().FMainColorFrame;
  frame->ThreadColorChoice()->click();
  // Machine 2's needles all in one colour, so the layout shows which machine it is drawn for.
  TColorInfo& second = window->Panels().GetMachine(1)->palette;
  for (int i = 0; i < second.GetCount(); ++i) second.SetColor(i, 0x00FF00);
  QCoreApplication::processEvents();
  const QImage before = window->Layout().DrawPanel()->grab().toImage();
  frame->TakeChanged();
  frame->MachineCB()->setCurrentIndex(1);
  EXPECT_FALSE(frame->TakeChanged()) << "the change of machine was taken as it was made";
  QCoreApplication::processEvents();
  EXPECT_NE(window->Layout().DrawPanel()->grab().toImage(), before);
  // So a later press on the palette, which changes nothing, asks for no redraw.
  QTest::mouseClick(frame->PanelSrcColor(), Qt::LeftButton, {}, QPoint(120, 18));
  EXPECT_FALSE(frame->TakeChanged());
  // The second block marked: outlined in the frame, inverted in the layout.
  QTest::mouseClick(frame->PanelDstColor(), Qt::LeftButton, {}, QPoint(50, 58));
  QTest::qWait(20);
  EXPECT_FALSE(SaveScreenshot(*window, "mainwindow_color_marked").isEmpty());
}

// A folder refresh brings the tab's controls up to date as a page change does: on the Colour
// tab, a machine found since is chosen in the frame once the shown folder changes.
TEST(MachineList, AFolderRefreshSetsTheColourTabUp) {
  PelloraWorld world;
  auto window = world.StartWindow();
  TFColorFrame* frame = window->Ui().FMainColorFrame;
  window->Ui().PageControl->setCurrentWidget(window->Ui().TabColor);
  ASSERT_TRUE(frame->ThreadColorChoice()->isHidden());
  ASSERT_TRUE(window->MergeFoundMachine(Found(0)));
  window->UpdateMachineList(false);
  ASSERT_EQ(frame->MachineCB()->currentIndex(), -1);
  ASSERT_TRUE(WriteFlower(world.Work() / "tulip.10o", 8, 250));
  QTRY_COMPARE_WITH_TIMEOUT(window->Browser().FileList().size(), 3, 3000);
  EXPECT_FALSE(frame->ThreadColorChoice()->isHidden());
  EXPECT_EQ(frame->MachineCB()->currentIndex(), 0);
}

}  // namespace
