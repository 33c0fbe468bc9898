// A connection and the simulated machine through whole exchanges: connecting, sending designs,
// sewing, and every way a machine can misbehave.
#include <gtest/gtest.h>

#include "pelsrv/protocol/transferframe.h"
#include "protocol_fixture.h"
#include "shared/frmmarlow.h"

namespace prototest {
namespace {

using sim::Persona;
using sim::TSimConfig;
using sim::Wire;

std::vector<std::uint8_t> Codes(std::initializer_list<int> codes) {
  return {codes.begin(), codes.end()};
}

// The records a machine should have rebuilt from the frames: the stream from record 0 on.
std::vector<std::uint8_t> ExpectedStream(const TStitchItem& design) {
  return TStitchFormatMarlow::EncodeRecords(design);
}

class TransferE2E : public LinkFixture, public ::testing::WithParamInterface<Wire> {};

TEST_P(TransferE2E, ConnectSendAndSewANormalMachine) {
  TSimConfig config;
  config.wire = GetParam();
  Open(config);
  EXPECT_EQ(Machine().CommandCodes(), Codes({0xD1, 0xE0, 0xD0}));
  EXPECT_EQ(events_.Take(),
            (std::vector<std::string>{"StatusChange(1,2)", "SyncSetup(0,1,0)",
                                      "FilenameAck(1,\"\",500000)", "Progress(1,18,0,0,0,0,1)",
                                      "StatusChange(1,2)"}));
  EXPECT_EQ(Comm().EffectiveState(), SEW_IDLE);

  auto design = MakeDesign(1000, 150);
  const TStitchItem copy = *design;
  ASSERT_TRUE(Send(std::move(design)));
  EXPECT_TRUE(Machine().Faults().empty()) << Machine().Faults().front();
  EXPECT_FALSE(Comm().IsSending());
  EXPECT_EQ(Machine().Header().fileName, "2609c008.10o");
  EXPECT_EQ(Machine().Header().total, 1000u);
  EXPECT_EQ(Machine().Header().colorCount, copy.GetColorCount());
  // Needle + 1 per block; a block that no needle matched gives 0.
  EXPECT_EQ(Machine().Header().colors, (std::vector<std::uint8_t>{1, 0, 3, 4, 5, 6, 7}));
  EXPECT_EQ(Machine().Header().machineNumber, 1);
  EXPECT_EQ(Machine().Header().title, "Test design");
  EXPECT_EQ(Machine().RebuiltStream(), ExpectedStream(copy));
  EXPECT_EQ(Machine().FramesReceived(), 1 + BlockCountFor(1000));

  const auto events = events_.Take();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front(), "SendStart(1)");
  const std::vector<std::string> tail(events.end() - 2, events.end());
  EXPECT_EQ(tail,
            (std::vector<std::string>{"SendStop(1,0)", "FilenameAck(1,\"2609c008.10o\",500000)"}));
  EXPECT_EQ(Comm().SewingFileName(), "2609c008.10o");
  EXPECT_EQ(Comm().log.front(), "Sending: 2609c008.10o  Stitches: 1000");

