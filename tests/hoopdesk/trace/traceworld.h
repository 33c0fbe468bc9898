// A trace window under test: its own data folder with a send folder of real designs, a fake
// machine server, a panel manager with serial machines, and the trace window those machines
// ask for frames.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "hoopdesk/designmaker.h"
#include "hoopdesk/fakeservice.h"
#include "hoopdesk/machines/sewndesign.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/quiethost.h"
#include "hoopdesk/trace/ftrace.h"
#include "hoopdesk/trace/ftraceframe.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/messages.h"

class TraceWorld {
  QTemporaryDir dir_;  // first: everything else lives in it

 public:
  TraceWorld() : panels(FakeConnector(fake)) {
    ::setenv("PELLORA_HOME", Home().c_str(), 1);
    std::filesystem::create_directories(SendFolder());
    platform::SetMessageTextSource(ServiceMessageText);
    panels.SetSendFolder(SendFolder().string() + "/");
    trace = std::make_unique<TFTrace>(panels);
    trace->resize(700, 560);
    trace->show();
    panels.SetHost(&host);
    panels.SetTraceSink(trace.get());
    EXPECT_TRUE(panels.ConnectService());
  }
  ~TraceWorld() { platform::SetMessageTextSource({}); }

  std::filesystem::path Home() const { return std::filesystem::path(dir_.path().toStdString()); }
  std::filesystem::path SendFolder() const { return Home() / "SendData"; }

  // Serial machines 0 .. count - 1; each asks the trace window for a frame.
  void AddMachines(int count) {
    for (int d = panels.GetMachineCount(); d < count; ++d) {
      TConnInfo info{};
      info.port = static_cast<std::uint16_t>(d);
      ASSERT_TRUE(panels.AddMachine(d, info, ""));
    }
  }

  // A design of about `stitches` stitches written to the send folder as `name`, its colours
  // matched to machine 0's palette as sending does.
  void WriteSentDesign(const std::string& name, int kind, int stitches, const std::string& title) {
    TStitchItem design = designmaker::MakeDesign(kind, stitches, 600, title);
    const TColorInfo* palette =
        panels.GetMachineCount() > 0 ? &panels.GetMachine(0)->palette : nullptr;
    design.ColorMatch(palette);
    ASSERT_TRUE(TStitchFormatMarlow::Save((SendFolder() / name).string(), design, palette));
  }

  // Machine `d` sews `name`: the frame loads it, shows and starts, as the file-name
  // acknowledgement does.
  std::int32_t StartSewing(int d, const std::string& name) {
    panels.GetMachine(d)->sewingFile = name;
    const std::int32_t total = trace->LoadTraceDesign(d, name);
    trace->ShowTraceFrame(d, true);
    trace->SetTraceProgress(d, 0x12, 0, 0, 0, 0, 0);
    return total;
  }

  TFTraceFrame* Frame(int d) const { return trace->TraceFrame(d); }

  // Deletes the frames the window let go of.
  static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  TFakeService fake;
  TPanelManager panels;
  TQuietPanelHost host;
  std::unique_ptr<TFTrace> trace;
};

// The stitch total of a sent design for machine d, read as a frame reads it.
inline std::int32_t SewnTotal(TraceWorld& world, int d, const std::string& name) {
  TStitchItem design;
  return LoadSewnDesign(world.panels, d, name, design).total;
}
