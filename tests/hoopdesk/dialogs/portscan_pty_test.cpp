// The port dialog's scan through Portlink, over pseudo-terminals where simulated machines
// answer the modem test and the identity request.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "hoopdesk/dialogs/fport.h"
#include "hoopdesk/dialogs/portlinkline.h"
#include "hoopdesk/screenshot.h"
#include "hoopdesk/slp/scopedenv.h"
#include "portfakes.h"
#include "sim/simline.h"

namespace {

using namespace std::chrono_literals;

// The identity reply of a machine of `type` whose version words read (01.02.03).
sim::TSimConfig Machine(std::uint8_t type) {
  sim::TSimConfig config;
  config.machineType = type;
  config.enquiresOnProbe = true;
  std::array<std::uint8_t, 12> identity{};
  identity[0] = type;
  identity[1] = 15;
  identity[4] = '2';  // reply bytes 5..6: the middle word
  identity[5] = '0';
  identity[6] = '1';  // bytes 7..8: the first
  identity[7] = '0';
  identity[8] = '3';  // bytes 9..10: the last
  identity[9] = '0';
  config.identity = identity;
  return config;
}

sim::TSimConfig WithPersona(sim::Persona persona) {
  sim::TSimConfig config;
  config.persona = persona;
  return config;
}

// Portlink's line, except that one port's DSR reads as off: a pseudo-terminal cannot drop it.
class DsrOffLine : public TScanLine {
 public:
  explicit DsrOffLine(int comIndex) : dsrOff_(comIndex) {}
  void Begin(std::uint32_t baudRate) override { line_.Begin(baudRate); }
  bool Find(int comIndex) override {
    current_ = comIndex;
    return line_.Find(comIndex);
  }
  bool Open() override { return line_.Open(); }
  bool Dsr() const override { return current_ != dsrOff_ && line_.Dsr(); }
  void Send(std::span<const std::uint8_t> bytes) override { line_.Send(bytes); }
  bool WaitForReply(const TPump& pump) override { return line_.WaitForReply(pump); }
  bool ModemAnswered() const override { return line_.ModemAnswered(); }
  void Close() override { line_.Close(); }
  portlink::CMDInfo Identity() const override { return line_.Identity(); }

 private:
  TPortlinkLine line_;
  int dsrOff_;
  int current_ = -1;
};

// A data folder and sixteen COM ports that lead nowhere until a machine takes one.
class PortScanPtyTest : public ::testing::Test {
 protected:
  PortScanPtyTest() {
    for (int n = 1; n <= 16; ++n) {
      names_.push_back("PELLORA_COM" + std::to_string(n));
      const std::string path = "/nonexistent/pellora-com" + std::to_string(n);
      ports_.push_back(std::make_unique<ScopedEnv>(names_.back().c_str(), path.c_str()));
    }
  }

  QTemporaryDir home_;
  ScopedEnv homeEnv_{"PELLORA_HOME", home_.path().toLocal8Bit().constData()};
  std::vector<std::string> names_;
  std::vector<std::unique_ptr<ScopedEnv>> ports_;
  MessageBoxes boxes_;
};

TEST_F(PortScanPtyTest, ListsTheMachinesTheSilentPortWithDsrOffAndNothingElse) {
  sim::TSimPtyMachine tqv(Machine(0x10), 0);                          // COM1
  sim::TSimPtyMachine silent(WithPersona(sim::Persona::kSilent), 2);  // COM3, DSR off
  sim::TSimPtyMachine modem(WithPersona(sim::Persona::kModem), 3);    // COM4
  sim::TSimPtyMachine quiet(sim::TSimConfig{}, 4);  // COM5: ignores the modem test, DSR on
  sim::TSimPtyMachine rx(Machine(0x01), 6);         // COM7

  FakePortHost host;
  TSettings settings;
  settings.BaudRate = 9600;
  TFPort dialog(nullptr, host, settings, std::make_unique<DsrOffLine>(2));
  dialog.show();
  dialog.findChild<QPushButton*>("ScanBtn")->click();

  auto* list = dialog.findChild<QTreeWidget*>("ListView");
  ASSERT_EQ(list->topLevelItemCount(), 3);
  auto row = [&](int i) {
    const QTreeWidgetItem* item = list->topLevelItem(i);
    return QStringList{item->text(0), item->text(1), item->text(2),
                       item->checkState(0) == Qt::Checked ? "checked" : "-"};
  };
  EXPECT_EQ(row(0), (QStringList{"COM1", "TQV4000 (01.02.03)", "ON", "checked"}));
  EXPECT_EQ(row(1), (QStringList{"COM3", "No Response", "OFF", "-"}));
  EXPECT_EQ(row(2), (QStringList{"COM7", "RX511", "ON", "-"}));
  // Only the listed rows move the bar: not the ports this computer lacks, the modem, or the
  // machine that stayed silent with DSR on.
  EXPECT_EQ(dialog.findChild<QProgressBar*>("ProgBar")->value(), 3);
  EXPECT_EQ(
      tqv.Get<std::vector<std::uint8_t>>([](sim::TSimMachine& m) { return m.CommandCodes(); }),
      (std::vector<std::uint8_t>{0x41, 0xD1}));
  EXPECT_TRUE(
      silent.Get<std::vector<std::uint8_t>>([](sim::TSimMachine& m) { return m.CommandCodes(); })
          .empty());  // DSR off: nothing is sent
  EXPECT_EQ(
      modem.Get<std::vector<std::uint8_t>>([](sim::TSimMachine& m) { return m.CommandCodes(); }),
      (std::vector<std::uint8_t>{0x41}));
  SaveScreenshot(dialog, "port-dialog-after-scan");
}

TEST_F(PortScanPtyTest, CommandsOfAClosedPortDoNotAnswerForTheNext) {
  sim::TLineTiming chatty;
  chatty.keepAlive = 10ms;  // keeps posting while the port is open
  sim::TSimPtyMachine talker(sim::TSimConfig{}, 0, chatty);
  sim::TSimPtyMachine quiet(sim::TSimConfig{}, 1);  // ignores the modem test

  TPortlinkLine line;
  line.Begin(9600);
  ASSERT_TRUE(line.Find(0));
  ASSERT_TRUE(line.Open());
  EXPECT_TRUE(line.WaitForReply({}));
  std::this_thread::sleep_for(100ms);  // more keep-alives wait in the queue
  line.Close();

  ASSERT_TRUE(line.Find(1));
  ASSERT_TRUE(line.Open());
  EXPECT_TRUE(line.Dsr());
  const std::array<std::uint8_t, 3> probe = {'A', 'T', '\r'};
  line.Send(probe);
  EXPECT_FALSE(line.WaitForReply({}));
  line.Close();
}

}  // namespace
