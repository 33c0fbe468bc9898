// The real hoopdesk on a virtual X server: it starts PelService through its registration, finds
// two simulated machines on loopback by discovery and connects them; a second start hands a
// design file over and ends with exit code 1; a screenshot shows the window. A machine that sews
// the handed-over design shows its trace advancing in the tiled trace window, until its alarm
// turns the trace's status bar red; xdotool works the menu and screenshots show the result.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hoopdesk/e2e/e2ekit.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;

// Writes the star design and hands it over for machine 1 to the running program by a second
// start, which ends with exit code 1; the running program takes the hand-over file away.
::testing::AssertionResult HandOverDesign(const std::filesystem::path& root,
                                          const std::string& errors,
                                          std::chrono::milliseconds limit) {
  const std::filesystem::path design = root / "star.10o";
  if (!WriteDesign(design)) return ::testing::AssertionFailure() << "cannot write " << design;
  ::testing::AssertionResult result = ::testing::AssertionSuccess();
  const pid_t second_start = Spawn({HOOPDESK_PATH, design.string() + "/1"}, errors);
  const int code = WaitExitCode(second_start, limit);
  if (code != 1) {
    if (code < 0 && second_start > 0) {
      ::kill(second_start, SIGKILL);
      ::waitpid(second_start, nullptr, 0);
    }
    result = ::testing::AssertionFailure() << "a hand-over ends with exit code 1, not " << code;
  }
  const std::filesystem::path param = root / "home" / "param.txt";
  if (!WaitUntil([&] { return !std::filesystem::exists(param); }, limit)) {
    if (result) result = ::testing::AssertionFailure();
    result << "; the running program did not take the hand-over";
  }
  return result;
}

class HoopdeskEndToEnd : public e2e::World {};

TEST_F(HoopdeskEndToEnd, DiscoversTwoMachinesAndTakesAHandOver) {
  const std::filesystem::path root = world.root();

  TTwoMachines machines;
  sim::TSimTcpMachine& first = machines.first;
  ASSERT_TRUE(machines.agent->Ok());

  const std::string errors = (root / "hoopdesk.err").string();
  const pid_t running = Spawn({HOOPDESK_PATH}, errors);
  ASSERT_GT(running, 0);
  std::unique_ptr<rpc::PelSrvClient> server = world.Attach(30s);
  ASSERT_NE(server, nullptr) << "hoopdesk did not start PelService";
  EXPECT_TRUE(MachinesConnected(*server, 2, 30s));
  EXPECT_TRUE(first.WaitFor([](sim::TSimMachine& m) { return !m.Commands().empty(); }, 10s));

  EXPECT_TRUE(HandOverDesign(root, errors, 30s));

  std::this_thread::sleep_for(1500ms);
  const std::string shot = std::string(PELLORA_SCREENSHOT_DIR) + "/hoopdesk_end_to_end.png";
  std::filesystem::create_directories(PELLORA_SCREENSHOT_DIR);
  const pid_t grab = Spawn({GRAB_PATH, shot}, errors);
  EXPECT_EQ(WaitExitCode(grab, 20s), 0);

  ::kill(running, SIGTERM);
  EXPECT_GE(WaitExitCode(running, 20s), 0);
  server.reset();
}

// Pixels inside `area` drawn dark: the trace draws the sewn stitches black over the light grey
// of those still to sew.
int SewnPixels(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
    for (int x = area.left(); x <= area.right() && x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() < 96 && c.green() < 96 && c.blue() < 96) ++count;
    }
  return count;
}

// Pixels inside `area` in a colour, not a grey: the trace frame's highlighted header.
int ColouredPixels(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
    for (int x = area.left(); x <= area.right() && x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() != c.green() || c.green() != c.blue()) ++count;
    }
  return count;
}

// Rows inside `area` holding a run of at least `run` pure red pixels: a red status bar.
int RedRows(const QImage& image, const QRect& area, int run) {
  int rows = 0;
  for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y) {
    int longest = 0;
    int current = 0;
    for (int x = area.left(); x <= area.right() && x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      current = c.red() == 255 && c.green() == 0 && c.blue() == 0 ? current + 1 : 0;
      longest = std::max(longest, current);
    }
    if (longest >= run) ++rows;
  }
  return rows;
}

