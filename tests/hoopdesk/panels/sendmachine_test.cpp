// The panel manager sending queued designs through a real PelService to simulated machines on
// TCP loopback: the machine rebuilds the design's records and the design leaves its queue after
// the normal end; a busy machine keeps it queued with one file pair written; a machine alarm
// blinks on the sew button and the machine information shows its text.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "designmaker.h"
#include "hoopdesk/dialogs/fconninfo.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/pumpuntil.h"
#include "hoopdesk/quiethost.h"
#include "panelfixture.h"
#include "pelsrvapi/messageids.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/messages.h"
#include "serverprocess.h"
#include "shared/frmmarlow.h"
#include "shared/getserial.h"
#include "sim/simline.h"
#include "simhost.h"

namespace {

sim::TSimConfig WithPersona(sim::Persona persona) {
  sim::TSimConfig config;
  config.persona = persona;
  return config;
}

class SendMachineTest : public testing::Test {
 protected:
  explicit SendMachineTest(sim::TSimConfig config = {}) : machine_(std::move(config)) {
    platform::SetMessageTextSource(ServiceMessageText);
    platform::SetMessageBoxHandler([this](platform::MessageBoxKind, const std::string&,
                                          const std::string& text) { boxes_.push_back(text); });
  }
  ~SendMachineTest() override {
    platform::SetMessageBoxHandler({});
    platform::SetMessageTextSource({});
  }
  void SetUp() override {
    ASSERT_GT(world_.Start({}), 0);
    ASSERT_NE(world_.Attach(), nullptr) << world_.Stderr(1);
    sendFolder_ = world_.root() / "home" / "SendData";
    SetSerialFolder(sendFolder_.string() + "/");
    panels_.SetSendFolder(sendFolder_.string() + "/");
    ASSERT_TRUE(panels_.ConnectService());
    ASSERT_TRUE(panels_.AddMachine(0, machine_.ConnInfo(), "sim"));
    ASSERT_TRUE(PumpUntil([&] { return panels_.IsOnline(0); }));
    design_ = designmaker::MakeDesign(0, 600, 500, "rose", 1);
    panels_.QueueDesign(0, -1, design_);
    ASSERT_EQ(panels_.QueuedDesignCount(0), 1);
  }
  void Offer() {
    // The machine side of the connection may still be coming up.
    ASSERT_TRUE(
        PumpUntil([&] { return machine_.Do([](sim::TSimMachine& m) { m.OfferTransfer(); }); }));
  }
  int SendFiles() const {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(sendFolder_))
      n += entry.path().extension() == ".10o" || entry.path().extension() == ".00o" ? 1 : 0;
    return n;
  }

  ServerWorld world_;
  SimHost machine_;
  TPanelManager panels_;
  std::filesystem::path sendFolder_;
  TStitchItem design_;
  std::vector<std::string> boxes_;
};

TEST_F(SendMachineTest, MachineRebuildsTheDesignAndItLeavesTheQueueAfterTheNormalEnd) {
  Offer();
  ASSERT_TRUE(PumpUntil([&] { return panels_.QueuedDesignCount(0) == 0; }));
  EXPECT_FALSE(panels_.IsMachineBusy(0));
  EXPECT_EQ(panels_.GetMachine(0)->alarmMode, 0);
  TStitchItem expected = design_;
  expected.LimitMoves();
  const std::vector<std::uint8_t> records = TStitchFormatMarlow::EncodeRecords(expected);
  ASSERT_GT(records.size(), 3u * 500);
  ASSERT_TRUE(PumpUntil([&] {
    bool done = false;
    machine_.Do([&](sim::TSimMachine& m) { done = m.TransferComplete(); });
    return done;
  }));
  machine_.Do([&](sim::TSimMachine& m) {
    EXPECT_TRUE(m.Faults().empty()) << testing::PrintToString(m.Faults());
    EXPECT_EQ(m.RebuiltStream(), records);
  });
  // The name the machine acknowledges is the file written for it.
  ASSERT_TRUE(PumpUntil([&] { return !panels_.GetMachine(0)->sewingFile.empty(); }));
  EXPECT_TRUE(std::filesystem::exists(sendFolder_ / panels_.GetMachine(0)->sewingFile));
  EXPECT_EQ(SendFiles(), 2);
  EXPECT_TRUE(boxes_.empty()) << testing::PrintToString(boxes_);
}

