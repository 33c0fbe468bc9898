// The real hoopdesk on a virtual X server, handing over and closing: two second starts ten
// seconds apart while the running program sits in a modal dialog are both opened once it closes,
// nothing deleted unread; a second start that cannot write its file says why and ends with its
// own exit code; SIGTERM and SIGHUP save what "Exit" saves.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "hoopdesk/e2e/e2ekit.h"
#include "hoopdesk/startup/paramfile.h"
#include "platform/fileutil.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;

constexpr int kHandedOver = 1;
constexpr int kHandOverFailed = 2;

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The arguments the unread hand-over file holds; none when there is no file.
std::optional<std::vector<std::string>> UnreadArguments(const std::filesystem::path& param) {
  const auto bytes = platform::ReadFileBytes(param, TParamFile::kMaxFileSize);
  if (!bytes) return std::nullopt;
  return TParamFile::Decode(*bytes);
}

// Dark pixels in the ring between `inner` and `outer` pixels around the centre of `area`, off
// the centre lines and the needle mark there: stitches that come that near the centre.
int DarkPixelsInRing(const QImage& image, const QRect& area, int inner, int outer) {
  const QPoint centre = area.center();
  int count = 0;
  for (int y = centre.y() - outer; y <= centre.y() + outer; ++y)
    for (int x = centre.x() - outer; x <= centre.x() + outer; ++x) {
      const int dx = x - centre.x();
      const int dy = y - centre.y();
      const int d2 = dx * dx + dy * dy;
      if (d2 < inner * inner || d2 > outer * outer || std::abs(dx) < 4 || std::abs(dy) < 4 ||
          !image.valid(x, y))
        continue;
      const QColor c = image.pixelColor(x, y);
      if (c.red() < 96 && c.green() < 96 && c.blue() < 96) ++count;
    }
  return count;
}

using HandOverEndToEnd = e2e::Program;

TEST_F(HandOverEndToEnd, TwoStartsDuringAModalDialogAreBothOpenedWhenItCloses) {
  TTwoMachines machines;
  ASSERT_TRUE(machines.agent->Ok());
  const std::filesystem::path small = world.root() / "small.10o";
  const std::filesystem::path big = world.root() / "big.10o";
  ASSERT_TRUE(WriteDesign(small, 300));
  ASSERT_TRUE(WriteDesign(big, 1500));

  ASSERT_TRUE(StartRunning());
  std::unique_ptr<rpc::PelSrvClient> server = world.Attach(15s);
  ASSERT_NE(server, nullptr) << "hoopdesk did not start PelService";
  ASSERT_TRUE(MachinesConnected(*server, 2, 20s));

  ASSERT_TRUE(OpenSettingDialog("r", "Recent Files")) << "no Recent Files dialog";

  // The first start finds no unread file and ends at once; the second finds the first's file
  // still unread, waits for it to be taken, then adds its own arguments to it.
  const auto firstStarted = std::chrono::steady_clock::now();
  // Generous limits: a start under AddressSanitizer on a loaded machine takes seconds.
  EXPECT_EQ(FinishChild(Spawn({HOOPDESK_PATH, small.string() + "/1"}, errors), 30s), kHandedOver);
  std::this_thread::sleep_until(firstStarted + 10s);
  EXPECT_EQ(FinishChild(Spawn({HOOPDESK_PATH, big.string() + "/2"}, errors), 45s), kHandedOver);

  EXPECT_TRUE(WindowShown("Recent Files"));
  EXPECT_EQ(UnreadArguments(param),
            (std::vector<std::string>{small.string() + "/1", big.string() + "/2"}))
      << "nothing is read inside the dialog, and nothing is deleted unread";

  ASSERT_TRUE(TypeInto("Recent Files", {"Escape"}));
  EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(param); }, 10s))
      << "the hand-over was not taken after the dialog closed";

  // The layout shows the second design, the last one opened: no activation of the second start
  // cleared it afterwards. The layout fits the design it shows: the big star's points start near
  // its centre, the small one's only outside the ring.
  const std::string shots = PELLORA_SCREENSHOT_DIR;
  std::filesystem::create_directories(shots);
  const QRect layoutArea(4, 47, 696, 666);
  int ring = 0;
  EXPECT_TRUE(WaitUntil(
      [&] {
        const QImage shot = Grab(shots + "/hoopdesk_handover_after_dialog.png", errors);
        ring = shot.isNull() ? 0 : DarkPixelsInRing(shot, layoutArea, 50, 140);
        return ring > 500;
      },
      10s))
      << "the layout does not show the big design: " << ring << " dark pixels in the ring";

  // Both designs were opened and queued, each on its machine.
  std::set<int> extents;
  for (sim::TSimTcpMachine* machine : {&machines.first, &machines.second}) {
    machine->Call([](sim::TSimMachine& m) { m.OfferTransfer(); });
    EXPECT_TRUE(machine->WaitFor([](sim::TSimMachine& m) { return m.TransferComplete(); }, 15s))
        << "a machine received no design";
    extents.insert(machine->Get<int>([](sim::TSimMachine& m) { return m.Header().right; }));
  }
  EXPECT_EQ(extents, (std::set<int>{300, 1500}));

  ::kill(running, SIGTERM);
  EXPECT_EQ(FinishChild(running, 20s), 0);
  server.reset();
}

