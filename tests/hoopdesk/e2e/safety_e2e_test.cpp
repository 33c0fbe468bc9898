// The real hoopdesk (built with AddressSanitizer in the test build) as a shop runs it: machines
// found on different timer ticks while the Color tab shows them, the port dialog releasing and
// restarting them, hand-overs while a box is open, a machine server that stalls or is killed,
// and a machine that offers transfers while the server answers busy. The program must never
// read freed memory, never freeze, and heal by itself.
#include <signal.h>
#include <sys/types.h>

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hoopdesk/e2e/e2ekit.h"
#include "rpc/publication.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;

constexpr int kHandedOver = 1;

// Where the window (placed at 0, 0 with its default size) shows what the tests click and look at.
struct TScreen {
  static constexpr const char* kColorTab[] = {"793", "32"};
  static constexpr const char* kSendTab[] = {"908", "32"};
  static constexpr const char* kStitchTab[] = {"736", "32"};
  static constexpr const char* kThreadColor[] = {"875", "62"};
  static constexpr const char* kFirstNeedleCheck[] = {"720", "377"};
  static constexpr const char* kSecondNeedleRow[] = {"800", "417"};
  // Slot k's panel picture and the corner of its machine picture on the Send tab.
  static QPoint Panel(int k) { return {805, 95 + 92 * k}; }
  static QPoint MachinePicture(int k) { return {1005, 58 + 92 * k}; }
};

bool Is(const QImage& image, QPoint at, QRgb rgb) {
  return image.valid(at) && (image.pixel(at) & 0xFFFFFF) == (rgb & 0xFFFFFF);
}
// Panel pictures: white with the queue while the machine takes designs, a silver box while it
// is offline; machine pictures on pale yellow online, on light grey offline.
bool PanelsOnline(const QImage& image, int count) {
  for (int k = 0; k < count; ++k)
    if (!Is(image, TScreen::Panel(k), 0xFFFFFF) ||
        !Is(image, TScreen::MachinePicture(k), qRgb(255, 255, 170)))
      return false;
  return true;
}
bool PanelsOffline(const QImage& image, int count) {
  for (int k = 0; k < count; ++k)
    if (!Is(image, TScreen::Panel(k), 0xC0C0C0) ||
        !Is(image, TScreen::MachinePicture(k), qRgb(233, 233, 233)))
      return false;
  return true;
}

