#include "hoopdesk/dialogs/portsession.h"

#include <gtest/gtest.h>

#include "hoopdesk/dialogs/portmachine.h"
#include "hoopdesk/dialogs/portscan.h"
#include "portfakes.h"

namespace {

TEST(PortMachine, ModelsByMachineType) {
  MessageBoxes boxes;
  struct Row {
    portlink::CMDInfo id;
    std::int32_t model;
    const char* text;
    bool checked, listed;
  };
  const Row rows[] = {
      {Identity(0x00), 2, "RX510", false, true},
      {Identity(0x01), 3, "RX511", false, true},
      {Identity(0x10, "010203"), 4, "TQV4000 (01.02.03)", true, true},
      {Identity(0x20, "1A2B3C"), 5, "TQV4100LAN (1A.2B.3C)", true, true},
      {Identity(0xFF), 1, "Modem", false, false},
      {Identity(0x3F), 0, "Unknown", false, true},  // answered, but told no identity
      {Identity(0x10,
                "0\x01\xE9"
                "2\n3"),
       4, "TQV4000 (0?.?2.?3)", true, true},
  };
  for (const Row& row : rows) {
    const TPortMachine m = DescribeMachine(row.id);
    EXPECT_EQ(m.model, row.model) << row.text;
    EXPECT_EQ(m.text, row.text);
    EXPECT_EQ(m.checked, row.checked) << row.text;
    EXPECT_EQ(m.Listed(), row.listed) << row.text;
  }
}

TEST(PortScan, ListsMachinesAndSilentPortsWithDsrOff) {
  MessageBoxes boxes;
  ScriptedLine line;
  line.ports[0] = {true, true, ScriptedPort::Answer::kMachine, Identity(0x10, "010203")};
  line.ports[2] = {true, false, ScriptedPort::Answer::kNone, {}};     // DSR off: listed
  line.ports[3] = {true, true, ScriptedPort::Answer::kNone, {}};      // DSR on, silent: left out
  line.ports[4] = {true, true, ScriptedPort::Answer::kModem, {}};     // a modem: left out
  line.ports[6] = {false, true, ScriptedPort::Answer::kMachine, {}};  // does not open
  line.ports[9] = {true, true, ScriptedPort::Answer::kMachine, Identity(0x01)};
  std::vector<TPortRow> rows;
  int steps = 0;
  ScanPorts(line, 19200, {[&](const TPortRow& r) { rows.push_back(r); }, [&] { ++steps; }, {}});
  EXPECT_EQ(line.baud, 19200u);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].comIndex, 0);
  EXPECT_EQ(rows[0].model, "TQV4000 (01.02.03)");
  EXPECT_TRUE(rows[0].dsr);
  EXPECT_TRUE(rows[0].checked);
  EXPECT_EQ(rows[1].comIndex, 2);
  EXPECT_EQ(rows[1].model, "No Response");
  EXPECT_FALSE(rows[1].dsr);
  EXPECT_EQ(rows[2].comIndex, 6);  // a port that would not open counts as silent, DSR off
  EXPECT_EQ(rows[2].model, "No Response");
  EXPECT_FALSE(rows[2].dsr);
  EXPECT_EQ(rows[3].model, "RX511");
  EXPECT_FALSE(rows[3].checked);
  EXPECT_EQ(steps, 4);  // one per listed port: ports not there, the modem and the silent one
                        // with DSR are no step
  // The machines were sent the modem test and then asked who they are; the modem only the test.
  const std::vector<std::vector<std::uint8_t>> sent = {
      {'A', 'T', '\r'}, {0xD1}, {'A', 'T', '\r'}, {'A', 'T', '\r'}, {'A', 'T', '\r'}, {0xD1}};
  EXPECT_EQ(line.sent, sent);
}

TEST(PortScan, NoPortAtAllListsNothingAndCountsNothing) {
  ScriptedLine line;
  int rows = 0, steps = 0;
  ScanPorts(line, 9600, {[&](const TPortRow&) { ++rows; }, [&] { ++steps; }, {}});
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(steps, 0);
}

class PortSessionTest : public ::testing::Test {
 protected:
  MessageBoxes boxes_;
  FakePortHost host_;
  TSettings settings_ = [] {
    TSettings s;
    s.BaudRate = 9600;
    s.Ports = {3, 4, -1, -1, -1, -1};
    return s;
  }();
  TPortSession session_{host_, settings_};
};