  SewToTheEnd();
  const auto sewing = events_.Take();
  EXPECT_EQ(sewing.back(), "Complete(1,1,1)");
  EXPECT_EQ(Comm().State(), SEW_COMPLETED);
  EXPECT_EQ(Comm().Progress().nMax, 1000);
}

INSTANTIATE_TEST_SUITE_P(BothLines, TransferE2E, ::testing::Values(Wire::kSerial, Wire::kTcp));

class Personas : public LinkFixture {};

TEST_F(Personas, SendProgressRisesPerBlockAndStaysWithinZeroToHundred) {
  Open({});
  ASSERT_TRUE(Send(MakeDesign(2000)));
  const auto progress = events_.Only("SendProgress");
  const std::int32_t count = BlockCountFor(2000);
  ASSERT_EQ(progress.size(), static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    EXPECT_EQ(progress[static_cast<std::size_t>(i)],
              "SendProgress(1," + std::to_string(i * 100 / count) + ")");
  }
}

// Every design sent through its stream form to machine types 0x01 and 0x20, with the record
// lengths of both lines: rebuilt in place, traced on the reported record with the header's total.
class Fidelity : public LinkFixture,
                 public ::testing::WithParamInterface<std::tuple<Wire, std::uint8_t>> {};

TEST_P(Fidelity, EveryRecordArrivesWhereTheDesignHasIt) {
  const auto [wire, type] = GetParam();
  for (const TFidelityCase& c : FidelityDesigns()) {
    SCOPED_TRACE(c.what);
    TSimConfig config;
    config.wire = wire;
    config.machineType = type;
    Open(config);
    const TStitchItem sent = ThroughStreamForm(c.design);
    ASSERT_EQ(sent.Points.front(), (TEmbPoint{sfStart, 0, 0}));
    const auto total = static_cast<std::uint32_t>(sent.GetStitchSize(type));
    ASSERT_TRUE(Send(std::make_unique<TStitchItem>(sent)));
    EXPECT_EQ(events_.Only("SendStop"), std::vector<std::string>{"SendStop(1,0)"});
    events_.Take();
    ExpectRebuiltInPlace(Machine(), sent, type);
    ASSERT_TRUE(Comm().LoadTraceDesign());
    ExpectTraceOnReportedRecord(Comm(), sent, total);

    SewToTheEnd();
    const std::string max = "," + std::to_string(total) + ",";
    for (const std::string& e : events_.Only("Progress")) EXPECT_NE(e.find(max), e.npos) << e;
    // Completion forgets the trace design; the next trace takes the sent records again.
    ASSERT_TRUE(Comm().LoadTraceDesign());
    ExpectTraceOnReportedRecord(Comm(), sent, total);
    Comm().HandleReply(Progress(0x12, 1, 0, total / 2));
    ExpectTraceOnReportedRecord(Comm(), sent, total);
  }
}

TEST_F(Personas, GoldenFramesOfAJumpAwayFromTheStart) {
  // The ".10o" records start, jump +100 in X, stitch, end; read, put in the stream form and sent.
  const std::vector<std::uint8_t> records = {0x8A, 0, 0, 0x90, 0, 0x64, 0x80, 0, 0x0A, 0x87, 0, 0};
  for (const std::uint8_t type : {0x01, 0x20}) {
    SCOPED_TRACE(type);
    TSimConfig config;
    config.machineType = type;
    Open(config);
    TStitchItem read;
    std::vector<std::uint8_t> file = records;
    file.push_back(0x1A);
    TStitchFormatMarlow::ParseDesignFile(file, read, true);
    read.FileName = "REPRO.10o";
    ASSERT_TRUE(Send(std::make_unique<TStitchItem>(ThroughStreamForm(read))));
    // The last commands: the header, the one data frame, the end record and 0xE0.
    const auto& commands = Machine().Commands();
    ASSERT_GE(commands.size(), 4u);
    const std::vector<std::uint8_t>& header = commands[commands.size() - 4];
    const std::vector<std::uint8_t>& data = commands[commands.size() - 3];
    ASSERT_EQ(header[0], 'B');
    EXPECT_EQ(GetU32(header, kHdrTotal), type == 0x20 ? 3u : 4u);
    ASSERT_EQ(data.size(), kFrameSize);
    std::vector<std::uint8_t> golden = {'D', 0, 0, 0, 0, 0, 0x5C, 0x2A};
    golden.insert(golden.end(), records.begin(), records.end());
    golden.resize(kFrameSize - 1, 0);
    golden.push_back(0xAA);
    EXPECT_EQ(data, golden);
    EXPECT_EQ(Machine().RebuiltPositions(),
              (std::vector<sim::TSewnRecord>{{10, 0, 0}, {16, 100, 0}, {0, 110, 0}, {7, 110, 0}}));
  }
}

INSTANTIATE_TEST_SUITE_P(TypesAndLines, Fidelity,
                         ::testing::Combine(::testing::Values(Wire::kSerial, Wire::kTcp),
                                            ::testing::Values(std::uint8_t{0x01},
                                                              std::uint8_t{0x20})));

TEST_F(Personas, Type0x20ProgressCountsTheBlocksOfTheWholeStream) {
  // 171 records: the header tells 170, the stream's 513 bytes fill two blocks.
  TSimConfig config;
  config.machineType = 0x20;
  Open(config);
  ASSERT_TRUE(Send(std::make_unique<TStitchItem>(ThroughStreamForm(*MakeDesign(169)))));
  EXPECT_EQ(Machine().Header().total, 170u);
  EXPECT_EQ(Comm().BlockCount(), 2);
  EXPECT_EQ(events_.Only("SendProgress"),
            (std::vector<std::string>{"SendProgress(1,0)", "SendProgress(1,50)"}));
  EXPECT_EQ(events_.Only("SendStop"), std::vector<std::string>{"SendStop(1,0)"});
}

TEST_F(Personas, BusyMachineEndsTheTransferAsBusyAndKeepsTheState) {
  TSimConfig config;
  config.persona = Persona::kBusy;
  Open(config);
  ASSERT_TRUE(Send(MakeDesign(1000)));
  EXPECT_FALSE(Comm().IsSending());
  EXPECT_EQ(events_.Only("SendStop"), std::vector<std::string>{"SendStop(1,2)"});
  EXPECT_EQ(Comm().State(), SEW_IDLE);
  EXPECT_EQ(Comm().GetError(), 266);
  EXPECT_EQ(Comm().SewingFileName(), "");           // what the machine held before
  EXPECT_EQ(Machine().CommandCodes().back(), 'D');  // no 'C' after a refused transfer
}

TEST_F(Personas, RejectingMachineIsRejectedWhileIdle) {
  TSimConfig config;
  config.persona = Persona::kRejecting;
  Open(config);
  EXPECT_EQ(Comm().State(), SEW_REJECTED);
  EXPECT_EQ(Comm().GetError(), 266);
  EXPECT_EQ(events_.Only("StatusChange").back(), "StatusChange(1,8)");
  EXPECT_FALSE(Comm().StartTransfer(MakeDesign(10), true));
  Comm().ClearError();
  EXPECT_EQ(Comm().State(), SEW_IDLE);
  EXPECT_EQ(Comm().GetError(), 0);
}

TEST_F(Personas, MemoryFullEndsTheTransferWithAnError) {
  TSimConfig config;
  config.persona = Persona::kMemoryFull;
  Open(config);
  ASSERT_TRUE(Send(MakeDesign(1000)));
  EXPECT_EQ(events_.Only("SendStop"), std::vector<std::string>{"SendStop(1,1)"});
  EXPECT_EQ(Comm().State(), SEW_REJECTED);
  EXPECT_EQ(Comm().GetError(), 265);
  EXPECT_EQ(Comm().SewingFileName(), "");
  EXPECT_FALSE(Comm().IsSending());
}

TEST_F(Personas, AlarmStopsSewingWithTheAlarmsMessageId) {
  for (const std::uint8_t alarm : {1, 6, 16, 17, 25}) {
    TSimConfig config;
    config.persona = Persona::kAlarm;
    config.alarmCode = alarm;
    Open(config);
    ASSERT_TRUE(Send(MakeDesign(1000)));
    events_.Take();
    SewToTheEnd();
    const std::int32_t id = 278 + alarm;
    EXPECT_EQ(Comm().State(), SEW_ERROR);
    EXPECT_EQ(Comm().GetError(), id);
    const auto progress = events_.Only("Progress");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), "Progress(1,30,500,1000," + std::to_string(id) + ",0,1)");
    EXPECT_EQ(events_.Events().back(), "StatusChange(1,7)");
  }
}