class BusyMachineTest : public SendMachineTest {
 protected:
  BusyMachineTest() : SendMachineTest(WithPersona(sim::Persona::kBusy)) {}
};

TEST_F(BusyMachineTest, KeepsTheDesignQueuedAndOneFilePairWritten) {
  for (int round = 0; round < 2; ++round) {
    Offer();
    ASSERT_TRUE(PumpUntil([&] { return panels_.GetMachine(0)->alarmMode == 2; })) << round;
    EXPECT_EQ(panels_.QueuedDesignCount(0), 1);
    EXPECT_FALSE(panels_.IsMachineBusy(0));
    EXPECT_TRUE(panels_.GetMachine(0)->queue.GetItem(0)->Saved);
    EXPECT_EQ(SendFiles(), 2);
    // The busy alarm clears itself after its blink steps.
    for (int t = 0; t < 12; ++t) panels_.PollMachines(t);
    EXPECT_EQ(panels_.GetMachine(0)->alarmMode, 0);
  }
}

class AlarmMachineTest : public SendMachineTest {
 protected:
  AlarmMachineTest() : SendMachineTest(WithPersona(sim::Persona::kAlarm)) {}
};

TEST_F(AlarmMachineTest, AlarmBlinksAndTheMachineInformationShowsItsText) {
  Offer();
  ASSERT_TRUE(PumpUntil([&] { return panels_.QueuedDesignCount(0) == 0; }));
  machine_.Do([](sim::TSimMachine& m) {
    m.StartSewing();
    while (m.Tick()) {
    }
  });
  ASSERT_TRUE(PumpUntil([&] { return panels_.GetMachine(0)->alarmMode == 1; }));
  std::vector<std::uint32_t> pictures;
  for (int t = 1; t <= 4; ++t) {
    panels_.PollMachines(t);
    pictures.push_back(panels_.GetMachine(0)->sewImage);
  }
  EXPECT_EQ(pictures, (std::vector<std::uint32_t>{kSewImageAlarm, kSewImageOnline, kSewImageAlarm,
                                                  kSewImageOnline}));
  const TMachineRecord& m = *panels_.GetMachine(0);
  TFConnInfo info(nullptr, TMachineInfoInput{0, m.cookie, m.connInfo, m.hostName, m.address},
                  panels_.GetService());
  const QString text = info.findChild<QLabel*>("StatusText")->text();
  EXPECT_FALSE(text.isEmpty());
}

// What the trace window is told of the machines' errors.
class ErrorTrace : public TQuietTraceSink {
 public:
  void SetTraceProgress(int, std::uint8_t, std::int32_t, std::int32_t error, std::int32_t,
                        std::int32_t, std::int32_t) override {
    errors.push_back(error);
  }
  void SetTraceState(int, std::uint8_t, std::int32_t, std::int32_t error) override {
    errors.push_back(error);
  }
  std::vector<std::int32_t> errors;
};

// Machines that do not finish a transfer, on a line the machine keeps alive: a machine that
// stops pulling blocks and a modem that never pulls one. The server ends the transfer after its
// wait for the next block request, and the panel shows the error (its alarm, the error's text in
// the machine information, and in the trace once the machine has reported a progress state)
// with the design still queued for the next send. A
// machine that answers with a cut record and falls silent is dropped by the server: it goes
// offline, and an offline machine loses its queue; the trace shows the disconnection.
struct FailingCase {
  const char* name;
  sim::Persona persona;
  bool offers;   // the machine asks for the design; else the operator presses send
  bool dropped;  // the server drops the line
  bool traced;   // the poll shows the error in the trace (the machine reported its progress)
};