TEST_F(PortSessionTest, AQueuedDesignOnAnyMachineRefusesTheScan) {
  host_.queued = {0, 0, 0, 0, 0, 0, 0, 2};  // the eighth machine, beyond the six panel slots
  EXPECT_FALSE(session_.PrepareScan());
  EXPECT_EQ(boxes_.texts, std::vector<std::string>{"Send queue is not empty"});
  EXPECT_EQ(host_.releaseAsks, 0);
  EXPECT_FALSE(session_.Released());
  // OK refuses too: releasing would drop the queue.
  EXPECT_FALSE(session_.Accept(1, {}));
  EXPECT_EQ(host_.releaseAsks, 0);
  EXPECT_EQ(settings_.BaudRate, 9600);
}

TEST_F(PortSessionTest, ABusyMachineRefusesUntilItIsDone) {
  host_.queued = {0, 0};
  host_.busy = true;
  EXPECT_FALSE(session_.PrepareScan());
  EXPECT_EQ(boxes_.texts, std::vector<std::string>{"Machine(s) is/are active, try later"});
  host_.busy = false;
  EXPECT_TRUE(session_.PrepareScan());
  EXPECT_TRUE(session_.PrepareScan());  // released once, for the dialog's life
  EXPECT_EQ(host_.releaseAsks, 2);
}

TEST_F(PortSessionTest, OkStoresTheBaudRateAndTheCheckedPorts) {
  struct Row {
    bool scanned;
    int baudIndex;
    std::vector<int> checked;
    bool accepted;
    std::int32_t baud;
    std::array<std::int32_t, 6> ports;
    bool modified;
    int boxes;
  };
  const Row rows[] = {
      {false, 0, {}, true, 9600, {3, 4, -1, -1, -1, -1}, false, 0},  // nothing changed
      {false, 2, {}, true, 38400, {3, 4, -1, -1, -1, -1}, true, 0},  // only the baud rate
      {true, 1, {7, 2}, true, 19200, {7, 2, -1, -1, -1, -1}, true, 0},
      {true, 0, {0, 1, 2, 3, 4, 5}, true, 9600, {0, 1, 2, 3, 4, 5}, true, 0},
      {true, 0, {0, 1, 2, 3, 4, 5, 6}, false, 9600, {3, 4, -1, -1, -1, -1}, false, 1},
      {true, 0, {}, false, 9600, {3, 4, -1, -1, -1, -1}, false, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "checked " << row.checked.size() << " baud " << row.baud);
    MessageBoxes boxes;
    TSettings settings;
    settings.BaudRate = 9600;
    settings.Ports = {3, 4, -1, -1, -1, -1};
    FakePortHost host;
    TPortSession session(host, settings);
    if (row.scanned) {
      ASSERT_TRUE(session.PrepareScan());
      session.ScanDone();
      EXPECT_EQ(host.traceCloses, 1);
    }
    EXPECT_EQ(session.Accept(row.baudIndex, row.checked), row.accepted);
    EXPECT_EQ(settings.BaudRate, row.baud);
    EXPECT_EQ(settings.Ports, row.ports);
    EXPECT_EQ(settings.modified, row.modified);
    EXPECT_EQ(static_cast<int>(boxes.texts.size()), row.boxes);
    if (row.boxes) {
      EXPECT_EQ(boxes.texts[0], "Zero or too many ports were selected");
    }
  }
}

TEST_F(PortSessionTest, ClosingStartsTheMachinesOnlyWhenTheyWereReleased) {
  session_.Close({});
  EXPECT_EQ(host_.starts, 0);
  EXPECT_EQ(host_.resizes, 1);
  TPortSession scanned(host_, settings_);
  ASSERT_TRUE(scanned.PrepareScan());
  int pumps = 0;
  scanned.Close([&] { ++pumps; });  // also after Cancel
  EXPECT_EQ(host_.starts, 1);
  EXPECT_EQ(pumps, 10);
  EXPECT_EQ(host_.resizes, 2);
}

TEST(PortSessionBaud, RadioItemOfTheStoredRate) {
  EXPECT_EQ(TPortSession::BaudIndex(9600), 0);
  EXPECT_EQ(TPortSession::BaudIndex(19200), 1);
  EXPECT_EQ(TPortSession::BaudIndex(38400), 2);
  EXPECT_EQ(TPortSession::BaudIndex(57600), 0);
}

}  // namespace
