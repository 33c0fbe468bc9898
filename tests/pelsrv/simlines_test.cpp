// The connection manager and its connections against the simulated machine on real lines: TCP
// loopback (the machine's own thread behind a socket) and, for serial lines, a pseudo-terminal
// that Portlink opens. The test thread plays the service's main loop.
#include <gtest/gtest.h>

#include "pelsrv/lines/commserial.h"
#include "pelsrv/lines/commtcpip.h"
#include "protocol_fixture.h"
#include "servicefixture.h"
#include "shared/frmmarlow.h"
#include "sim/simline.h"
#include "sim/simshopfloor.h"

namespace pelsrv_test {
namespace {

using namespace std::chrono_literals;
using sim::Persona;
using sim::TSimConfig;
using sim::TSimMachine;

bool Heard(TSimMachine& m, std::uint8_t code) {
  const auto codes = m.CommandCodes();
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// Keep-alives well inside the tests' short silence time-out.
constexpr sim::TLineTiming kChatty{150ms, 20ms};
// Transfers of the time-out tests wait this long for a block request.
constexpr std::chrono::milliseconds kTransferLimit{1000};

// Connects device `devNo` to `machine` and waits until the first exchange is done (the machine
// answered the identity and file-name requests and was asked for its progress).
TCommBase& Bring(ServiceHarness& service, sim::TSimLine& machine, const TConnInfo& info,
                 TDevNo devNo = 0) {
  const TCookie cookie = service.Connect(devNo, info);
  EXPECT_NE(cookie, 0);
  TCommBase* comm = service.main->FindByCookie(cookie);
  EXPECT_TRUE(service.PumpUntil([&] {
    return comm->IsOnline() && machine.Get<bool>([](TSimMachine& m) { return Heard(m, 0xD0); });
  }));
  service.PumpFor(50ms);
  return *comm;
}

// A serial machine answers nothing until it enquires ('E'), as a real one does after power-up.
TCommBase& BringSerial(ServiceHarness& service, sim::TSimPtyMachine& machine, TDevNo devNo = 0) {
  const TCookie cookie = service.Connect(devNo, machine.ConnInfo());
  EXPECT_NE(cookie, 0);
  TCommBase* comm = service.main->FindByCookie(cookie);
  EXPECT_TRUE(machine.WaitFor([](TSimMachine& m) { return Heard(m, 0x41); }));
  machine.Call([](TSimMachine& m) { m.Enquire(); });
  EXPECT_TRUE(service.PumpUntil(
      [&] { return machine.Get<bool>([](TSimMachine& m) { return Heard(m, 0xD0); }); }));
  service.PumpFor(100ms);
  return *comm;
}

// The machine offers a transfer and the client starts it at once, as the desktop program does.
bool Send(ServiceHarness& service, sim::TSimLine& machine, TCommBase& comm, int stitches = 1000) {
  const std::string start = "SendStart(" + std::to_string(comm.Cookie()) + ")";
  machine.Call([](TSimMachine& m) { m.OfferTransfer(); });
  if (!service.PumpUntil([&] { return Has(service.events, start); })) return false;
  return comm.StartTransfer(prototest::MakeDesign(stitches, 150), true);
}

// Waits until the machine holds the sent design, then has it sew.
bool StartSewing(ServiceHarness& service, sim::TSimLine& machine) {
  if (!service.PumpUntil([&] {
        return machine.Get<bool>([](TSimMachine& m) { return !m.HeldName().empty(); });
      })) {
    return false;
  }
  machine.Call([](TSimMachine& m) { m.StartSewing(); });
  return true;
}

class SimOverTcp : public ::testing::Test {
 protected:
  TCommBase& Bring(sim::TSimTcpMachine& machine, TDevNo devNo = 0) {
    return pelsrv_test::Bring(harness, machine, machine.ConnInfo(), devNo);
  }
  bool Send(sim::TSimLine& machine, TCommBase& comm) {
    return pelsrv_test::Send(harness, machine, comm);
  }
  bool WaitSendStop(const std::string& line, std::chrono::milliseconds timeout = 5s) {
    return harness.PumpUntil([&] { return Has(harness.events, line); }, timeout);
  }

  ServiceHarness harness;
};

TEST_F(SimOverTcp, ConnectIdentityTransferAndSewing) {
  sim::TSimTcpMachine machine({}, kChatty);
  TCommBase& comm = Bring(machine);
  EXPECT_EQ(machine.Get<std::vector<std::uint8_t>>([](TSimMachine& m) { return m.CommandCodes(); }),
            (std::vector<std::uint8_t>{0xD1, 0xE0, 0xD0}));
  EXPECT_TRUE(Has(harness.events, "SyncSetup(0,1,0)"));
  EXPECT_EQ(comm.EffectiveState(), SEW_IDLE);

  ASSERT_TRUE(Send(machine, comm));
  ASSERT_TRUE(WaitSendStop("SendStop(1,0)"));
  EXPECT_FALSE(comm.IsSending());
  ASSERT_TRUE(StartSewing(harness, machine));
  EXPECT_TRUE(machine.Get<bool>([](TSimMachine& m) { return m.TransferComplete(); }));
  EXPECT_TRUE(machine.Get<bool>([](TSimMachine& m) { return m.Faults().empty(); }));
  EXPECT_EQ(machine.Get<std::uint32_t>([](TSimMachine& m) { return m.Header().total; }), 1000u);
  EXPECT_GE(harness.events.Only("SendProgress").size(), 5u);

  ASSERT_TRUE(harness.PumpUntil([&] { return Has(harness.events, "Complete(1,1,1)"); }));
  EXPECT_EQ(comm.State(), SEW_COMPLETED);
  EXPECT_EQ(comm.Progress().nMax, 1000);
}

// The simulated shop's machines sew what they receive, reporting progress and completion, and
// every second design of this one stops with an alarm; once its operator has cleared it at the
// machine, the machine sews the rest, reports it completed and takes the next design.
TEST_F(SimOverTcp, ShopFloorMachineSewsWhatItReceivesAndAlarmsNowAndThen) {
  sim::TSimTcpMachine machine({}, kChatty);
  TShopFloorMachine floor({200ms, kChatty.sewTick, 2, 300ms});
  TCommBase& comm = Bring(machine);
  const auto look = [&] { machine.Call([&](TSimMachine& m) { floor.Look(m); }); };
  const auto sent = [&](int design) {
    harness.events.Take();
    return Send(machine, comm) && WaitSendStop("SendStop(1,0)") && harness.PumpUntil([&] {
      look();
      return floor.DesignsSewn() == design;
    });
  };
  ASSERT_TRUE(sent(1));
  ASSERT_TRUE(harness.PumpUntil([&] { return Has(harness.events, "Complete(1,1,1)"); }, 3s));
  EXPECT_GE(harness.events.Only("Progress").size(), 5u) << "progress on the way";
  EXPECT_EQ(comm.State(), SEW_COMPLETED);

  ASSERT_TRUE(sent(2));
  ASSERT_TRUE(harness.PumpUntil([&] { return comm.State() == SEW_ERROR; }, 3s));
  EXPECT_EQ(comm.GetError(), 284);
  ASSERT_TRUE(harness.PumpUntil(
      [&] {
        look();
        return comm.State() == SEW_COMPLETED;
      },
      3s))
      << "the machine sews the rest once the alarm is cleared";
  EXPECT_EQ(comm.GetError(), 0);
  ASSERT_TRUE(sent(3));
  ASSERT_TRUE(harness.PumpUntil([&] { return Has(harness.events, "Complete(1,1,1)"); }, 3s));
}

struct PersonaCase {
  const char* name;
  Persona persona;
  const char* sendStop;  // the transfer's end as the client hears it
  TSewingState state;    // afterwards
  std::int32_t error;
};

TEST(SimOverTcpPersonas, TransferOutcomeOfEveryPersonaThatTakesADesign) {
  const PersonaCase cases[] = {
      {"normal", Persona::kNormal, "SendStop(1,0)", SEW_IDLE, 0},
      {"busy", Persona::kBusy, "SendStop(1,2)", SEW_IDLE, 266},
      {"memory full", Persona::kMemoryFull, "SendStop(1,1)", SEW_REJECTED, 265},
      {"block again", Persona::kBlockAgain, "SendStop(1,0)", SEW_IDLE, 0},
      {"ends early", Persona::kEndsEarly, "SendStop(1,3)", SEW_IDLE, 0},
  };
  for (const PersonaCase& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceHarness service;
    TSimConfig config;
    config.persona = c.persona;
    config.atBlock = 2;
    sim::TSimTcpMachine machine(config, kChatty);
    TCommBase& comm = pelsrv_test::Bring(service, machine, machine.ConnInfo());
    ASSERT_TRUE(pelsrv_test::Send(service, machine, comm));
    ASSERT_TRUE(service.PumpUntil([&] { return Has(service.events, c.sendStop); }));
    EXPECT_FALSE(comm.IsSending());
    EXPECT_EQ(comm.State(), c.state);
    EXPECT_EQ(comm.GetError(), c.error);
  }
}

TEST_F(SimOverTcp, RejectingMachineIsRejectedWhileIdle) {
  TSimConfig config;
  config.persona = Persona::kRejecting;
  sim::TSimTcpMachine machine(config, kChatty);
  const TCookie cookie = harness.Connect(0, machine.ConnInfo());
  TCommBase* comm = harness.main->FindByCookie(cookie);
  ASSERT_TRUE(harness.PumpUntil([&] { return comm->State() == SEW_REJECTED; }));
  EXPECT_EQ(comm->GetError(), 266);
  EXPECT_TRUE(Has(harness.events, "StatusChange(1,8)"));
}

TEST_F(SimOverTcp, AlarmWhileSewingIsReportedWithItsMessageId) {
  TSimConfig config;
  config.persona = Persona::kAlarm;
  config.alarmCode = 6;
  sim::TSimTcpMachine machine(config, kChatty);
  TCommBase& comm = Bring(machine);
  ASSERT_TRUE(Send(machine, comm));
  ASSERT_TRUE(WaitSendStop("SendStop(1,0)"));
  ASSERT_TRUE(StartSewing(harness, machine));
  ASSERT_TRUE(harness.PumpUntil([&] { return comm.State() == SEW_ERROR; }));
  EXPECT_EQ(comm.GetError(), 284);
  EXPECT_TRUE(Has(harness.events, "StatusChange(1,7)"));
}

TEST_F(SimOverTcp, MachineThatStopsPullingKeepsTheTransferUntilItFallsSilent) {
  TSimConfig config;
  config.persona = Persona::kStopsPulling;
  config.atBlock = 1;
  sim::TSimTcpMachine machine(config, kChatty);
  TCommBase& comm = Bring(machine);
  ASSERT_TRUE(Send(machine, comm));
  harness.PumpFor(300ms);
  EXPECT_TRUE(comm.IsSending());
  machine.SetTiming({0ms, 20ms});  // no more keep-alives: the line goes
  ASSERT_TRUE(WaitSendStop("SendStop(1,1)", 3s));
  EXPECT_FALSE(comm.IsSending());
  EXPECT_EQ(comm.GetError(), 273);
  EXPECT_EQ(comm.EffectiveState(), SEW_OFFLINE);
}

TEST_F(SimOverTcp, TruncatedRecordIsNeverHandedOnAndTheLineIsLost) {
  TSimConfig config;
  config.persona = Persona::kTruncated;
  sim::TSimTcpMachine machine(config, {0ms, 20ms});
  const TCookie cookie = harness.Connect(0, machine.ConnInfo());
  TCommBase* comm = harness.main->FindByCookie(cookie);
  ASSERT_TRUE(harness.PumpUntil([&] { return Has(harness.events, "StatusChange(1,1)"); }, 3s));
  EXPECT_EQ(harness.events.Only("FilenameAck").size(), 0u);
  EXPECT_EQ(comm->GetError(), 273);
}

TEST_F(SimOverTcp, SilentPersonaOnlyHearsTheIdentityRequestAndIsLost) {
  TSimConfig config;
  config.persona = Persona::kSilent;
  sim::TSimTcpMachine machine(config, {0ms, 20ms});
  const TCookie cookie = harness.Connect(0, machine.ConnInfo());
  TCommBase* comm = harness.main->FindByCookie(cookie);
  ASSERT_TRUE(harness.PumpUntil([&] { return comm->IsOnline(); }));
  ASSERT_TRUE(harness.PumpUntil([&] { return !comm->IsOnline(); }, 3s));
  EXPECT_EQ(machine.Get<std::vector<std::uint8_t>>([](TSimMachine& m) { return m.CommandCodes(); }),
            std::vector<std::uint8_t>{0xD1});
  EXPECT_EQ(comm->GetError(), 273);
}

TEST_F(SimOverTcp, SilentMachineGoesOfflineAndComesBackOnConnect) {
  sim::TSimTcpMachine machine({}, kChatty);
  TCommBase& comm = Bring(machine);
  machine.SetTiming({0ms, 20ms});
  ASSERT_TRUE(harness.PumpUntil([&] { return !comm.IsOnline(); }, 3s));
  EXPECT_EQ(comm.GetError(), 273);
  EXPECT_EQ(harness.events.Events().back(), "StatusChange(1,1)");

  machine.SetTiming(kChatty);
  EXPECT_EQ(harness.Connect(0, machine.ConnInfo()), comm.Cookie()) << "the offline one is reused";
  ASSERT_TRUE(harness.PumpUntil([&] { return comm.IsOnline(); }));
  EXPECT_EQ(harness.main->Count(), 1);
  EXPECT_EQ(comm.GetError(), 0);
}

TEST_F(SimOverTcp, MachineClosingAndRefusing) {
  auto machine = std::make_unique<sim::TSimTcpMachine>(TSimConfig{}, kChatty);
  const TConnInfo info = machine->ConnInfo();
  TCommBase& comm = Bring(*machine);
  machine->Hangup();
  ASSERT_TRUE(harness.PumpUntil([&] { return !comm.IsOnline(); }));
  EXPECT_EQ(comm.GetError(), 273);
  machine.reset();  // nothing listens any more: the connect is refused
  EXPECT_EQ(harness.Connect(0, info), comm.Cookie());
  auto* tcp = harness.main->FindTcpByCookie(comm.Cookie());
  ASSERT_TRUE(harness.PumpUntil([&] { return !tcp->ReaderRunning(); }));
  EXPECT_FALSE(comm.IsOnline());
}

TEST_F(SimOverTcp, SynchronisedGroupRelaysReachTheOtherMembers) {
  TSimConfig config;
  config.persona = Persona::kSyncGroup;
  config.machineType = 0x10;
  config.syncFlag = 1;
  std::vector<std::unique_ptr<sim::TSimTcpMachine>> machines;
  for (int i = 0; i < 3; ++i) {
    machines.push_back(std::make_unique<sim::TSimTcpMachine>(config, kChatty));
    Bring(*machines.back(), i);
  }
  EXPECT_EQ(harness.main->SyncCapableCount(), 3);
  EXPECT_TRUE(Has(harness.events, "SyncSetup(3,3,1)"));

  auto allHeard = [&](const std::function<bool(TSimMachine&)>& pred) {
    return harness.PumpUntil([&] {
      for (auto& m : machines) {
        if (!m->Get<bool>(pred)) return false;
      }
      return true;
    });
  };
  const std::vector<std::uint8_t> setup = {2, 0, 0, 0x34, 0x12, 0x56, 0x00, 0, 0, 0, 0};
  machines[0]->Call([&](TSimMachine& m) { m.SendReply(0x60, setup); });
  EXPECT_TRUE(allHeard([](TSimMachine& m) {
    for (const auto& c : m.Commands()) {
      if (c == std::vector<std::uint8_t>{0xC0, 2, 50, 0, 0x34, 0x12, 0x56, 0x00}) return true;
    }
    return false;
  }));
  // Each acknowledges with 0x6D, which clears its last queued command.
  EXPECT_TRUE(
      harness.PumpUntil([&] { return harness.main->GetByPosition(1)->LastQueuedCommand() == 0; }));

  machines[2]->Call([](TSimMachine& m) { m.SendReply(0x68); });
  EXPECT_TRUE(allHeard([](TSimMachine& m) { return Heard(m, 0xC8); }));
  harness.main->ChangeCommonSpeed(800);
  EXPECT_TRUE(allHeard([](TSimMachine& m) {
    for (const auto& c : m.Commands()) {
      if (c == std::vector<std::uint8_t>{0xCA, 80}) return true;
    }
    return false;
  }));
}

// Disconnecting a machine that is not transferring: no event, the alarm's message id stays.
void ExpectQuietDisconnect(ServiceHarness& service, sim::TSimLine& machine, TCommBase& comm) {
  machine.Call([](TSimMachine& m) { m.SendProgressReply(0x1E, 6, 10); });  // thread break
  ASSERT_TRUE(service.PumpUntil([&] { return comm.GetError() == 284; }));
  service.PumpFor(50ms);
  const std::vector<std::string> before = service.events.Events();
  comm.Close();
  service.PumpFor(200ms);
  EXPECT_EQ(service.events.Events(), before);
  EXPECT_EQ(comm.GetError(), 284);
  EXPECT_EQ(comm.EffectiveState(), SEW_OFFLINE);
  EXPECT_FALSE(comm.IsSending());
}

TEST_F(SimOverTcp, DisconnectOutsideATransferFiresNothingAndKeepsTheError) {
  sim::TSimTcpMachine machine({}, kChatty);
  ExpectQuietDisconnect(harness, machine, Bring(machine));
}

// One design of the fidelity table over a real line: the desktop program's copy written to the
// send folder, the stream form sent, the machine's rebuilt records, the trace and the totals
// through the transfer, the sewing and a repeated position.
void SendAndSewInPlace(ServiceHarness& service, sim::TSimLine& machine, TCommBase& comm,
                       const prototest::TFidelityCase& c, std::uint8_t type) {
  // The file reads back fewer records than were sent when the design repeats zero-length jumps.
  TStitchItem written = c.design;
  std::filesystem::create_directories(service.data.Path() / "SendData");
  ASSERT_TRUE(TStitchFormatMarlow::Save(
      (service.data.Path() / "SendData" / written.FileName).string(), written, nullptr));
  const TStitchItem sent = prototest::ThroughStreamForm(c.design);
  const auto total = static_cast<std::uint32_t>(sent.GetStitchSize(type));

  machine.Call([](TSimMachine& m) { m.OfferTransfer(); });
  ASSERT_TRUE(service.PumpUntil([&] { return Has(service.events, "SendStart(1)"); }));
  ASSERT_TRUE(comm.StartTransfer(std::make_unique<TStitchItem>(sent), true));
  ASSERT_TRUE(service.PumpUntil([&] { return Has(service.events, "SendStop(1,0)"); }));
  ASSERT_TRUE(service.PumpUntil(
      [&] { return machine.Get<bool>([](TSimMachine& m) { return !m.HeldName().empty(); }); }));
  machine.Call([&](TSimMachine& m) { prototest::ExpectRebuiltInPlace(m, sent, type); });
  ASSERT_TRUE(comm.LoadTraceDesign());
  prototest::ExpectTraceOnReportedRecord(comm, sent, total);

  service.events.Take();
  machine.Call([](TSimMachine& m) { m.StartSewing(); });
  ASSERT_TRUE(service.PumpUntil([&] { return Has(service.events, "Complete(1,1,1)"); }));
  // Appended, not prefixed: "," + text makes g++ 12 warn falsely (-Wrestrict).
  const std::string max = std::string(",").append(std::to_string(total)).append(",");
  for (const std::string& e : service.events.Only("Progress")) EXPECT_NE(e.find(max), e.npos) << e;
  ASSERT_TRUE(comm.LoadTraceDesign());
  prototest::ExpectTraceOnReportedRecord(comm, sent, total);

  const std::uint32_t half = total / 2;
  machine.Call([&](TSimMachine& m) { m.SendProgressReply(0x12, 0, half); });
  ASSERT_TRUE(
      service.PumpUntil([&] { return comm.Progress().nPos == static_cast<std::int32_t>(half); }));
  prototest::ExpectTraceOnReportedRecord(comm, sent, total);
}

class FidelityOverLines : public ::testing::TestWithParam<std::uint8_t> {
 protected:
  // Runs every design of the table on a fresh service, with the machine type of the case.
  void ForEachDesign(const std::function<void(ServiceHarness&, TSimConfig,
                                              const prototest::TFidelityCase&)>& run) {
    for (const prototest::TFidelityCase& c : prototest::FidelityDesigns()) {
      SCOPED_TRACE(c.what);
      ServiceHarness service;
      TSimConfig config;
      config.machineType = GetParam();
      run(service, config, c);
    }
  }
};

TEST_P(FidelityOverLines, TcpIp) {
  ForEachDesign([](ServiceHarness& service, TSimConfig config, const auto& c) {
    config.wire = sim::Wire::kTcp;
    sim::TSimTcpMachine machine(config, kChatty);
    TCommBase& comm = pelsrv_test::Bring(service, machine, machine.ConnInfo());
    SendAndSewInPlace(service, machine, comm, c, config.machineType);
  });
}

TEST_P(FidelityOverLines, Serial) {
  ForEachDesign([](ServiceHarness& service, TSimConfig config, const auto& c) {
    sim::TSimPtyMachine machine(config, 0);
    // A serial machine answers nothing until it enquires, as a real one does after power-up.
    TCommBase* comm = service.main->FindByCookie(service.Connect(0, machine.ConnInfo()));
    ASSERT_NE(comm, nullptr);
    ASSERT_TRUE(machine.WaitFor([](TSimMachine& m) { return Heard(m, 0x41); }));
    machine.Call([](TSimMachine& m) { m.Enquire(); });
    ASSERT_TRUE(service.PumpUntil(
        [&] { return machine.Get<bool>([](TSimMachine& m) { return Heard(m, 0xD0); }); }));
    service.PumpFor(100ms);
    SendAndSewInPlace(service, machine, *comm, c, config.machineType);
  });
}

INSTANTIATE_TEST_SUITE_P(MachineTypes, FidelityOverLines,
                         ::testing::Values(std::uint8_t{0x01}, std::uint8_t{0x20}));

// A simulated machine on TCP loopback or on a pseudo-terminal (COM index `comIndex`).
std::unique_ptr<sim::TSimLine> MachineOn(bool tcp, TSimConfig config, int comIndex,
                                         TConnInfo& info) {
  if (tcp) {
    config.wire = sim::Wire::kTcp;
    auto machine = std::make_unique<sim::TSimTcpMachine>(config, kChatty);
    info = machine->ConnInfo();
    return machine;
  }
  auto machine = std::make_unique<sim::TSimPtyMachine>(config, comIndex);
  info = machine->ConnInfo();
  return machine;
}

// A normal machine on the next device of the same service takes a design.
void ExpectAnotherMachineTakesADesign(ServiceHarness& service, bool tcp) {
  TConnInfo info;
  auto machine = MachineOn(tcp, {}, 1, info);
  TCommBase& comm = tcp ? Bring(service, *machine, info, 1)
                        : BringSerial(service, static_cast<sim::TSimPtyMachine&>(*machine), 1);
  ASSERT_TRUE(Send(service, *machine, comm));
  EXPECT_TRUE(service.PumpUntil([&] { return Has(service.events, "SendStop(2,0)"); }));
}

TEST(TransferTimeoutOverLines, EveryMachineThatStopsAnsweringATransferEndsItAsFailed) {
  struct Case {
    const char* what;
    Persona persona;
    bool tcp;
    bool enquires;  // a serial machine enquires first; a modem is sent to before it answers
    std::int32_t error;
    TSewingState state;
    bool timesOut;  // ends by the transfer's time-out (else by what the line tells)
    bool recovers;  // the same machine, behaving again, takes the next design
  };
  const Case cases[] = {
      {"stops pulling, TCP/IP", Persona::kStopsPulling, true, true, 268, SEW_ERROR, true, true},
      {"stops pulling, serial", Persona::kStopsPulling, false, true, 268, SEW_ERROR, true, true},
      {"modem, TCP/IP", Persona::kModem, true, false, 268, SEW_ERROR, true, true},
      {"modem, serial", Persona::kModem, false, false, 268, SEW_NO_PORT, false, false},
      // The cut record leaves the line silent: it is lost before the time-out.
      {"cut record, TCP/IP", Persona::kTruncated, true, true, 273, SEW_OFFLINE, false, false},
      // Portlink holds the cut record and would take the next bytes into it.
      {"cut record, serial", Persona::kTruncated, false, true, 268, SEW_ERROR, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ServiceHarness service(ServiceHarness::ShortTransferTimeout(kTransferLimit));
    TSimConfig config;
    config.persona = c.persona;
    config.atBlock = 1;
    TConnInfo info;
    auto machine = MachineOn(c.tcp, config, 0, info);
    TCommBase* comm = service.main->FindByCookie(service.Connect(0, info));
    ASSERT_NE(comm, nullptr);
    if (c.tcp) {
      ASSERT_TRUE(service.PumpUntil([&] { return comm->IsOnline(); }));
      service.PumpFor(100ms);  // the first exchange
    } else {
      ASSERT_TRUE(machine->WaitFor([](TSimMachine& m) { return Heard(m, 0x41); }));
      if (c.enquires) {
        machine->Call([](TSimMachine& m) { m.Enquire(); });
        service.PumpFor(200ms);
      }
    }
    // Sent as the desktop's send button does, without waiting for the machine to offer.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(comm->StartTransfer(prototest::MakeDesign(3000, 150), true));
    ASSERT_TRUE(service.PumpUntil([&] { return !service.events.Only("SendStop").empty(); }));
    const auto took = std::chrono::steady_clock::now() - start;
    service.PumpFor(100ms);
    EXPECT_EQ(service.events.Only("SendStop"), std::vector<std::string>{"SendStop(1,1)"});
    EXPECT_FALSE(comm->IsSending());
    EXPECT_EQ(comm->GetError(), c.error);
    EXPECT_EQ(comm->State(), c.state);
    if (c.timesOut) {
      EXPECT_GE(took, kTransferLimit) << "cut off before the time-out";
    }

    if (c.recovers) {
      machine->Call([](TSimMachine& m) { m.SetPersona(Persona::kNormal); });
      ASSERT_TRUE(Send(service, *machine, *comm));
      EXPECT_TRUE(service.PumpUntil([&] { return Has(service.events, "SendStop(1,0)"); }));
      EXPECT_EQ(comm->GetError(), 0);
    } else {
      ExpectAnotherMachineTakesADesign(service, c.tcp);
    }
  }
}

TEST(TransferTimeoutOverLines, AMachineThatPausesShorterThanTheLimitIsNotCutOff) {
  for (const bool tcp : {true, false}) {
    SCOPED_TRACE(tcp ? "TCP/IP" : "serial");
    ServiceHarness service(ServiceHarness::ShortTransferTimeout(kTransferLimit));
    TSimConfig config;
    config.persona = Persona::kStopsPulling;
    config.atBlock = 1;
    TConnInfo info;
    auto machine = MachineOn(tcp, config, 0, info);
    TCommBase& comm = tcp ? Bring(service, *machine, info)
                          : BringSerial(service, static_cast<sim::TSimPtyMachine&>(*machine));
    ASSERT_TRUE(Send(service, *machine, comm, 3000));
    auto framesReach = [&](std::int32_t n) {
      return service.PumpUntil([&] {
        return machine->Get<std::int32_t>([](TSimMachine& m) { return m.FramesReceived(); }) >= n;
      });
    };
    // Two pauses of 0.6 times the limit: together longer than it, each shorter.
    const auto pause = kTransferLimit * 6 / 10;
    ASSERT_TRUE(framesReach(3));  // the header, blocks 0 and 1
    service.PumpFor(pause);
    machine->Call([](TSimMachine& m) {
      m.SetPersona(Persona::kStopsPulling, 3);
      m.SendReply(0x84);
    });
    ASSERT_TRUE(framesReach(5));  // blocks 2 and 3
    service.PumpFor(pause);
    EXPECT_TRUE(comm.IsSending());
    machine->Call([](TSimMachine& m) {
      m.SetPersona(Persona::kNormal);
      m.SendReply(0x84);
    });
    ASSERT_TRUE(service.PumpUntil([&] { return !comm.IsSending(); }));
    EXPECT_EQ(service.events.Only("SendStop"), std::vector<std::string>{"SendStop(1,0)"});
    EXPECT_TRUE(machine->Get<bool>([](TSimMachine& m) { return m.TransferComplete(); }));
    EXPECT_TRUE(machine->Get<bool>([](TSimMachine& m) { return m.Faults().empty(); }));
  }
}

class SimOverPty : public ::testing::Test {
 protected:
  TCommBase& Bring(sim::TSimPtyMachine& machine, TDevNo devNo = 0) {
    return BringSerial(harness, machine, devNo);
  }
  TCommSerial& Serial(TCommBase& comm) { return static_cast<TCommSerial&>(comm); }

  ServiceHarness harness;
};

TEST_F(SimOverPty, ConnectProbesForAModemThenIdentifiesTransfersAndSews) {
  sim::TSimPtyMachine machine({}, 0);
  TCommBase& comm = Bring(machine);
  EXPECT_EQ(comm.GetName(), "COM:1");
  EXPECT_TRUE(comm.IsOnline());
  EXPECT_EQ(machine.Get<std::vector<std::uint8_t>>([](TSimMachine& m) { return m.CommandCodes(); }),
            (std::vector<std::uint8_t>{0x41, 0xD1, 0xE0, 0xD0}));
  ASSERT_TRUE(Send(harness, machine, comm));
  ASSERT_TRUE(harness.PumpUntil([&] { return Has(harness.events, "SendStop(1,0)"); }));
  ASSERT_TRUE(StartSewing(harness, machine));
  EXPECT_TRUE(machine.Get<bool>([](TSimMachine& m) { return m.TransferComplete(); }));
  EXPECT_TRUE(machine.Get<bool>([](TSimMachine& m) { return m.Faults().empty(); }));
  ASSERT_TRUE(harness.PumpUntil([&] { return Has(harness.events, "Complete(1,1,1)"); }));
}

TEST_F(SimOverPty, ModemAnswerLeavesTheLineWithoutAMachine) {
  TSimConfig config;
  config.persona = Persona::kModem;
  sim::TSimPtyMachine machine(config, 0);
  const TCookie cookie = harness.Connect(0, machine.ConnInfo());
  ASSERT_NE(cookie, 0);
  TCommBase* comm = harness.main->FindByCookie(cookie);
  ASSERT_TRUE(harness.PumpUntil([&] { return Has(harness.events, "StatusChange(1,0)"); }));
  EXPECT_EQ(comm->State(), SEW_NO_PORT);
  EXPECT_FALSE(comm->IsOnline());
}

TEST(SimOverPtyTimeout, WatchdogEndsATransferTheMachineStoppedPullingAndTellsTheClient) {
  ServiceHarness service(ServiceHarness::ShortTransferTimeout(kTransferLimit));
  TSimConfig config;
  config.persona = Persona::kStopsPulling;
  config.atBlock = 1;
  sim::TSimPtyMachine machine(config, 0);
  TCommBase& comm = BringSerial(service, machine);
  ASSERT_TRUE(Send(service, machine, comm));
  service.PumpFor(300ms);
  ASSERT_TRUE(comm.IsSending());
  // The client's polls neither end the transfer nor keep it: only the time without a request.
  std::uint8_t status = 0;
  std::uint32_t stitch = 0;
  std::int32_t error = 0;
  for (const std::int32_t tick : {10, 15, 20}) comm.PollTimer(tick, status, stitch, error);
  EXPECT_TRUE(comm.IsSending());
  service.events.Take();
  ASSERT_TRUE(service.PumpUntil([&] { return !comm.IsSending(); }, 3s));
  EXPECT_EQ(service.events.Take(),
            (std::vector<std::string>{"SendStop(1,1)", "StatusChange(1,7)"}));
  EXPECT_EQ(comm.GetError(), 268);
  // The poll hands the error on, so the client's trace shows it.
  EXPECT_EQ(comm.PollTimer(21, status, stitch, error), SEW_ERROR);
  EXPECT_EQ(status, 0x12);
  EXPECT_EQ(error, 268);
}

TEST_F(SimOverPty, LineLostDuringATransferEndsItAndTellsTheClient) {
  TSimConfig config;
  config.persona = Persona::kStopsPulling;
  config.atBlock = 1;
  auto machine = std::make_unique<sim::TSimPtyMachine>(config, 0);
  TCommBase& comm = Bring(*machine);
  ASSERT_TRUE(Send(harness, *machine, comm));
  harness.PumpFor(200ms);
  ASSERT_TRUE(comm.IsSending());
  machine.reset();  // the far end goes: CTS and DSR drop
  ASSERT_TRUE(harness.PumpUntil([&] { return !comm.IsSending(); }, 3s));
  EXPECT_TRUE(Has(harness.events, "SendStop(1,1)"));
  EXPECT_EQ(harness.events.Events().back(), "StatusChange(1,1)");
  EXPECT_EQ(comm.GetError(), 273);

  // Without CTS nothing is written: commands wait in the queue.
  comm.SendCommand(0xC0, 1, 2, 3, 500);
  comm.SendCommand(0xCC);
  EXPECT_EQ(Serial(comm).QueuedCommands(), 2u);
}

TEST_F(SimOverPty, CommandsWaitingForCtsAreBoundedAndTheNewestKept) {
  auto machine = std::make_unique<sim::TSimPtyMachine>(TSimConfig{}, 0);
  TCommBase& comm = Bring(*machine);
  machine.reset();  // CTS drops: nothing more is written
  ASSERT_TRUE(harness.PumpUntil([&] { return !comm.IsOnline(); }, 3s));
  for (int i = 0; i < 1000; ++i) comm.SendCommand(0xD1);
  comm.SendCommand(0xCC);
  EXPECT_EQ(Serial(comm).QueuedCommands(), TCommSerial::kMaxQueuedCommands);
  EXPECT_EQ(comm.LastQueuedCommand(), 0xCC);
}

TEST_F(SimOverPty, DisconnectDuringATransferEndsItAndFreesThePort) {
  TSimConfig config;
  config.persona = Persona::kStopsPulling;
  config.atBlock = 1;
  sim::TSimPtyMachine machine(config, 0);
  TCommBase& comm = Bring(machine);
  ASSERT_TRUE(Send(harness, machine, comm));
  harness.PumpFor(200ms);
  ASSERT_TRUE(comm.IsSending());
  comm.Close();
  EXPECT_FALSE(comm.IsSending());
  EXPECT_FALSE(Serial(comm).PortOpen());
  EXPECT_TRUE(Has(harness.events, "SendStop(1,3)"));
  EXPECT_EQ(harness.events.Events().back(), "StatusChange(1,1)");
  EXPECT_EQ(harness.main->Count(), 1);
}

TEST_F(SimOverPty, DisconnectOutsideATransferFiresNothingAndKeepsTheError) {
  sim::TSimPtyMachine machine({}, 0);
  TCommBase& comm = Bring(machine);
  ExpectQuietDisconnect(harness, machine, comm);
  EXPECT_FALSE(Serial(comm).PortOpen());
}

TEST_F(SimOverPty, RepliesComeAsRecordsInThePayloadOrAsBareCodes) {
  sim::TSimPtyMachine machine({}, 0);
  TCommBase& comm = Bring(machine);
  auto post = [&](std::intptr_t lParam, const std::vector<std::uint8_t>& payload) {
    platform::Message m;
    m.msg = platform::UM_RX_COMMAND;
    m.wParam = static_cast<std::uintptr_t>(comm.Cookie());
    m.lParam = lParam;
    std::copy(payload.begin(), payload.end(), m.payload.begin());
    m.payloadSize = static_cast<std::uint8_t>(payload.size());
    return harness.dispatch->Dispatch(m);
  };
  // 0x84 as a bare code in lParam: a data frame goes out without any payload being read.
  EXPECT_TRUE(post(0x84, {}));
  EXPECT_TRUE(harness.PumpUntil(
      [&] { return machine.Get<bool>([](TSimMachine& m) { return Heard(m, 'D'); }); }));
  // A record in the payload.
  EXPECT_TRUE(post(0, {0x12, 4, 0, 0, 0xF4, 0x01, 0, 0}));
  EXPECT_EQ(comm.Status().currentStitch, 500u);
  EXPECT_EQ(comm.EffectiveState(), SEW_PAUSED);
  // Neither a code nor a record: nothing happens.
  const std::size_t events = harness.events.Events().size();
  EXPECT_TRUE(post(0x1234, {}));
  EXPECT_EQ(harness.events.Events().size(), events);
}

TEST_F(SimOverPty, DeviceNumberMustBeAFreeSlot) {
  sim::TSimPtyMachine machine({}, 0);
  EXPECT_EQ(harness.Connect(6, machine.ConnInfo()), 0);
  EXPECT_EQ(harness.Connect(-1, machine.ConnInfo()), 0);
  const TCookie first = harness.Connect(0, machine.ConnInfo());
  EXPECT_EQ(first, 1);
  EXPECT_EQ(harness.Connect(0, machine.ConnInfo()), 0) << "slot 0 is in use";
  harness.main->FindByCookie(first)->Close();
  EXPECT_EQ(harness.Connect(0, machine.ConnInfo()), 2) << "closed: the slot is free again";
  EXPECT_EQ(harness.main->Count(), 2);
}

TEST_F(SimOverPty, MissingPortMakesNoConnection) {
  TConnInfo info{};
  info.port = 9;  // COM10: nothing configured, no such device here
  ::setenv("PELLORA_COM10", "/nonexistent/tty", 1);
  EXPECT_EQ(harness.Connect(0, info), 0);
  EXPECT_EQ(harness.main->Count(), 0);
  ::unsetenv("PELLORA_COM10");
}

}  // namespace
}  // namespace pelsrv_test