TEST_F(HoopdeskEndToEnd, TracesASewingMachineUntilItsAlarmTurnsTheStatusBarRed) {
  if (!std::filesystem::exists("/usr/bin/xdotool")) GTEST_SKIP() << "needs xdotool";
  const std::filesystem::path root = world.root();

  // The machine sews only when the test ticks it, four stitches a step, and raises alarm 6
  // half way through the design.
  sim::TSimConfig config;
  config.wire = sim::Wire::kTcp;
  config.persona = sim::Persona::kAlarm;
  config.alarmCode = 6;
  config.sewStep = 4;
  sim::TSimTcpMachine machine(config, {std::chrono::milliseconds(1000), std::chrono::hours(1)});
  const auto agent = AnnounceMachines(
      {sim::MachineUrl("127.0.0.1", machine.Port(), "SIM-1", "02:00:00:00:00:01")});
  ASSERT_TRUE(agent->Ok());

  const std::string errors = (root / "hoopdesk.err").string();
  TChildren children;
  const pid_t running = children.Add(Spawn({HOOPDESK_PATH}, errors));
  ASSERT_GT(running, 0);
  std::unique_ptr<rpc::PelSrvClient> server = world.Attach(15s);
  ASSERT_NE(server, nullptr) << "hoopdesk did not start PelService";
  ASSERT_TRUE(MachinesConnected(*server, 1, 15s));
  EXPECT_TRUE(machine.WaitFor([](sim::TSimMachine& m) { return !m.Commands().empty(); }, 5s));

  // The operator queues the design on machine 1 and tiles the trace window beside the layout
  // through the Window menu.
  ASSERT_TRUE(HandOverDesign(root, errors, 10s));
  EXPECT_TRUE(XdoTool({"mousemove", "125", "8", "click", "1", "sleep", "0.5", "key", "h"}, errors));

  // The machine asks for the design and receives it.
  machine.Call([](sim::TSimMachine& m) { m.OfferTransfer(); });
  ASSERT_TRUE(machine.WaitFor([](sim::TSimMachine& m) { return m.TransferComplete(); }, 10s))
      << "the machine did not receive the design";
  const std::uint32_t total =
      machine.Get<std::uint32_t>([](sim::TSimMachine& m) { return m.Header().total; });
  EXPECT_GT(total, 72u);
  // The server then asks the machine which design it holds.
  EXPECT_TRUE(machine.WaitFor(
      [](sim::TSimMachine& m) {
        const std::vector<std::uint8_t> codes = m.CommandCodes();
        const auto end = std::find(codes.rbegin(), codes.rend(), 0x43);
        return end != codes.rend() && std::find(codes.rbegin(), end, 0xE0) != end;
      },
      5s))
      << "no file-name request after the transfer";

  // The trace window is the right half of the area left of the panels: below its 16-pixel
  // grabber the frame's header, then its picture, and its status bar at its foot.
  const QRect traceArea(358, 56, 340, 584);
  const QRect headerArea(358, 38, 340, 12);
  const QRect footArea(352, 600, 350, 150);
  const std::string shots = PELLORA_SCREENSHOT_DIR;
  std::filesystem::create_directories(shots);

  // The Window menu tiled the trace window: its frame's header shows there.
  const QImage tiled = GrabUntil(
      shots + "/hoopdesk_end_to_end_trace_tiled.png", errors,
      [&](const QImage& i) { return ColouredPixels(i, headerArea) > 2000; }, 8s);
  ASSERT_FALSE(tiled.isNull()) << "no trace window beside the layout";

  // Before the sewing, only the needle's cross is drawn dark.
  const int unsewn = SewnPixels(tiled, traceArea);

  // The machine starts sewing and reports its stitches.
  machine.Call([](sim::TSimMachine& m) {
    m.StartSewing();
    m.Tick();
  });
  for (int i = 0; i < 2; ++i) machine.Call([](sim::TSimMachine& m) { m.Tick(); });

  // The trace grows as the machine sews on.
  const QImage early = GrabUntil(
      shots + "/hoopdesk_end_to_end_trace_sewing.png", errors,
      [&](const QImage& i) { return SewnPixels(i, traceArea) > unsewn + 50; }, 8s);
  ASSERT_FALSE(early.isNull()) << "no stitch traced";
  const int earlyPixels = SewnPixels(early, traceArea);
  for (int i = 0; i < 3; ++i) machine.Call([](sim::TSimMachine& m) { m.Tick(); });
  const QImage later = GrabUntil(
      shots + "/hoopdesk_end_to_end_trace_sewing_later.png", errors,
      [&](const QImage& i) { return SewnPixels(i, traceArea) > earlyPixels + 200; }, 8s);
  EXPECT_FALSE(later.isNull()) << "the trace did not advance from " << earlyPixels
                               << " sewn pixels";
  EXPECT_EQ(RedRows(later, footArea, 150), 0) << "red before the alarm";

  // The machine sews on until its alarm; the trace's status bar turns red.
  bool sewing = true;
  for (int i = 0; i < 40 && sewing; ++i)
    sewing = machine.Get<bool>([](sim::TSimMachine& m) { return m.Tick(); });
  const QImage alarm = GrabUntil(
      shots + "/hoopdesk_end_to_end_trace_alarm.png", errors,
      [&](const QImage& i) { return RedRows(i, footArea, 150) >= 8; }, 8s);
  EXPECT_FALSE(alarm.isNull()) << "no red status bar after the alarm";
  EXPECT_LT(machine.Get<std::uint32_t>([](sim::TSimMachine& m) { return m.SewnStitches(); }), total)
      << "the alarm stopped the machine half way";

  ::kill(running, SIGTERM);
  EXPECT_GE(FinishChild(running, 10s), 0);
  server.reset();
}

}  // namespace
