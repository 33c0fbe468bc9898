// The main window with a real PelService and a simulated machine on TCP loopback: a design
// queued and sent, the machine sews it and its trace frame follows stitch by stitch, until the
// machine's alarm turns the frame's status bar red with "Error" and the alarm's text.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <chrono>
#include <thread>

#include "hoopdesk/designmaker.h"
#include "hoopdesk/mainwindow/pelloraworld.h"
#include "hoopdesk/pumpuntil.h"
#include "hoopdesk/screenshot.h"
#include "hoopdesk/trace/ftrace.h"
#include "hoopdesk/trace/ftraceframe.h"
#include "hoopdesk/trace/tracestatusbar.h"
#include "pelsrvapi/machinemessages.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/messages.h"
#include "serverprocess.h"
#include "simhost.h"
#include "tracepixels.h"

namespace {

TEST(TraceWithAMachine, TheTraceFollowsTheSewingUntilTheAlarmTurnsItRed) {
  ServerWorld server;
  ASSERT_GT(server.Start({}), 0);
  ASSERT_NE(server.Attach(), nullptr) << server.Stderr(1);
  PelloraWorld world;
  platform::SetMessageTextSource(ServiceMessageText);
  sim::TSimConfig config;
  config.persona = sim::Persona::kAlarm;
  config.alarmCode = 6;
  config.sewStep = 40;
  SimHost machine(config);

  TPelloraOptions options = world.Options();
  options.connector = ConnectPelService;
  auto window = std::make_unique<TFPellora>(options);
  window->resize(1022, 752);
  window->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->TimerActive(); }, 20000));

  TPanelManager& panels = window->Panels();
  ASSERT_TRUE(panels.AddMachine(0, machine.ConnInfo(), "sim"));
  panels.ArrangePanels();
  panels.ShowMachinesFrom(0);
  ASSERT_TRUE(PumpUntil([&] { return panels.IsOnline(0); }));
  panels.QueueDesign(0, -1, designmaker::MakeDesign(0, 1200, 500, "Rose", 1));
  ASSERT_EQ(panels.QueuedDesignCount(0), 1);
  ASSERT_TRUE(machine.Do([](sim::TSimMachine& m) { m.OfferTransfer(); }));

  // The machine names the file it received: the frame loads it and shows it.
  TFTrace& trace = window->Trace();
  ASSERT_TRUE(PumpUntil([&] {
    const TFTraceFrame* f = trace.TraceFrame(0);
    return f != nullptr && f->IsShown() && f->Trace().Total > 0;
  }));
  QPointer<TFTraceFrame> frame = trace.TraceFrame(0);
  const std::int32_t total = frame->Trace().Total;
  // The file-name requests the machine had when it took the last block: the server asks again
  // after the transfer ends or at the first report, whichever it reaches first.
  std::size_t asked = 0;
  ASSERT_TRUE(PumpUntil([&] {
    bool done = false;
    machine.Do([&](sim::TSimMachine& m) {
      done = m.TransferComplete();
      const std::vector<std::uint8_t> codes = m.CommandCodes();
      asked = static_cast<std::size_t>(std::count(codes.begin(), codes.end(), 0xE0));
    });
    return done;
  }));
  const auto* bar = static_cast<const TTraceStatusBar*>(frame->findChild<QWidget*>("StatusBar"));
  // The machine has all blocks; the server and then the desktop learn it a moment later, and
  // only then does the design leave its queue.
  ASSERT_TRUE(PumpUntil([&] { return panels.QueuedDesignCount(0) == 0; }));
  EXPECT_EQ(bar->PanelText(0), "Start");

  // Sewing starts at stitch 0; by then the server has asked the machine again which file it
  // sews, and the frame loads it anew. The trace runs from there.
  const auto fileNameRequests = [&] {
    std::size_t n = 0;
    machine.Do([&](sim::TSimMachine& m) {
      const std::vector<std::uint8_t> codes = m.CommandCodes();
      n = static_cast<std::size_t>(std::count(codes.begin(), codes.end(), 0xE0));
    });
    return n;
  };
  // The operator looks at the trace window's page.
  window->Ui().MainPageControl->setCurrentWidget(&trace);
  machine.Do([](sim::TSimMachine& m) {
    m.StartSewing();
    m.Tick();
  });
  // When the server asks again depends on how its replies and polls interleave, so the request
  // is waited for briefly but not required: the frame holds the design either way.
  PumpUntil([&] { return fileNameRequests() > asked; }, std::chrono::seconds(3));
  PumpUntil([] { return false; }, std::chrono::milliseconds(300));
  ASSERT_GT(frame->Trace().Total, 0);
  EXPECT_EQ(frame->Trace().CurStitch, 0);
  std::int32_t last = 0;
  int lastPixels = ColouredPixels(frame);
  int steps = 0;
  while (!bar->IsAlarm()) {
    bool sewing = false;
    ASSERT_TRUE(machine.Do([&](sim::TSimMachine& m) { sewing = m.Tick(); }));
    ASSERT_TRUE(PumpUntil([&] { return frame->Trace().CurStitch > last || bar->IsAlarm(); }))
        << "the trace stopped at " << last << " of " << total;
    if (bar->IsAlarm()) break;
    const int pixels = ColouredPixels(frame);
    EXPECT_GT(pixels, lastPixels) << "at stitch " << frame->Trace().CurStitch;
    EXPECT_EQ(bar->PanelText(0), "Running");
    last = frame->Trace().CurStitch;
    lastPixels = pixels;
    ++steps;
    ASSERT_TRUE(sewing);
    ASSERT_LT(steps, 200);
  }
  EXPECT_GE(steps, 3);
  EXPECT_EQ(bar->PanelText(0), "Error");
  EXPECT_EQ(bar->PanelText(1).toStdString(), MachineMessageText(kMsgAlarmBase + 6));
  EXPECT_FALSE(bar->PanelText(1).isEmpty());
  trace.resize(700, 600);
  EXPECT_FALSE(SaveScreenshot(trace, "trace_machine_alarm").isEmpty());

  window.reset();
  platform::SetMessageTextSource({});
}

}  // namespace
