// Each reply code's effect on the connection: the state it leaves, the error it stores, the
// events it fires and the commands it sends. The machine on the other end stays silent so that
// only the connection's own doing is seen.
#include <gtest/gtest.h>

#include "protocol_fixture.h"

namespace prototest {
namespace {

struct Row {
  const char* name;
  std::vector<TReplyRecord> before;  // handled first; their events and commands are forgotten
  TReplyRecord reply;
  TSewingState state;
  std::int32_t error;
  std::vector<std::string> events;
  std::vector<std::uint8_t> commands;
};

TReplyRecord Cut(TReplyRecord record, std::size_t length) {
  record.length = length;
  return record;
}

class ReplyRows : public LinkFixture {
 protected:
  void SetUp() override {
    sim::TSimConfig config;
    config.persona = sim::Persona::kSilent;
    Open(config);
  }
  std::vector<std::uint8_t> CommandsSince(std::size_t from) {
    const auto codes = Machine().CommandCodes();
    return {codes.begin() + static_cast<std::ptrdiff_t>(from), codes.end()};
  }
};

TEST_F(ReplyRows, EachCodeLeavesItsStateEventsAndCommands) {
  const Row rows[] = {
      {"identity of a sync-capable machine",
       {},
       Identity(0x10, 6, 1),
       SEW_IDLE,
       0,
       {"SyncSetup(1,1,1)"},
       {0xE0}},
      {"identity of a plain machine",
       {},
       Identity(0x01, 15),
       SEW_IDLE,
       0,
       {"SyncSetup(0,1,0)"},
       {0xE0}},
      {"0x11 at stitch 0 while idle",
       {},
       Progress(0x11, 2, 80, 0),
       SEW_SEW_STARTING,
       0,
       {"Progress(1,17,0,0,0,80,2)", "StatusChange(1,2)"},
       {0xE0}},
      {"0x11 at stitch 500",
       {},
       Progress(0x11, 2, 80, 500),
       SEW_SEWING,
       0,
       {"Progress(1,17,500,0,0,80,2)", "StatusChange(1,4)"},
       {}},
      {"0x12 after sewing at 500",
       {Progress(0x11, 2, 80, 500)},
       Progress(0x12, 2, 9, 500),
       SEW_PAUSED,
       0,
       {"Progress(1,18,500,0,0,0,2)", "StatusChange(1,5)"},
       {}},
      {"0x12 at stitch 0",
       {},
       Progress(0x12, 2, 0, 0),
       SEW_IDLE,
       0,
       {"Progress(1,18,0,0,0,0,2)", "StatusChange(1,2)"},
       {}},
      {"0x13 completed",
       {},
       Progress(0x13, 4, 0, 900),
       SEW_COMPLETED,
       0,
       {"Progress(1,19,900,0,0,0,4)", "StatusChange(1,6)", "Complete(1,1,4)"},
       {}},
      {"0x1E thread break",
       {},
       Progress(0x1E, 2, 6, 120),
       SEW_ERROR,
       284,
       {"Progress(1,30,120,0,284,0,2)", "StatusChange(1,7)"},
       {}},
      {"0x1E alarm beyond the message table",
       {},
       Progress(0x1E, 2, 40, 1),
       SEW_ERROR,
       318,
       {"Progress(1,30,1,0,318,0,2)", "StatusChange(1,7)"},
       {}},
      {"0x11 clears an alarm",
       {Progress(0x1E, 2, 6, 120)},
       Progress(0x11, 2, 50, 130),
       SEW_SEWING,
       0,
       {"Progress(1,17,130,0,0,50,2)", "StatusChange(1,4)"},
       {}},
      {"0x1F while idle", {}, Reply(0x1F), SEW_REJECTED, 266, {"StatusChange(1,8)"}, {}},
      {"0x20 with an empty name",
       {},
       FileName(""),
       SEW_IDLE,
       0,
       {"FilenameAck(1,\"\",1000)"},
       {0xD0}},
      {"0x20 after a progress reply",
       {Progress(0x12, 1, 0, 0)},
       FileName("A.10o"),
       SEW_IDLE,
       0,
       {"FilenameAck(1,\"A.10o\",1000)"},
       {}},
      {"0x20 again after an empty name",
       {FileName("")},
       FileName(""),
       SEW_IDLE,
       0,
       {"FilenameAck(1,\"\",1000)"},
       {}},
      {"0x2F while idle", {}, Reply(0x2F), SEW_REJECTED, 265, {}, {}},
      {"0x45 enquiry", {}, Reply(0x45), SEW_IDLE, 0, {}, {0xD1}},
      {"0x4F modem answer", {}, Reply(0x4F), SEW_NO_PORT, 0, {"StatusChange(1,0)"}, {}},
      {"0x82 ready to receive",
       {},
       Reply(0x82, {0, 0x34, 0x12}),
       SEW_IDLE,
       0,
       {"SendStart(1)"},
       {}},
      {"0x83 outside a transfer", {}, Reply(0x83), SEW_IDLE, 0, {}, {0x43, 0xE0}},
      {"0x84 outside a transfer", {}, Reply(0x84), SEW_IDLE, 0, {}, {'D'}},
      {"0x85 outside a transfer", {}, Reply(0x85), SEW_IDLE, 0, {}, {'E'}},
      {"0x87 settles a sewing machine",
       {Progress(0x11, 2, 80, 500)},
       Reply(0x87),
       SEW_PAUSED,
       0,
       {},
       {}},
      {"0x87 settles an idle machine", {}, Reply(0x87), SEW_IDLE, 0, {}, {}},
      {"0x21 position", {}, Reply(0x21, {1, 0, 0, 5, 0, 6, 0}), SEW_IDLE, 0, {}, {}},
      {"0x22", {}, Reply(0x22, {1}), SEW_IDLE, 0, {}, {}},
      {"0x23 status block", {}, Reply(0x23, {1, 2, 3}), SEW_IDLE, 0, {}, {}},
      {"0x6A", {}, Reply(0x6A, {1}), SEW_IDLE, 0, {}, {}},
      {"a code without a meaning", {}, Reply(0x99), SEW_IDLE, 0, {}, {}},
      {"a bare 0x02", {}, TReplyRecord::BareCode(0x02), SEW_IDLE, 0, {}, {}},
      {"a cut 0x11", {}, Cut(Progress(0x11, 2, 80, 500), 4), SEW_IDLE, 0, {}, {}},
      {"a cut 0x20", {}, Cut(FileName("A.10o"), 12), SEW_IDLE, 0, {}, {}},
      {"a bare 0x82", {}, TReplyRecord::BareCode(0x82), SEW_IDLE, 0, {}, {}},
      {"an empty record", {}, TReplyRecord{}, SEW_IDLE, 0, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    for (const TReplyRecord& r : row.before) Comm().HandleReply(r);
    events_.Take();
    const std::size_t sent = Machine().Commands().size();
    Comm().HandleReply(row.reply);
    EXPECT_EQ(Comm().State(), row.state);
    EXPECT_EQ(Comm().GetError(), row.error);
    EXPECT_EQ(events_.Take(), row.events);
    EXPECT_EQ(CommandsSince(sent), row.commands);
  }
}

TEST_F(ReplyRows, NeedleCountResizesTheMachinePaletteOnlyWithinOneToFifteen) {
  const struct {
    std::uint8_t needles;
    int count;
  } cases[] = {{6, 6}, {0, 6}, {16, 6}, {15, 15}, {1, 1}, {200, 1}};
  for (const auto& c : cases) {
    Comm().HandleReply(Identity(0x01, c.needles));
    EXPECT_EQ(Comm().MachineColors().GetCount(), c.count) << int(c.needles);
  }
}

TEST_F(ReplyRows, ProgressFieldsFollowTheLastProgressReply) {
  Comm().HandleReply(Progress(0x11, 3, 72, 4242));
  const TProgress& p = Comm().Progress();
  EXPECT_EQ(p.state, 0x11);
  EXPECT_EQ(p.nPos, 4242);
  EXPECT_EQ(p.nRot, 72);
  EXPECT_EQ(p.nNeedleNo, 3);
  Comm().HandleReply(FileName("X.10o", 777));
  EXPECT_EQ(Comm().Progress().nRemain, 777);
  EXPECT_EQ(Comm().EffectiveState(), SEW_SEWING);
}

TEST_F(ReplyRows, EffectiveStateIsOfflineWithoutALineAndPausedWhenIdleMidDesign) {
  Comm().HandleReply(Progress(0x12, 1, 0, 300));
  ASSERT_EQ(Comm().State(), SEW_PAUSED);
  Comm().ClearError();
  EXPECT_EQ(Comm().State(), SEW_IDLE);
  EXPECT_EQ(Comm().EffectiveState(), SEW_PAUSED);
  Comm().Close();
  EXPECT_EQ(Comm().EffectiveState(), SEW_OFFLINE);
}

TEST_F(ReplyRows, AnErrorIsLoggedOnceUntilItChanges) {
  Comm().SetError(284);
  Comm().SetError(284);
  Comm().SetError(266);
  ASSERT_EQ(Comm().log.size(), 2u);
  EXPECT_EQ(Comm().log[0], "App Error: Thread break, File: ");
}

TEST_F(ReplyRows, PollTimerReportsAnErrorAndAsksForProgressOnTheTenthTick) {
  std::uint8_t status = 9;
  std::uint32_t stitch = 9;
  std::int32_t error = 9;
  EXPECT_EQ(Comm().PollTimer(10, status, stitch, error), SEW_IDLE);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(stitch, 0u);
  EXPECT_EQ(error, 0);

  Comm().HandleReply(Progress(0x1E, 1, 18, 77));  // id 296
  std::size_t sent = Machine().Commands().size();
  EXPECT_EQ(Comm().PollTimer(7, status, stitch, error), SEW_ERROR);
  EXPECT_EQ(status, 0x1E);
  EXPECT_EQ(stitch, 77u);
  EXPECT_EQ(error, 296);
  EXPECT_EQ(CommandsSince(sent), std::vector<std::uint8_t>{});
  Comm().PollTimer(20, status, stitch, error);
  EXPECT_EQ(CommandsSince(sent), std::vector<std::uint8_t>{0xD0});
}

TEST_F(ReplyRows, SyncStopSendsWithdrawOnlyAfterASetUp) {
  const std::size_t sent = Machine().Commands().size();
  Comm().SendSyncStop(0xCC);
  Comm().SendSyncStop(0xC8);
  Comm().SendCommand(0xC0, 1, 0x1234, 0x56, 500);
  Comm().SendSyncStop(0xCC);
  Comm().HandleReply(Reply(0x6D));
  EXPECT_EQ(Comm().LastQueuedCommand(), 0);
  Comm().SendSyncStop(0xCC);
  EXPECT_EQ(CommandsSince(sent), (std::vector<std::uint8_t>{0xC8, 0xC0, 0xCC}));
}

TEST_F(ReplyRows, ColourSectionIsTheHostNameOnTcpAndMacColorOnSerial) {
  EXPECT_EQ(Comm().ColorSectionName(), "MacColor1");
  sim::TSimConfig config;
  config.wire = sim::Wire::kTcp;
  config.persona = sim::Persona::kSilent;
  sim::TSimLink tcp(config, nullptr, 5, 3);
  tcp.Connection().name = "machine-7";
  EXPECT_EQ(tcp.Connection().ColorSectionName(), "machine-7");
  tcp.Connection().name = "SysColor";
  EXPECT_NE(tcp.Connection().ColorSectionName(), "SysColor");
  tcp.Connection().name = "a]\nb";
  EXPECT_EQ(tcp.Connection().ColorSectionName().find_first_of("]\n"), std::string::npos);
}

TEST_F(ReplyRows, WithoutAnOwnerNoEventFiresButTheStateChanges) {
  sim::TSimConfig config;
  config.persona = sim::Persona::kSilent;
  sim::TSimLink lonely(config, nullptr);
  lonely.Connect();
  lonely.Connection().HandleReply(Progress(0x1E, 1, 6, 5));
  lonely.Connection().HandleReply(FileName("A.10o"));
  EXPECT_EQ(lonely.Connection().State(), SEW_ERROR);
}

}  // namespace
}  // namespace prototest