// Prints how long something took, for the figures of a run.
void Report(const char* what, std::chrono::steady_clock::duration took) {
  std::printf(
      "%s after %lld ms\n", what,
      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Machines say they are there every second (the server drops a line silent for 6 s) and sew
// only when a test ticks them.
const sim::TLineTiming kLive{std::chrono::milliseconds(1000), std::chrono::hours(1)};

sim::TSimConfig Tcp(sim::Persona persona = sim::Persona::kNormal, std::uint8_t syncFlag = 0) {
  sim::TSimConfig config;
  config.wire = sim::Wire::kTcp;
  config.persona = persona;
  config.syncFlag = syncFlag;
  if (syncFlag != 0) config.machineType = 0x20;  // only these models sew in a group
  return config;
}

// A design of `stitches` stitches round a circle of `radius` (0.1 mm).
bool WriteCircle(const std::filesystem::path& path, int stitches, int radius) {
  TStitchItem d;
  d.Points.push_back({sfStart, 0, 0});
  for (int s = 0; s <= stitches; ++s) {
    const double a = 6.2831853 * s / 72;
    const int r = radius - (s % 7) * radius / 20;
    d.Points.push_back(
        {sfStitch, static_cast<int>(r * std::cos(a)), static_cast<int>(r * std::sin(a))});
  }
  d.Points.push_back({sfEnd, 0, 0});
  d.SetColorCount();
  return TStitchFormatMarlow::Save(path.string(), d, nullptr);
}

class SafetyEndToEnd : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    if (IsSkipped()) return;
    shots = PELLORA_SCREENSHOT_DIR;
    std::filesystem::create_directories(shots);
  }

  std::vector<std::string> Url(sim::TSimTcpMachine& machine, int n) {
    return {sim::MachineUrl("127.0.0.1", machine.Port(), "SIM-" + std::to_string(n),
                            "02:00:00:00:00:0" + std::to_string(n))};
  }
  bool Click(const char* const at[2]) {
    return XdoTool({"mousemove", at[0], at[1], "click", "1", "sleep", "0.3"}, errors);
  }
  // A second start that hands `argument` over; its exit code.
  int HandOver(const std::string& argument) {
    return FinishChild(Spawn({HOOPDESK_PATH, argument}, errors), 20s);
  }
  // A hand-over that the running program took.
  ::testing::AssertionResult HandedOver(const std::string& argument) {
    const int code = HandOver(argument);
    if (code != kHandedOver) return ::testing::AssertionFailure() << "exit code " << code;
    if (!WaitUntil([&] { return !std::filesystem::exists(param); }, 10s))
      return ::testing::AssertionFailure() << "the hand-over was not taken";
    return ::testing::AssertionSuccess();
  }
  // The discovery agent announcing the machines as SIM-1, SIM-2, ...
  std::unique_ptr<sim::TSimSlpAgent> Announce(std::vector<sim::TSimTcpMachine*> machines,
                                              std::chrono::milliseconds gap = 0ms) {
    std::vector<std::string> urls;
    for (std::size_t i = 0; i < machines.size(); ++i)
      urls.push_back(Url(*machines[i], static_cast<int>(i + 1)).front());
    return AnnounceMachines(urls, gap);
  }
  // The program started, with the server it started attached and `count` machines online.
  std::unique_ptr<rpc::PelSrvClient> StartWithMachinesOnline(int count) {
    if (!StartRunning()) return nullptr;
    std::unique_ptr<rpc::PelSrvClient> server = world.Attach(15s);
    if (!server || !MachinesOnline(*server, count, 20s)) return nullptr;
    return server;
  }
  static void StartSewing(sim::TSimTcpMachine& machine) {
    machine.Call([](sim::TSimMachine& m) {
      m.StartSewing();
      m.Tick();
    });
  }
  QImage Shot(const std::string& name) { return Grab(shots + "/" + name + ".png", errors); }
  QImage ShotUntil(const std::string& name, const std::function<bool(const QImage&)>& shows,
                   std::chrono::milliseconds limit) {
    return GrabUntil(shots + "/" + name + ".png", errors, shows, limit);
  }
  // The program runs on and no sanitizer has reported anything.
  ::testing::AssertionResult Healthy() {
    if (RunningEnded()) return ::testing::AssertionFailure() << "hoopdesk ended: " << Said();
    const std::string said = Said();
    for (const char* report : {"AddressSanitizer", "runtime error:", "LeakSanitizer"})
      if (said.find(report) != std::string::npos) return ::testing::AssertionFailure() << said;
    return ::testing::AssertionSuccess();
  }
  std::string Said() { return ReadText(errors); }
  ::testing::AssertionResult EndsOnTerm() {
    ::kill(running, SIGTERM);
    const int code = FinishChild(running, 20s);
    if (code == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "exit code " << code << ": " << Said();
  }
  // The machine asks for a design until one comes: the program takes a hand-over's file away
  // before it has opened and queued the design in it. True once a whole design was received.
  static bool ReceivesADesign(sim::TSimTcpMachine& machine) {
    return BeginsATransfer(machine) &&
           machine.WaitFor([](sim::TSimMachine& m) { return m.TransferComplete(); }, 20s);
  }
  // The same, until the design's header frame came.
  static bool BeginsATransfer(sim::TSimTcpMachine& machine) {
    for (int offer = 0; offer < 6; ++offer) {
      machine.Call([](sim::TSimMachine& m) { m.OfferTransfer(); });
      if (machine.WaitFor([](sim::TSimMachine& m) { return !m.Header().fileName.empty(); }, 2s))
        return true;
    }
    return false;
  }
  pid_t ServerPid() {
    const auto published = rpc::ReadPublication();
    return published ? published->pid : -1;
  }

  std::string shots;
};

// Three machines found one after another, each on a later tick, while the Color tab shows the
// palette of one of them and the operator clicks a needle check box after each; then the port
// dialog releases and restarts every machine while the tab still shows a palette.
TEST_F(SafetyEndToEnd, MachinesComeAndGoWhileTheColourTabShowsThem) {
  sim::TSimTcpMachine first(Tcp(), kLive), second(Tcp(), kLive), third(Tcp(), kLive);
  const auto agent = Announce({&first, &second, &third}, 2500ms);
  ASSERT_TRUE(agent->Ok());
  const std::filesystem::path circle = world.root() / "circle.10o";
  ASSERT_TRUE(WriteCircle(circle, 300, 400));

  ASSERT_TRUE(StartRunning());
  std::unique_ptr<rpc::PelSrvClient> server = world.Attach(15s);
  ASSERT_NE(server, nullptr);
  for (int count = 1; count <= 3; ++count) {
    SCOPED_TRACE(count);
    // At least that many: on a loaded machine two may come in one tick after all.
    std::int32_t connected = 0;
    ASSERT_TRUE(WaitUntil(
        [&] { return SUCCEEDED(server->MachineCount(&connected)) && connected >= count; }, 20s))
        << "machines connected: " << connected;
    // A design opened once the first machine is there: the frame shows it against that
    // machine's palette.
    if (count == 1) {
      ASSERT_TRUE(HandedOver(circle.string()));
    }
    std::this_thread::sleep_for(500ms);
    // The first machine stays chosen, its thread colours shown, a needle unticked (a hand-over
    // shows the Send tab: the Color tab is chosen again).
    ASSERT_TRUE(Click(TScreen::kColorTab));
    ASSERT_TRUE(Click(TScreen::kThreadColor));
    ASSERT_TRUE(Click(TScreen::kFirstNeedleCheck));
    ASSERT_TRUE(Click(TScreen::kSecondNeedleRow));
    EXPECT_FALSE(Shot("hoopdesk_safety_colour_" + std::to_string(count)).isNull());
    ASSERT_TRUE(Healthy());
  }

  // "Serial Port ...": a scan releases the machines, the close starts them again.
  ASSERT_TRUE(OpenSettingDialog("p", "Port"));
  ASSERT_TRUE(TypeInto("Port", {"alt+s"}));
  // Escape closes the dialog once the scan is over; a loaded machine may scan for longer.
  std::this_thread::sleep_for(3s);
  EXPECT_TRUE(WaitUntil(
      [&] {
        if (WindowShown("Port")) TypeInto("Port", {"Escape"});
        return WaitUntil([&] { return !WindowShown("Port"); }, 3s);
      },
      45s));
  EXPECT_TRUE(MachinesConnected(*server, 3, 30s));
  std::this_thread::sleep_for(500ms);
  ASSERT_TRUE(Click(TScreen::kColorTab));
  ASSERT_TRUE(Click(TScreen::kFirstNeedleCheck));
  ASSERT_TRUE(Click(TScreen::kSecondNeedleRow));
  EXPECT_FALSE(Shot("hoopdesk_safety_colour_after_port_dialog").isNull());
  EXPECT_TRUE(Healthy());
  EXPECT_TRUE(EndsOnTerm());
}

// A design is queued on a synchronised group by a hand-over; a second hand-over names a file
// that cannot be read, and its error box is open when a third arrives: that one waits for the
// box, then queues its design on the group. Each group member receives one file, the same one,
// and the machine outside the group none.
TEST_F(SafetyEndToEnd, AHandOverDuringAnErrorBoxWaitsAndQueuesOnTheGroup) {
  sim::TSimTcpMachine first(Tcp(sim::Persona::kNormal, 1), kLive),
      second(Tcp(sim::Persona::kNormal, 1), kLive), outside(Tcp(), kLive);
  const auto agent = Announce({&first, &second, &outside});
  ASSERT_TRUE(agent->Ok());
  const std::filesystem::path star = world.root() / "star.10o";
  const std::filesystem::path ring = world.root() / "ring.10o";
  ASSERT_TRUE(WriteDesign(star));
  ASSERT_TRUE(WriteCircle(ring, 200, 600));

  const auto server = StartWithMachinesOnline(3);
  ASSERT_NE(server, nullptr);
  std::this_thread::sleep_for(1s);  // the group forms as the machines report themselves

  ASSERT_TRUE(HandedOver(star.string() + "/1"));
  ASSERT_EQ(HandOver((world.root() / "missing.10o").string()), kHandedOver);
  ASSERT_TRUE(WaitUntil([&] { return WindowShown("Hoopdesk"); }, 10s)) << "no error box";
  ASSERT_EQ(HandOver(ring.string() + "/1"), kHandedOver);
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(std::filesystem::exists(param)) << "nothing is opened inside the box";
  ASSERT_TRUE(AnswerBox("Hoopdesk"));
  EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(param); }, 10s));
  ASSERT_TRUE(Healthy());

  ASSERT_TRUE(Click(TScreen::kSendTab));
  EXPECT_FALSE(Shot("hoopdesk_safety_group_queued").isNull());
  std::vector<std::string> names;
  for (sim::TSimTcpMachine* member : {&first, &second}) {
    EXPECT_TRUE(ReceivesADesign(*member));
    names.push_back(
        member->Get<std::string>([](sim::TSimMachine& m) { return m.Header().fileName; }));
  }
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], names[1]) << "one job, one file for the group";
  outside.Call([](sim::TSimMachine& m) { m.OfferTransfer(); });
  std::this_thread::sleep_for(2s);
  EXPECT_FALSE(outside.Get<bool>([](sim::TSimMachine& m) { return m.TransferComplete(); }));
  EXPECT_TRUE(Healthy());
  EXPECT_TRUE(EndsOnTerm());
}