TEST_F(Personas, BlockAskedAgainIsSentAgainWithTheSameData) {
  TSimConfig config;
  config.persona = Persona::kBlockAgain;
  config.atBlock = 2;
  Open(config);
  auto design = MakeDesign(1000);
  const TStitchItem copy = *design;
  ASSERT_TRUE(Send(std::move(design)));
  EXPECT_TRUE(Machine().Faults().empty());
  EXPECT_EQ(Machine().BlocksRepeated(), 1);
  EXPECT_EQ(Machine().RebuiltStream(), ExpectedStream(copy));
  EXPECT_EQ(events_.Only("SendStop"), std::vector<std::string>{"SendStop(1,0)"});
}

TEST_F(Personas, MachineThatStopsPullingLeavesTheTransferRunningUntilTheLineGoes) {
  TSimConfig config;
  config.persona = Persona::kStopsPulling;
  Open(config);
  ASSERT_TRUE(Send(MakeDesign(1000)));
  EXPECT_TRUE(Comm().IsSending());
  EXPECT_TRUE(events_.Only("SendStop").empty());
  EXPECT_FALSE(Comm().StartTransfer(MakeDesign(5), true));  // refused, the running one stays
  events_.Take();
  Comm().LineDown();
  // A line that breaks under a transfer fails it, with the reason kept for the client.
  EXPECT_EQ(events_.Take(),
            (std::vector<std::string>{"SendStop(1,1)", "SendProgress(1,0)", "StatusChange(1,1)"}));
  EXPECT_FALSE(Comm().IsSending());
  EXPECT_EQ(Comm().EffectiveState(), SEW_OFFLINE);
  EXPECT_EQ(Comm().GetError(), 273);
}

