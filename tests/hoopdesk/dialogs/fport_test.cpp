#include "hoopdesk/dialogs/fport.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "portfakes.h"

namespace {

class FPortTest : public ::testing::Test {
 protected:
  void Open() {
    auto line = std::make_unique<ScriptedLine>();
    line_ = line.get();
    line_->ports = ports_;
    dialog_ = std::make_unique<TFPort>(nullptr, host_, settings_, std::move(line));
    dialog_->show();
    list_ = dialog_->findChild<QTreeWidget*>("ListView");
    scan_ = dialog_->findChild<QPushButton*>("ScanBtn");
    ok_ = dialog_->findChild<QPushButton*>("OKBtn");
    cancel_ = dialog_->findChild<QPushButton*>("CancelBtn");
    bar_ = dialog_->findChild<QProgressBar*>("ProgBar");
    ASSERT_TRUE(list_ && scan_ && ok_ && cancel_ && bar_);
  }
  QStringList Row(int i) const {
    const QTreeWidgetItem* item = list_->topLevelItem(i);
    return {item->text(0), item->text(1), item->text(2),
            item->checkState(0) == Qt::Checked ? "checked" : "-"};
  }

  MessageBoxes boxes_;
  FakePortHost host_;
  TSettings settings_ = [] {
    TSettings s;
    s.BaudRate = 19200;
    s.Ports = {0, -1, -1, -1, -1, -1};
    return s;
  }();
  std::map<int, ScriptedPort> ports_;
  ScriptedLine* line_ = nullptr;
  std::unique_ptr<TFPort> dialog_;
  QTreeWidget* list_ = nullptr;
  QPushButton *scan_ = nullptr, *ok_ = nullptr, *cancel_ = nullptr;
  QProgressBar* bar_ = nullptr;
};

TEST_F(FPortTest, StartsWithTheStoredBaudRateAndOkDisabled) {
  Open();
  EXPECT_EQ(dialog_->windowTitle(), "Port");
  EXPECT_EQ(list_->headerItem()->text(0), "Port");
  EXPECT_EQ(list_->headerItem()->text(1), "Model");
  EXPECT_EQ(list_->headerItem()->text(2), "DSR");
  EXPECT_EQ(list_->columnWidth(1), 200);
  EXPECT_TRUE(dialog_->findChild<QRadioButton*>("BaudRG1")->isChecked());
  EXPECT_EQ(dialog_->findChild<QGroupBox*>("BaudRG")->title(), "&Baud Rate");
  EXPECT_EQ(scan_->text(), "&Scan Ports");
  EXPECT_FALSE(ok_->isEnabled());
  EXPECT_EQ(bar_->maximum(), 16);
  dialog_->findChild<QRadioButton*>("BaudRG2")->click();
  EXPECT_TRUE(ok_->isEnabled());
}

TEST_F(FPortTest, AScanListsWhatAnsweredAndEnablesOk) {
  host_.queued = {0, 0, 0};
  ports_[0] = {true, true, ScriptedPort::Answer::kMachine, Identity(0x10, "010203")};
  ports_[5] = {true, false, ScriptedPort::Answer::kNone, {}};
  Open();
  dialog_->findChild<QRadioButton*>("BaudRG2")->click();
  scan_->click();
  EXPECT_EQ(host_.releaseAsks, 1);
  EXPECT_EQ(line_->baud, 38400u);
  EXPECT_EQ(settings_.BaudRate, 38400);
  EXPECT_TRUE(settings_.modified);
  ASSERT_EQ(list_->topLevelItemCount(), 2);
  EXPECT_EQ(Row(0), (QStringList{"COM1", "TQV4000 (01.02.03)", "ON", "checked"}));
  EXPECT_EQ(Row(1), (QStringList{"COM6", "No Response", "OFF", "-"}));
  EXPECT_EQ(bar_->value(), 2);
  EXPECT_TRUE(ok_->isEnabled());
  EXPECT_TRUE(scan_->isEnabled());
  EXPECT_EQ(host_.traceCloses, 1);
  ok_->click();
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(settings_.Ports, (std::array<std::int32_t, 6>{0, -1, -1, -1, -1, -1}));
  EXPECT_EQ(host_.starts, 1);
}

TEST_F(FPortTest, AMachineWithAQueuedDesignRefusesTheScan) {
  host_.queued = {0, 1};
  ports_[0] = {true, true, ScriptedPort::Answer::kMachine, Identity(0x10)};
  Open();
  scan_->click();
  EXPECT_EQ(boxes_.texts, std::vector<std::string>{"Send queue is not empty"});
  EXPECT_EQ(line_->begins, 0);
  EXPECT_EQ(host_.releaseAsks, 0);
  EXPECT_EQ(list_->topLevelItemCount(), 0);
  cancel_->click();
  EXPECT_EQ(host_.starts, 0);  // nothing was released, nothing to start
}

TEST_F(FPortTest, SevenCheckedPortsKeepTheDialogOpen) {
  for (int com = 0; com < 7; ++com)
    ports_[com] = {true, true, ScriptedPort::Answer::kMachine, Identity(0x20)};
  Open();
  scan_->click();
  ASSERT_EQ(list_->topLevelItemCount(), 7);
  ok_->click();
  EXPECT_EQ(boxes_.texts, std::vector<std::string>{"Zero or too many ports were selected"});
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(settings_.Ports[0], 0);
  EXPECT_EQ(host_.starts, 0);
  for (int i = 0; i < 7; ++i)
    if (i != 2 && i != 5) list_->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
  ok_->click();
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(settings_.Ports, (std::array<std::int32_t, 6>{2, 5, -1, -1, -1, -1}));
}

TEST_F(FPortTest, NothingReentersTheScanWhileItWaits) {
  ports_[0] = {true, true, ScriptedPort::Answer::kMachine, Identity(0x10)};
  Open();
  bool tried = false;
  line_->whileWaiting = [&] {
    if (tried) return;
    tried = true;
    EXPECT_TRUE(dialog_->Scanning());
    EXPECT_FALSE(scan_->isEnabled());
    EXPECT_FALSE(ok_->isEnabled());
    EXPECT_FALSE(cancel_->isEnabled());
    dialog_->ScanBtnClick();
    dialog_->OKBtnClick();
    dialog_->reject();
    dialog_->close();
  };
  scan_->click();
  EXPECT_TRUE(tried);
  EXPECT_EQ(line_->begins, 1);
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(host_.starts, 0);
  EXPECT_EQ(list_->topLevelItemCount(), 1);
}

TEST_F(FPortTest, CancelAfterAScanStillStartsTheMachines) {
  Open();
  scan_->click();
  EXPECT_EQ(list_->topLevelItemCount(), 0);
  EXPECT_EQ(bar_->value(), 0) << "no port at all: nothing to count";
  const std::array<std::int32_t, 6> before = settings_.Ports;
  cancel_->click();
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(host_.starts, 1);
  EXPECT_EQ(host_.resizes, 1);
  EXPECT_EQ(settings_.Ports, before);
}

// The close restarts the machines and pumps events: clicks the operator made meanwhile are
// queued and run inside the close. A scan then would open ports the restarted machines hold, an
// OK would rewrite the serial slots after the machines were started from them.
TEST_F(FPortTest, ClicksQueuedDuringTheCloseDoNothing) {
  ports_[2] = {true, true, ScriptedPort::Answer::kMachine, Identity(0x10)};
  Open();
  scan_->click();
  ASSERT_EQ(line_->begins, 1);
  const std::array<std::int32_t, 6> before = settings_.Ports;
  host_.duringStart = [&] {
    EXPECT_FALSE(scan_->isEnabled());
    EXPECT_FALSE(ok_->isEnabled());
    EXPECT_FALSE(dialog_->findChild<QRadioButton*>("BaudRG0")->isEnabled());
    // As the operator's clicks would arrive: queued, run by the close's event pump.
    QMetaObject::invokeMethod(dialog_.get(), &TFPort::ScanBtnClick, Qt::QueuedConnection);
    QMetaObject::invokeMethod(dialog_.get(), &TFPort::OKBtnClick, Qt::QueuedConnection);
    QMetaObject::invokeMethod(dialog_.get(), &TFPort::BaudRGClick, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        dialog_.get(), [this] { dialog_->done(QDialog::Accepted); }, Qt::QueuedConnection);
  };
  cancel_->click();
  EXPECT_EQ(host_.starts, 1);
  EXPECT_EQ(line_->begins, 1);
  EXPECT_EQ(settings_.Ports, before);
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_TRUE(boxes_.texts.empty());
  EXPECT_FALSE(dialog_->isVisible());
}

}  // namespace