// The server stops (SIGSTOP) for 20 s: within a call's deadline the program shows one notice and
// every machine offline, answers the operator meanwhile, and after SIGCONT the machines are
// online again without a restart; the notice goes.
TEST_F(SafetyEndToEnd, AStalledServerLeavesTheWindowWorkingAndComesBack) {
  sim::TSimTcpMachine first(Tcp(), kLive), second(Tcp(), kLive);
  const auto agent = Announce({&first, &second});
  ASSERT_TRUE(agent->Ok());
  std::unique_ptr<rpc::PelSrvClient> server = StartWithMachinesOnline(2);
  ASSERT_NE(server, nullptr);
  server.reset();  // the test's own client would hold the stopped server's answers
  ASSERT_TRUE(Click(TScreen::kSendTab));
  ASSERT_FALSE(
      ShotUntil(
          "hoopdesk_safety_stall_before", [](const QImage& i) { return PanelsOnline(i, 2); }, 10s)
          .isNull());

  const pid_t pid = ServerPid();
  ASSERT_GT(pid, 0);
  ASSERT_EQ(::kill(pid, SIGSTOP), 0);
  const auto stopped = std::chrono::steady_clock::now();
  const QImage down = ShotUntil(
      "hoopdesk_safety_stall_down",
      [&](const QImage& i) { return PanelsOffline(i, 2) && WindowShown("Hoopdesk"); }, 16s);
  const auto noticed = std::chrono::steady_clock::now() - stopped;
  EXPECT_FALSE(down.isNull()) << "no notice and offline panels";
  EXPECT_EQ(CountWindows("Hoopdesk", errors), 1) << "one notice";
  Report("stalled server noticed", noticed);

  // The window answers the operator: the Stitch tab shows in place of the panels.
  ASSERT_TRUE(Click(TScreen::kStitchTab));
  EXPECT_FALSE(ShotUntil(
                   "hoopdesk_safety_stall_stitch_tab",
                   [](const QImage& i) { return !Is(i, TScreen::Panel(0), 0xC0C0C0); }, 5s)
                   .isNull());
  ASSERT_TRUE(Click(TScreen::kSendTab));
  EXPECT_EQ(CountWindows("Hoopdesk", errors), 1);

  std::this_thread::sleep_until(stopped + 20s);
  ASSERT_EQ(::kill(pid, SIGCONT), 0);
  const auto continued = std::chrono::steady_clock::now();
  const QImage back = ShotUntil(
      "hoopdesk_safety_stall_back", [](const QImage& i) { return PanelsOnline(i, 2); }, 30s);
  EXPECT_FALSE(back.isNull()) << "the machines did not come back online";
  Report("machines online again, SIGCONT", std::chrono::steady_clock::now() - continued);
  EXPECT_TRUE(WaitUntil([&] { return CountWindows("Hoopdesk", errors) == 0; }, 5s))
      << "the notice stays after the server came back";
  EXPECT_EQ(ServerPid(), pid) << "nothing was restarted";
  EXPECT_TRUE(Healthy());
  EXPECT_TRUE(EndsOnTerm());
}

