// Shared pieces of the panel manager tests: a catcher for the error boxes, a host that records
// what the panel manager asks of the windows around it, and a panel manager on a fake server
// with its own data and send folders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hoopdesk/fakeservice.h"
#include "hoopdesk/machines/sewndesign.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/quiethost.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/messages.h"
#include "serverprocess.h"
#include "shared/getserial.h"
#include "shared/stitch.h"

// Catches the error boxes the code under test shows, with the server's message texts.
class BoxCatcher {
 public:
  BoxCatcher() {
    platform::SetMessageTextSource(ServiceMessageText);
    platform::SetMessageBoxHandler(
        [this](platform::MessageBoxKind, const std::string&, const std::string& text) {
          boxes.push_back(text);
          if (during) during();
        });
  }
  ~BoxCatcher() {
    platform::SetMessageBoxHandler({});
    platform::SetMessageTextSource({});
  }
  std::vector<std::string> boxes;
  std::function<void()> during;  // runs while a box is open
};

// The window around the panel manager and the trace window in one, recording what they are
// asked.
class RecordingHost : public TQuietPanelHost, public TQuietTraceSink {
 public:
  // Frames are made while framesLeft allows.
  bool CreateTraceFrame(int devNo) override {
    traceFrames.push_back(devNo);
    if (framed.contains(devNo)) return true;
    if (framesLeft <= 0) return false;
    --framesLeft;
    framed.insert(devNo);
    return true;
  }
  void ShowTraceDesign(int devNo, const std::string& name) override {
    if (CreateTraceFrame(devNo)) traceDesigns.push_back(std::to_string(devNo) + " " + name);
  }
  // Reads the design as a frame does, when the machine has one.
  std::int32_t LoadTraceDesign(int devNo, const std::string& name) override {
    if (!framed.contains(devNo)) return 0;
    traceDesigns.push_back(std::to_string(devNo) + " " + name);
    TStitchItem design;
    return machines ? LoadSewnDesign(*machines, devNo, name, design).total : 0;
  }
  void ClearTraceCounters(int devNo) override { countersCleared.push_back(devNo); }
  void CompleteTrace(int devNo, bool normal, std::int32_t needle) override {
    completions.push_back({devNo, normal ? 1 : 0, needle});
  }
  void SetTraceProgress(int devNo, std::uint8_t state, std::int32_t, std::int32_t error,
                        std::int32_t, std::int32_t, std::int32_t) override {
    traceProgress.push_back({devNo, state, error});
  }
  void SetTraceState(int devNo, std::uint8_t state, std::int32_t position,
                     std::int32_t error) override {
    traceStates.push_back({devNo, state, position, error});
  }
  void MachineListRebuilt() override { ++rebuilt; }
  std::optional<TCookie> ShowMachineInfo(const TMachineInfoInput& machine) override {
    infoShown.push_back(machine.devNo);
    if (duringInfo) duringInfo();
    return infoAnswer;
  }

  TMachineSource* machines = nullptr;
  int framesLeft = 6;
  std::set<int> framed;
  std::vector<int> countersCleared;
  std::vector<std::vector<int>> completions;  // machine, normal, needle
  std::vector<int> traceFrames;
  std::vector<std::string> traceDesigns;
  std::vector<std::vector<int>> traceProgress;  // machine, state, error
  std::vector<std::vector<int>> traceStates;    // machine, state, position, error
  std::vector<int> infoShown;
  int rebuilt = 0;
  std::optional<TCookie> infoAnswer;
  std::function<void()> duringInfo;
};

// A panel manager linked to a fake server, in a data folder of its own.
class PanelWorld : public testing::Test {
 protected:
  PanelWorld() : panels_(FakeConnector(fake_)) {
    panels_.SetHost(&host_);
    panels_.SetTraceSink(&host_);
    host_.machines = &panels_;
    sendFolder_ = std::filesystem::path(std::getenv("PELLORA_HOME")) / "SendData";
    SetSerialFolder(sendFolder_.string() + "/");
    panels_.SetSendFolder(sendFolder_.string() + "/");
  }
  void Connect() {
    ASSERT_TRUE(panels_.ConnectService());
    fake_.log.clear();
  }
  // Connects `count` serial machines and reports them idle.
  void ConnectIdle(int count) {
    Connect();
    for (int i = 0; i < count; ++i) {
      TConnInfo info{};
      info.port = static_cast<std::uint16_t>(i);
      info.baudRate = 19200;
      ASSERT_TRUE(panels_.AddMachine(i, info, ""));
      fake_.FireStatus(panels_.GetMachine(i)->cookie, SEW_IDLE);
    }
    fake_.log.clear();
  }
  int Logged(const std::string& prefix) const {
    int n = 0;
    for (const std::string& line : fake_.log) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  int SendFiles() const {
    int n = 0;
    if (std::filesystem::exists(sendFolder_))
      for (const auto& entry : std::filesystem::directory_iterator(sendFolder_))
        n += entry.file_size() > 0 ? 1 : 0;
    return n;
  }

  ServerWorld world_;
  TFakeService fake_;
  RecordingHost host_;
  TPanelManager panels_;
  std::filesystem::path sendFolder_;
};