// A transfer whose machine asks for no block within the time-out, on both lines' record cutting.
class TransferTimeout : public LinkFixture, public ::testing::WithParamInterface<Wire> {};

TEST_P(TransferTimeout, ATransferThatHearsNoBlockRequestEndsAsFailed) {
  struct Case {
    const char* what;
    Persona persona;
    std::int32_t atBlock;
    bool recovers;  // the same machine can take the next design
  };
  const Case cases[] = {
      {"stops after the first block", Persona::kStopsPulling, 0, true},
      {"stops half way", Persona::kStopsPulling, 3, true},
      {"silent from the start", Persona::kSilent, 0, true},
      // The line holds the cut record and would take the next bytes into it.
      {"a cut file-name answer, then silence", Persona::kTruncated, 0, false},
  };
  using Clock = TTransferWatch::Clock;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TSimConfig config;
    config.wire = GetParam();
    config.persona = c.persona;
    config.atBlock = c.atBlock;
    Open(config);
    const std::uint32_t before = static_cast<std::uint32_t>(Machine().Commands().size());
    ASSERT_TRUE(Send(MakeDesign(3000)));
    ASSERT_TRUE(Comm().IsSending());
    events_.Take();

    const auto limit = Comm().TransferTimeout();
    EXPECT_FALSE(Comm().CheckTransferTimeout(Clock::now() + limit - std::chrono::seconds(1)));
    EXPECT_TRUE(Comm().IsSending()) << "cut off before the time-out";
    EXPECT_TRUE(Comm().CheckTransferTimeout(Clock::now() + limit));
    EXPECT_EQ(events_.Take(), (std::vector<std::string>{"SendStop(1,1)", "StatusChange(1,7)"}));
    EXPECT_FALSE(Comm().IsSending());
    EXPECT_EQ(Comm().EffectiveState(), SEW_ERROR);
    EXPECT_EQ(Comm().GetError(), 268);
    EXPECT_EQ(Comm().SewingFileName(), "");  // what the machine held before
    // Nothing more went to the machine: no end record, no request.
    const auto codes = Machine().CommandCodes();
    ASSERT_GT(codes.size(), before);
    EXPECT_TRUE(codes.back() == 'B' || codes.back() == 'D') << codes.back();
    EXPECT_FALSE(Comm().CheckTransferTimeout(Clock::now() + 2 * limit));
    EXPECT_TRUE(events_.Take().empty());

    if (!c.recovers) continue;
    Machine().SetPersona(Persona::kNormal);
    ASSERT_TRUE(Send(MakeDesign(1000)));
    EXPECT_EQ(events_.Only("SendStop"), std::vector<std::string>{"SendStop(1,0)"});
    EXPECT_EQ(Comm().GetError(), 0);
    EXPECT_EQ(Comm().SewingFileName(), "2609c008.10o");
  }
}

INSTANTIATE_TEST_SUITE_P(BothLines, TransferTimeout, ::testing::Values(Wire::kSerial, Wire::kTcp));

TEST_F(Personas, ModemAnsweringDuringATransferEndsItAsFailed) {
  TSimConfig config;
  config.persona = Persona::kModem;
  Open(config);
  ASSERT_TRUE(Comm().StartTransfer(MakeDesign(1000), true));  // sent before the probe's answer
  events_.Take();
  Comm().PutCommand(MakeModemProbe());
  Pump();
  EXPECT_EQ(events_.Take(), (std::vector<std::string>{"SendStop(1,1)", "StatusChange(1,0)"}));
  EXPECT_FALSE(Comm().IsSending());
  EXPECT_EQ(Comm().State(), SEW_NO_PORT);
  EXPECT_EQ(Comm().GetError(), 268);
}

