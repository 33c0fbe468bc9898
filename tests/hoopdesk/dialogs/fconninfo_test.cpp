// The "Machine Info" dialog: its texts for networked and serial machines, the rejection it
// clears, and the reconnection with the outcome the server reports.
#include "hoopdesk/dialogs/fconninfo.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "hoopdesk/addressbytes.h"
#include "hoopdesk/fakeservice.h"
#include "hoopdesk/pumpuntil.h"
#include "hoopdesk/screenshot.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/messages.h"

namespace {

TConnInfo Network(std::uint16_t port) { return NetworkConn(192, 0, 2, 10, htons(port)); }

TEST(MachineInfoText, NetworkedAndSerialMachines) {
  EXPECT_EQ(ConnectionTypeText(Network(5000)), "TCP/IP");
  EXPECT_EQ(ConnectionAddressText(Network(5000)), "192.0.2.10:5000");
  TConnInfo serial{};
  serial.baudRate = 38400;
  EXPECT_EQ(ConnectionTypeText(serial), "Serial");
  EXPECT_EQ(ConnectionAddressText(serial), "38400 baud");
}

class ConnInfoTest : public testing::Test {
 protected:
  ConnInfoTest() {
    platform::SetMessageTextSource(ServiceMessageText);
    platform::SetMessageBoxHandler([this](platform::MessageBoxKind, const std::string&,
                                          const std::string& text) { boxes.push_back(text); });
    fake.Connect(0, "sew-1", Network(5000), &machine.cookie);
    machine.connInfo = Network(5000);
    machine.hostName = "sew-1";
    machine.address = "sew-1 <b>bold</b>";
    fake.log.clear();
  }
  ~ConnInfoTest() override {
    platform::SetMessageBoxHandler({});
    platform::SetMessageTextSource({});
  }
  QString Text(TFConnInfo& dialog, const char* name) {
    return dialog.findChild<QLabel*>(name)->text();
  }

  TFakeService fake;
  TMachineInfoInput machine;
  std::vector<std::string> boxes;
};

TEST_F(ConnInfoTest, ShowsTheConnectionAndTheLastErrorAsPlainText) {
  fake.states[machine.cookie] = SEW_ERROR;
  fake.errorIds[machine.cookie] = 273;
  TFConnInfo dialog(nullptr, machine, &fake);
  EXPECT_EQ(dialog.windowTitle(), "Machine Info");
  EXPECT_EQ(Text(dialog, "TypeText"), "TCP/IP");
  EXPECT_EQ(Text(dialog, "IPPortAddr"), "192.0.2.10:5000");
  EXPECT_EQ(Text(dialog, "IPAddrText"), "sew-1 <b>bold</b>");
  EXPECT_EQ(dialog.findChild<QLabel*>("IPAddrText")->textFormat(), Qt::PlainText);
  EXPECT_EQ(Text(dialog, "StatusText").toStdString(), ServiceMessageText(273));
  EXPECT_FALSE(dialog.findChild<QPushButton*>("ConnectBtn")->isEnabled());
  EXPECT_FALSE(fake.Logged("ClearError 1"));  // an error is not a rejection
  dialog.show();
  SaveScreenshot(dialog, "machine_info");
}

TEST_F(ConnInfoTest, OpeningForARejectedMachineClearsTheRejection) {
  fake.states[machine.cookie] = SEW_REJECTED;
  TFConnInfo dialog(nullptr, machine, &fake);
  EXPECT_TRUE(fake.Logged("ClearError 1"));
  EXPECT_TRUE(Text(dialog, "StatusText").isEmpty());
}

TEST_F(ConnInfoTest, ReconnectReportsTheOutcomeTheServerGives) {
  fake.states[machine.cookie] = SEW_OFFLINE;
  TFConnInfo dialog(nullptr, machine, &fake);
  dialog.SetReconnectWait(std::chrono::milliseconds(0));
  auto* connect = dialog.findChild<QPushButton*>("ConnectBtn");
  ASSERT_TRUE(connect->isEnabled());

  // Connect succeeds but the machine stays offline: a failure, the dialog stays open.
  fake.during = [this](const std::string& call) {
    if (call == "GetMachineState 2") fake.states[2] = SEW_OFFLINE;
  };
  fake.nextCookie = 2;
  dialog.show();
  connect->click();
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Reconnecting(); }));
  EXPECT_EQ(boxes, (std::vector<std::string>{ServiceMessageText(274)}));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(connect->isEnabled());

  // The machine comes up a while after Connect: success, with the new cookie.
  int asked = 0;
  fake.during = [this, &asked](const std::string& call) {
    if (call == "GetMachineState 3") fake.states[3] = ++asked >= 3 ? SEW_IDLE : SEW_OFFLINE;
  };
  fake.nextCookie = 3;
  dialog.SetReconnectWait(std::chrono::milliseconds(5000));
  connect->click();
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Reconnecting(); }));
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Cookie(), 3);
  EXPECT_EQ(boxes.size(), 1u);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

// The wait for the machine runs on a timer: while the server still reports the machine offline
// the dialog repaints and other timers fire, and the outcome comes afterwards as before.
TEST_F(ConnInfoTest, TheDialogRepaintsAndTimersFireWhileTheReconnectionWaits) {
  fake.states[machine.cookie] = SEW_OFFLINE;
  TFConnInfo dialog(nullptr, machine, &fake);
  dialog.show();
  PaintCounter counter;
  dialog.installEventFilter(&counter);
  int asked = 0;
  bool comesUp = false;
  fake.during = [&](const std::string& call) {
    if (call == "GetMachineState 2") fake.states[2] = comesUp ? SEW_IDLE : SEW_OFFLINE;
    if (call == "GetMachineState 2") ++asked;
  };
  fake.nextCookie = 2;
  auto* connect = dialog.findChild<QPushButton*>("ConnectBtn");
  connect->click();
  EXPECT_TRUE(dialog.Reconnecting());
  EXPECT_FALSE(connect->isEnabled());  // one attempt at a time
  bool fired = false;
  QTimer::singleShot(0, [&] { fired = true; });
  ASSERT_TRUE(PumpUntil([&] { return fired && asked >= 2; }));
  const int paints = counter.paints;
  dialog.update();
  ASSERT_TRUE(PumpUntil([&] { return counter.paints > paints; }));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.Reconnecting());
  SaveScreenshot(dialog, "machine_info_reconnecting");
  comesUp = true;
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Reconnecting(); }));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Cookie(), 2);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ConnInfoTest, WithoutAServerOnlyTheConnectionIsShown) {
  TConnInfo serial{};
  serial.baudRate = 9600;
  machine.connInfo = serial;
  TFConnInfo dialog(nullptr, machine, nullptr);
  EXPECT_EQ(Text(dialog, "TypeText"), "Serial");
  EXPECT_EQ(Text(dialog, "IPPortAddr"), "9600 baud");
  EXPECT_FALSE(dialog.findChild<QPushButton*>("ConnectBtn")->isEnabled());
}

}  // namespace