// The data folder turns read-only after the first start: the second start cannot write its
// file, says so on standard error and in a box, and ends with its own code.
TEST_F(HandOverEndToEnd, ASecondStartThatCannotWriteSaysWhyAndEndsWithItsOwnCode) {
  ASSERT_TRUE(StartRunning());
  std::unique_ptr<rpc::PelSrvClient> server = world.Attach(15s);
  ASSERT_NE(server, nullptr);

  ASSERT_EQ(::chmod(home.c_str(), 0500), 0);
  std::vector<std::string> start = {HOOPDESK_PATH, (world.root() / "rose.10o").string()};
  // Root writes into any folder: without the capabilities that allow it, it meets the mode too.
  if (::geteuid() == 0) {
    if (!std::filesystem::exists("/usr/bin/setpriv")) GTEST_SKIP() << "needs setpriv as root";
    start.insert(start.begin(),
                 {"/usr/bin/setpriv", "--bounding-set", "-dac_override,-dac_read_search",
                  "--inh-caps", "-dac_override,-dac_read_search"});
  }
  const std::string secondErrors = (world.root() / "second.err").string();
  const pid_t second = children.Add(Spawn(start, secondErrors));
  ASSERT_GT(second, 0);

  EXPECT_TRUE(WaitUntil([&] { return WindowShown("Hoopdesk: hand-over failed"); }, 15s) &&
              AnswerBox("Hoopdesk: hand-over failed"))
      << "no box that says why";
  EXPECT_EQ(FinishChild(second, 15s), kHandOverFailed);
  const std::string said = ReadText(secondErrors);
  EXPECT_NE(said.find("cannot write " + param.string() + ": Permission denied"), std::string::npos)
      << said;
  EXPECT_FALSE(std::filesystem::exists(param));

  ASSERT_EQ(::chmod(home.c_str(), 0700), 0);
  ::kill(running, SIGTERM);
  EXPECT_EQ(FinishChild(running, 20s), 0);
  server.reset();
}

// What one run leaves in the settings store and the system colour table, after it changed the
// table and was ended by `end`.
class HandOverEndToEndSignals : public HandOverEndToEnd {
 protected:
  struct TSaved {
    std::string settings;
    std::string colours;
  };

  // The files, or none with *why set.
  std::optional<TSaved> RunAndEnd(const std::function<void()>& end, std::string* why) {
    std::filesystem::remove(rpc::SettingsFilePath().toStdString());
    std::filesystem::remove(home / "SysColor.dat");
    auto fail = [&](const char* step) {
      *why = step;
      return std::nullopt;
    };
    if (!rpc::RegisterServer(PELSERVICE_PATH)) return fail("cannot register PelService");
    if (!StartRunning()) return fail("no window");
    if (!world.Attach(15s)) return fail("no PelService");
    // Deletes the first stitch colour in "Stitch & Machine Color": the table must be saved.
    if (!OpenSettingDialog("s", "Color Setting")) return fail("no Color Setting dialog");
    if (!TypeInto("Color Setting", {"alt+d", "alt+o"}) ||
        !WaitUntil([&] { return !WindowShown("Color Setting"); }, 5s))
      return fail("the Color Setting dialog did not close");
    end();
    const int code = FinishChild(running, 20s);
    if (code != 0) {
      *why = "exit code " + std::to_string(code);
      return std::nullopt;
    }
    return TSaved{ReadText(rpc::SettingsFilePath().toStdString()), ReadText(home / "SysColor.dat")};
  }
};

TEST_F(HandOverEndToEndSignals, TermAndHangUpSaveWhatExitSaves) {
  std::string why;
  // "E&xit" in the File menu, again when a key came before the menu.
  const auto exited = RunAndEnd(
      [&] {
        for (int attempt = 0; attempt < 3; ++attempt) {
          XdoTool({"mousemove", "20", "8", "click", "1", "sleep", "0.5", "key", "x"}, errors);
          if (WaitUntil([&] { return RunningEnded(); }, 5s)) return;
          XdoTool({"key", "Escape"}, errors);
        }
      },
      &why);
  ASSERT_TRUE(exited) << "the run ended by Exit: " << why;
  EXPECT_NE(exited->settings.find("PanelWidth="), std::string::npos) << exited->settings;
  EXPECT_NE(exited->colours.find("[SysColor]"), std::string::npos) << exited->colours;

  for (const int signal : {SIGTERM, SIGHUP}) {
    const auto ended = RunAndEnd([&] { ::kill(running, signal); }, &why);
    ASSERT_TRUE(ended) << "the run ended by " << sigabbrev_np(signal) << ": " << why;
    EXPECT_EQ(ended->settings, exited->settings) << sigabbrev_np(signal);
    EXPECT_EQ(ended->colours, exited->colours) << sigabbrev_np(signal);
  }
}

}  // namespace