TEST_F(Personas, TransferEndedEarlyIsCancelledAndTheOldNameComesBack) {
  for (const bool report : {true, false}) {
    TSimConfig config;
    config.persona = Persona::kEndsEarly;
    config.heldName = "OLD.10o";
    Open(config);
    Comm().HandleReply(FileName("OLD.10o"));  // as if the client had asked to load it
    events_.filenameTotal = 1;
    Comm().HandleReply(FileName("OLD.10o"));
    events_.filenameTotal = 0;
    ASSERT_EQ(Comm().SewingFileName(), "OLD.10o");
    ASSERT_TRUE(Send(MakeDesign(1000), report));
    // The machine sends 0x83 after block 1 of 6: blocks are missing.
    EXPECT_EQ(events_.Only("SendStop"), std::vector<std::string>{"SendStop(1,3)"}) << report;
    EXPECT_FALSE(Comm().IsSending());
    EXPECT_EQ(Comm().SewingFileName(), "OLD.10o");
  }
}

TEST_F(Personas, TruncatedRecordIsNeverHandedOn) {
  TSimConfig config;
  config.persona = Persona::kTruncated;
  Open(config);
  EXPECT_TRUE(events_.Only("FilenameAck").empty());
  EXPECT_EQ(Machine().CommandCodes(), Codes({0xD1, 0xE0}));
  EXPECT_EQ(Comm().State(), SEW_IDLE);
}

TEST_F(Personas, SilentMachineOnlyHearsTheIdentityRequest) {
  TSimConfig config;
  config.persona = Persona::kSilent;
  Open(config);
  EXPECT_EQ(Machine().CommandCodes(), Codes({0xD1}));
  EXPECT_EQ(events_.Take(), std::vector<std::string>{"StatusChange(1,2)"});
  ASSERT_TRUE(Send(MakeDesign(100)));
  EXPECT_TRUE(Comm().IsSending());  // the header went out; no block was asked for
  EXPECT_EQ(Machine().CommandCodes().back(), 'B');
}

TEST_F(Personas, ModemAnswersTheProbeAndTheLineHasNoMachine) {
  TSimConfig config;
  config.persona = Persona::kModem;
  Open(config);
  events_.Take();
  Comm().PutCommand(MakeModemProbe());
  Pump();
  EXPECT_EQ(Comm().State(), SEW_NO_PORT);
  EXPECT_EQ(Comm().MachineType(), 0xFF);
  EXPECT_EQ(events_.Take(), std::vector<std::string>{"StatusChange(1,0)"});
}

// Relays a connection asks of its list, written down.
class GroupLog final : public ISyncGroup {
 public:
  std::int32_t SyncCapableCount() const override { return 2; }
  void RelaySyncSetup(TCommBase& from, std::uint8_t mode, std::uint16_t a,
                      std::uint16_t b) override {
    calls.push_back("setup " + std::to_string(from.Cookie()) + " " + std::to_string(mode) + " " +
                    std::to_string(a) + " " + std::to_string(b));
    from.SendCommand(0xC0, mode, a, b, 500);
  }
  void RelaySyncMode(TCommBase& from, std::uint8_t value) override {
    calls.push_back("mode " + std::to_string(from.Cookie()) + " " + std::to_string(value));
  }
  void RelaySyncStop(TCommBase& from, std::uint8_t code) override {
    calls.push_back("stop " + std::to_string(from.Cookie()) + " " + std::to_string(code));
    from.SendSyncStop(code);
  }
  void StopAllSyncCapable(TCommBase& from) override {
    calls.push_back("stop all " + std::to_string(from.Cookie()));
  }
  std::vector<std::string> calls;
};

TEST_F(Personas, SynchronisedGroupRepliesReachTheList) {
  for (const Wire wire : {Wire::kSerial, Wire::kTcp}) {
    GroupLog group;
    TSimConfig config;
    config.persona = Persona::kSyncGroup;
    config.machineType = 0x10;
    config.syncFlag = 1;
    config.wire = wire;
    Open(config, &group);
    EXPECT_EQ(events_.Only("SyncSetup"), std::vector<std::string>{"SyncSetup(2,1,1)"});
    EXPECT_TRUE(Comm().IsSyncCapable());

    std::vector<std::uint8_t> setup(11, 0);
    setup[0] = 3;
    PutU16(setup, 3, 0x1234);
    PutU16(setup, 5, 0x0056);
    Machine().SendReply(0x60, setup);
    Pump();  // 0xC0 goes out, the machine acknowledges with 0x6D
    EXPECT_EQ(Comm().LastQueuedCommand(), 0);
    Machine().SendReply(0x61, std::vector<std::uint8_t>{2});
    Machine().SendReply(0x68);
    Machine().SendReply(0x6C);  // no 0xCC: the set-up was acknowledged
    Pump();
    Machine().SendProgressReply(0x1E, 3, 10);
    Pump();
    EXPECT_EQ(group.calls, (std::vector<std::string>{"setup 1 3 4660 86", "mode 1 2", "stop 1 200",
                                                     "stop 1 204", "stop all 1"}));
    const auto& last = Machine().Commands();
    EXPECT_EQ(std::vector<std::uint8_t>(last[last.size() - 2].begin(), last[last.size() - 2].end()),
              Codes({0xC0, 3, 50, 0, 0x34, 0x12, 0x56, 0x00}));
    EXPECT_EQ(last.back(), std::vector<std::uint8_t>{0xC8});
  }
}

