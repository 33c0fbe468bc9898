// The trace window: its six frames, how they follow the panels and how they are tiled.
#include <gtest/gtest.h>

#include <QPointer>
#include <QScrollBar>
#include <array>

#include "hoopdesk/screenshot.h"
#include "traceworld.h"

namespace {

TEST(TraceWindow, SixMachinesGetHiddenFramesAndTheSeventhNone) {
  TraceWorld world;
  world.AddMachines(7);
  for (int d = 0; d < 6; ++d) {
    ASSERT_NE(world.Frame(d), nullptr) << d;
    EXPECT_EQ(world.trace->FindTraceFrame(d), d);
    EXPECT_EQ(world.Frame(d)->objectName(), QString("Frame%1").arg(d));
    EXPECT_TRUE(world.Frame(d)->isHidden());
  }
  EXPECT_EQ(world.trace->FindTraceFrame(6), -1);
  EXPECT_FALSE(world.trace->CreateTraceFrame(6));
  EXPECT_FALSE(world.trace->CreateTraceFrame(-1));
  // Operations on a machine without a frame do nothing.
  EXPECT_EQ(world.trace->LoadTraceDesign(6, "x.10o"), 0);
  world.trace->SetTraceProgress(6, 0x11, 10, 0, 60, 1, 100);
  world.trace->CompleteTrace(6, true, 1);
}

TEST(TraceWindow, ScrollingKeepsTheFramesThatStayInView) {
  TraceWorld world;
  world.AddMachines(7);
  world.WriteSentDesign("0000007.10o", 2, 400, "star");
  world.panels.GetMachine(6)->sewingFile = "0000007.10o";
  std::array<QPointer<TFTraceFrame>, 6> before;
  for (int d = 0; d < 6; ++d) before[static_cast<std::size_t>(d)] = world.Frame(d);
  const int slotOfMachine0 = world.trace->FindTraceFrame(0);

  world.fake.log.clear();
  world.trace->UpdateTraceFrames(1, 6);
  TraceWorld::Settle();

  EXPECT_TRUE(before[0].isNull());  // machine 0 left the view
  EXPECT_EQ(world.Frame(0), nullptr);
  for (int d = 1; d < 6; ++d) EXPECT_EQ(world.Frame(d), before[static_cast<std::size_t>(d)]) << d;
  ASSERT_NE(world.Frame(6), nullptr);
  EXPECT_EQ(world.trace->FindTraceFrame(6), slotOfMachine0);
  // The new machine's frame shows the design it sews and its progress from the server.
  EXPECT_FALSE(world.Frame(6)->isHidden());
  EXPECT_GT(world.Frame(6)->Trace().Total, 300);
  EXPECT_TRUE(world.fake.Logged("GetProgress 7"));

  world.trace->UpdateTraceFrames(0, 6);  // and back
  TraceWorld::Settle();
  EXPECT_NE(world.Frame(0), nullptr);
  EXPECT_EQ(world.Frame(6), nullptr);
  for (int d = 1; d < 6; ++d) EXPECT_EQ(world.Frame(d), before[static_cast<std::size_t>(d)]) << d;
}

// Panels scrolled onto slots whose machines have no record: those slots keep a machine index
// but no frame, and tiling and every operation must pass them by.
TEST(TraceWindow, SlotsOfMachinesWithoutARecordAreNotTiled) {
  TraceWorld world;
  world.AddMachines(3);
  world.trace->UpdateTraceFrames(4, 6);  // machines 4..9 do not exist
  TraceWorld::Settle();
  for (int d = 0; d < 10; ++d) EXPECT_EQ(world.Frame(d), nullptr) << d;
  world.trace->TileTraceFrames();
  world.trace->ShowTraceFrame(5, true);
  world.trace->SetTraceProgress(5, 0x11, 10, 0, 60, 1, 100);
  EXPECT_EQ(SewnTotal(world, 5, "x.10o"), 0);

  world.trace->UpdateTraceFrames(0, 6);  // machines 0..2 exist again, 3..5 do not
  TraceWorld::Settle();
  for (int d = 0; d < 3; ++d) EXPECT_NE(world.Frame(d), nullptr) << d;
  world.trace->resize(800, 628);
  // Three frames: a 2 x 2 grid above the legend, in machine order.
  const int h = (628 - 28) / 2;
  EXPECT_EQ(world.Frame(0)->geometry(), QRect(0, 0, 400, h));
  EXPECT_EQ(world.Frame(1)->geometry(), QRect(400, 0, 400, h));
  EXPECT_EQ(world.Frame(2)->geometry(), QRect(0, h, 400, h));
  EXPECT_EQ(world.trace->findChild<QWidget*>("PanelFoot")->geometry(), QRect(0, 600, 800, 28));
}

TEST(TraceWindow, FiveFramesTileThreeByTwoAndOneFillsTheWindow) {
  TraceWorld world;
  world.AddMachines(1);
  world.trace->resize(900, 628);
  EXPECT_EQ(world.Frame(0)->geometry(), QRect(0, 0, 900, 600));
  world.AddMachines(5);
  world.trace->TileTraceFrames();
  for (int d = 0; d < 5; ++d)
    EXPECT_EQ(world.Frame(d)->geometry(), QRect(d % 3 * 300, d / 3 * 300, 300, 300)) << d;
}

// A machine removed from the list while its frame traces (a port scan, or a server event
// during a call): the frame goes on without the record.
TEST(TraceWindow, AFrameWhoseMachineIsGoneDrawsWithoutItsRecord) {
  TraceWorld world;
  world.AddMachines(2);
  world.WriteSentDesign("0000001.10o", 0, 600, "rose");
  ASSERT_GT(world.StartSewing(1, "0000001.10o"), 0);
  world.panels.RemoveAllMachines();
  world.trace->SetTraceProgress(1, 0x11, 50, 0, 60, 2, 0);
  world.trace->CompleteTrace(1, true, 2);
  world.Frame(1)->Redraw();
  EXPECT_EQ(world.trace->LoadTraceDesign(1, "0000001.10o"), 0);
  EXPECT_EQ(SewnTotal(world, 1, "0000001.10o"), 0);
  world.trace->UpdateTraceFrames(0, 2);
}

TEST(TraceWindow, BackColourReachesEveryFrame) {
  TraceWorld world;
  world.AddMachines(2);
  world.WriteSentDesign("0000001.10o", 1, 300, "heart");
  world.StartSewing(0, "0000001.10o");
  world.trace->ChangeBackColor(kBackGray);
  EXPECT_EQ(world.trace->BackColor(), kBackGray);
  for (int d = 0; d < 2; ++d) EXPECT_EQ(world.Frame(d)->Color(), kBackGray);
  auto* image = world.Frame(0)->findChild<QWidget*>("DrawImg");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->grab().toImage().pixelColor(3, 3), QColor(0x80, 0x80, 0x80));
}