class FailingMachineTest : public testing::TestWithParam<FailingCase> {
 protected:
  FailingMachineTest()
      : machine_(WithPersona(GetParam().persona),
                 sim::TLineTiming{std::chrono::milliseconds(1000), std::chrono::hours(1)}) {}
  void SetUp() override {
    ASSERT_GT(world_.Start({}), 0);
    ASSERT_NE(world_.Attach(), nullptr) << world_.Stderr(1);
    const std::filesystem::path folder = world_.root() / "home" / "SendData";
    SetSerialFolder(folder.string() + "/");
    panels_.SetSendFolder(folder.string() + "/");
    panels_.SetTraceSink(&trace_);
    ASSERT_TRUE(panels_.ConnectService());
    ASSERT_TRUE(panels_.AddMachine(0, machine_.ConnInfo(), "sim"));
    ASSERT_TRUE(PumpUntil([&] { return State() == SEW_IDLE; }));
    panels_.QueueDesign(0, -1, designmaker::MakeDesign(0, 900, 500, "rose", 1));
    ASSERT_EQ(panels_.QueuedDesignCount(0), 1);
  }
  TSewingState State() {
    TSewingState state = SEW_OFFLINE;
    panels_.GetService()->GetState(panels_.GetMachine(0)->cookie, &state);
    return state;
  }
  bool TraceShows(std::int32_t error) const {
    return std::find(trace_.errors.begin(), trace_.errors.end(), error) != trace_.errors.end();
  }

  ServerWorld world_;
  sim::TSimTcpMachine machine_;
  ErrorTrace trace_;
  TPanelManager panels_;
  BoxCatcher boxes_;
};

TEST_P(FailingMachineTest, TheTransferEndsWithAMessageOnThePanel) {
  const FailingCase& c = GetParam();
  if (c.offers)
    machine_.Call([](sim::TSimMachine& m) { m.OfferTransfer(); });
  else
    panels_.SendDesign(0);
  ASSERT_TRUE(PumpUntil([&] { return panels_.IsMachineBusy(0); }));
  // The server waits 30 s for a block request before it gives the transfer up.
  ASSERT_TRUE(PumpUntil([&] { return !panels_.IsMachineBusy(0); }, std::chrono::seconds(45)));
  const TMachineRecord& m = *panels_.GetMachine(0);
  if (c.dropped) {
    EXPECT_FALSE(m.online);
    EXPECT_EQ(m.sewImage, kSewImageOffline);
    EXPECT_EQ(m.queue.GetCount(), 0);
    EXPECT_TRUE(TraceShows(kMsgDisconnected)) << testing::PrintToString(trace_.errors);
    EXPECT_TRUE(boxes_.boxes.empty()) << testing::PrintToString(boxes_.boxes);
    return;
  }
  EXPECT_EQ(m.alarmMode, 1);
  ASSERT_EQ(m.queue.GetCount(), 1);
  EXPECT_TRUE(m.queue.GetItem(0)->Saved);
  EXPECT_TRUE(m.enabled);
  EXPECT_TRUE(m.canSend);
  EXPECT_EQ(State(), SEW_ERROR);
  std::vector<std::uint32_t> pictures;
  for (int t = 1; t <= 2; ++t) {
    panels_.PollMachines(t);
    pictures.push_back(panels_.GetMachine(0)->sewImage);
  }
  EXPECT_EQ(pictures, (std::vector<std::uint32_t>{kSewImageAlarm, kSewImageOnline}));
  EXPECT_EQ(TraceShows(kMsgNoResponse), c.traced) << testing::PrintToString(trace_.errors);
  const TMachineRecord& now = *panels_.GetMachine(0);
  TFConnInfo info(nullptr,
                  TMachineInfoInput{0, now.cookie, now.connInfo, now.hostName, now.address},
                  panels_.GetService());
  EXPECT_EQ(info.findChild<QLabel*>("StatusText")->text().toStdString(),
            platform::MessageText(kMsgNoResponse));
  EXPECT_TRUE(boxes_.boxes.empty()) << testing::PrintToString(boxes_.boxes);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, FailingMachineTest,
    testing::Values(FailingCase{"StopsPulling", sim::Persona::kStopsPulling, true, false, true},
                    FailingCase{"Modem", sim::Persona::kModem, false, false, false},
                    FailingCase{"CutRecord", sim::Persona::kTruncated, false, true, false}),
    [](const testing::TestParamInfo<FailingCase>& info) { return std::string(info.param.name); });

}  // namespace