// The server is killed while one machine is idle, one receives a design and one sews: within a
// second one notice and every panel offline; a new server is started and attached, the machines
// are online again, the design still queued is sent, and a hand-over after it is queued.
TEST_F(SafetyEndToEnd, AKilledServerIsReplacedAndNothingQueuedIsLost) {
  sim::TSimTcpMachine idle(Tcp(), kLive), sending(Tcp(sim::Persona::kStopsPulling), kLive),
      sewing(Tcp(), kLive);
  const auto agent = Announce({&idle, &sending, &sewing});
  ASSERT_TRUE(agent->Ok());
  const std::filesystem::path big = world.root() / "big.10o";
  const std::filesystem::path star = world.root() / "star.10o";
  ASSERT_TRUE(WriteCircle(big, 2000, 500));
  ASSERT_TRUE(WriteDesign(star));

  std::unique_ptr<rpc::PelSrvClient> server = StartWithMachinesOnline(3);
  ASSERT_NE(server, nullptr);
  ASSERT_TRUE(HandedOver(big.string() + "/2"));
  ASSERT_TRUE(HandedOver(star.string() + "/3"));
  ASSERT_TRUE(ReceivesADesign(sewing));
  StartSewing(sewing);
  ASSERT_TRUE(BeginsATransfer(sending));
  std::this_thread::sleep_for(1s);
  server.reset();
  ASSERT_TRUE(Click(TScreen::kSendTab));
  EXPECT_FALSE(Shot("hoopdesk_safety_kill_before").isNull());

  // The registration is taken away first, so the program can start no new server before the
  // test has seen the loss: it would heal within moments.
  const pid_t pid = ServerPid();
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(rpc::UnregisterServer());
  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  const auto killed = std::chrono::steady_clock::now();
  const QImage down = ShotUntil(
      "hoopdesk_safety_kill_down",
      [&](const QImage& i) { return PanelsOffline(i, 3) && WindowShown("Hoopdesk"); }, 5s);
  const auto noticed = std::chrono::steady_clock::now() - killed;
  EXPECT_FALSE(down.isNull()) << "no notice and offline panels";
  // The figure goes to the report; the bound only catches a loss noticed by the probe (every
  // 2 s, then a 5 s deadline) instead of by the closed socket.
  EXPECT_LT(noticed, 5s);
  Report("killed server noticed (screenshots included)", noticed);

  sending.Call([](sim::TSimMachine& m) { m.SetPersona(sim::Persona::kNormal); });
  ASSERT_TRUE(rpc::RegisterServer(PELSERVICE_PATH));
  const auto registered = std::chrono::steady_clock::now();
  const QImage back = ShotUntil(
      "hoopdesk_safety_kill_back", [](const QImage& i) { return PanelsOnline(i, 3); }, 30s);
  EXPECT_FALSE(back.isNull()) << "the machines did not come back online";
  Report("machines online again, the server startable",
         std::chrono::steady_clock::now() - registered);
  EXPECT_NE(ServerPid(), pid) << "a new server";
  server = world.Attach(15s);
  ASSERT_NE(server, nullptr);
  EXPECT_TRUE(MachinesOnline(*server, 3, 10s));

  // The design whose transfer the dead server took with it is still queued.
  sending.Call([](sim::TSimMachine& m) { m.OfferTransfer(); });
  EXPECT_TRUE(sending.WaitFor([](sim::TSimMachine& m) { return m.TransferComplete(); }, 20s));
  // A hand-over after the loss is queued and sent.
  ASSERT_TRUE(HandedOver(star.string() + "/1"));
  EXPECT_TRUE(ReceivesADesign(idle));
  EXPECT_TRUE(Healthy());
  server.reset();
  EXPECT_TRUE(EndsOnTerm());
}