TEST_F(Personas, RefusedSecondSendLeavesTheRunningTransferIntact) {
  TSimConfig config;
  config.persona = Persona::kStopsPulling;
  config.atBlock = 0;
  Open(config);
  auto first = MakeDesign(400, 0, false, false, "FIRST.10o");
  const TStitchItem copy = *first;
  ASSERT_TRUE(Send(std::move(first)));
  ASSERT_TRUE(Comm().IsSending());
  EXPECT_FALSE(Comm().CanStartTransfer());
  EXPECT_FALSE(Comm().StartTransfer(MakeDesign(9000, 0, false, false, "SECOND.10o"), true));
  EXPECT_EQ(Comm().SendDesign().FileName, "FIRST.10o");
  EXPECT_EQ(Comm().SewingFileName(), "FIRST.10o");
  // The machine goes on pulling: every block still comes from the first design.
  Comm().HandleReply(TReplyRecord::BareCode(0x84));
  const auto& frame = Machine().Commands().back();
  EXPECT_EQ(frame[0], 'D');
  const auto expected = ExpectedStream(copy);
  EXPECT_EQ(std::vector<std::uint8_t>(frame.begin() + 8, frame.begin() + 8 + 100),
            std::vector<std::uint8_t>(expected.begin() + 512, expected.begin() + 612));
}

TEST_F(Personas, BlockIndexesFromTheMachineStayInsideTheDesign) {
  TSimConfig config;
  config.persona = Persona::kSilent;
  Open(config);
  Comm().HandleReply(Reply(0x82, {0, 0x11, 0x22}));
  ASSERT_TRUE(Comm().StartTransfer(MakeDesign(171), true));
  events_.Take();
  Comm().HandleReply(TReplyRecord::BareCode(0x85));  // before any 0x84
  auto frame = Machine().Commands().back();
  EXPECT_EQ(frame[0], 'E');
  EXPECT_EQ(GetU16(frame, 4), 0xFFFF);
  EXPECT_EQ(GetU16(frame, 6), 0x2211);
  EXPECT_TRUE(std::all_of(frame.begin() + 8, frame.begin() + 520, [](auto b) { return b == 0; }));
  for (int i = 0; i < 40; ++i) Comm().HandleReply(TReplyRecord::BareCode(0x84));  // past the end
  frame = Machine().Commands().back();
  EXPECT_TRUE(std::all_of(frame.begin() + 8, frame.begin() + 520, [](auto b) { return b == 0; }));
  EXPECT_EQ(frame[520], 0xAA);
  for (const std::string& e : events_.Only("SendProgress")) {
    const int ratio = std::stoi(e.substr(e.find(',') + 1));
    EXPECT_GE(ratio, 0) << e;
    EXPECT_LE(ratio, 100) << e;
  }
  Comm().HandleReply(Reply(0x83));
  EXPECT_EQ(events_.Only("SendStop").back(), "SendStop(1,3)");
}

TEST_F(Personas, StrayTransferEndReportsNoNormalEnd) {
  Open({});
  events_.Take();
  Comm().HandleReply(Reply(0x83));
  Pump();
  EXPECT_TRUE(events_.Only("SendStop").empty());
}

TEST_F(Personas, EmptyDesignEndsNormallyWithoutBlocks) {
  Open({});
  ASSERT_TRUE(Send(MakeDesign(0)));
  EXPECT_EQ(Machine().FramesReceived(), 1);
  EXPECT_EQ(events_.Only("SendStop"), std::vector<std::string>{"SendStop(1,0)"});
}

}  // namespace
}  // namespace prototest