TEST(TraceWindow, ScreenshotWithThreeMachines) {
  TraceWorld world;
  world.AddMachines(3);
  world.WriteSentDesign("0000001.10o", 0, 1500, "Rose");
  world.WriteSentDesign("0000002.10o", 2, 1200, "Star");
  world.WriteSentDesign("0000003.10o", 3, 900, "Spiral");
  world.trace->resize(760, 640);

  const std::int32_t rose = world.StartSewing(0, "0000001.10o");
  for (int p = 0; p <= rose * 2 / 3; p += 37)
    world.trace->SetTraceProgress(0, 0x11, p, 0, 72, 3, rose);
  world.trace->SetTraceMemory(0, 18250);

  const std::int32_t star = world.StartSewing(1, "0000002.10o");
  world.trace->SetTraceProgress(1, 0x11, star / 3, 0, 60, 1, star);
  world.trace->SetTraceProgress(1, 0x1E, star / 3, 278 + 4, 0, 1, star);
  world.trace->SetTraceMemory(1, 20110);

  const std::int32_t spiral = world.StartSewing(2, "0000003.10o");
  world.trace->SetTraceProgress(2, 0x11, spiral - 1, 0, 90, 6, spiral);
  world.trace->SetTraceProgress(2, 0x13, spiral, 0, 0, 6, spiral);
  world.trace->CompleteTrace(2, true, 6);
  world.trace->SetTraceMemory(2, 30000);

  EXPECT_FALSE(SaveScreenshot(*world.trace, "trace_three_machines").isEmpty());
}

}  // namespace