// A sewing machine offers a transfer every half second while the server answers busy: never
// more than one "Try later again" box, and "E&xit" ends the program within 2 s.
TEST_F(SafetyEndToEnd, OffersWhileTheServerAnswersBusyRaiseOneBoxAndExitEnds) {
  sim::TSimConfig slow = Tcp();
  slow.sewStep = 1;  // the design lasts many ticks
  sim::TSimTcpMachine machine(slow, kLive);
  const auto agent = Announce({&machine});
  ASSERT_TRUE(agent->Ok());
  const std::filesystem::path star = world.root() / "star.10o";
  ASSERT_TRUE(WriteDesign(star));
  std::unique_ptr<rpc::PelSrvClient> server = StartWithMachinesOnline(1);
  ASSERT_NE(server, nullptr);
  ASSERT_TRUE(HandedOver(star.string() + "/1"));
  ASSERT_TRUE(ReceivesADesign(machine));
  // The machine sews on, a few stitches a tick, until the server knows it sews (or starts to):
  // before that the first offer would simply be served.
  StartSewing(machine);
  // A stitch every half second: a loaded server that polls late still finds the design sewing.
  TSewingState state = SEW_OFFLINE;
  auto lastTick = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitUntil(
      [&] {
        std::int32_t cookie = 0;
        if (SUCCEEDED(server->GetCookie(0, &cookie)) &&
            SUCCEEDED(server->GetState(cookie, &state)) &&
            (state == SEW_SEW_STARTING || state == SEW_SEWING))
          return true;
        if (std::chrono::steady_clock::now() - lastTick >= 500ms) {
          // A machine whose sewing ended before the server looked starts the design again.
          machine.Call([](sim::TSimMachine& m) {
            if (!m.Tick()) {
              m.StartSewing();
              m.Tick();
            }
          });
          lastTick = std::chrono::steady_clock::now();
        }
        return false;
      },
      20s))
      << "state " << state;
  ASSERT_TRUE(HandedOver(star.string() + "/1"));  // the next design waits its turn

  int most = 0;
  for (int offer = 0; offer < 12; ++offer) {
    machine.Call([](sim::TSimMachine& m) { m.OfferTransfer(); });
    std::this_thread::sleep_for(500ms);
    most = std::max(most, CountWindows("Hoopdesk", errors));
  }
  EXPECT_EQ(most, 1) << "one box at a time";

  // "E&xit" from the File menu while the offers go on.
  bool ended = false;
  std::chrono::steady_clock::duration took{};
  for (int attempt = 0; attempt < 5 && !ended; ++attempt) {
    machine.Call([](sim::TSimMachine& m) { m.OfferTransfer(); });
    if (WindowShown("Hoopdesk")) TypeInto("Hoopdesk", {"Return"});
    XdoTool({"mousemove", "20", "8", "click", "1", "sleep", "0.3", "key", "x"}, errors);
    const auto asked = std::chrono::steady_clock::now();
    ended = WaitUntil([&] { return RunningEnded(); }, 2s);
    took = std::chrono::steady_clock::now() - asked;
    if (!ended) XdoTool({"key", "Escape"}, errors);
  }
  EXPECT_TRUE(ended) << "E&xit did not end the program";
  EXPECT_LT(took, 2s);
  const std::string said = Said();
  EXPECT_EQ(said.find("AddressSanitizer"), std::string::npos) << said;
  EXPECT_EQ(FinishChild(running, 10s), 0);
  server.reset();
}

}  // namespace
