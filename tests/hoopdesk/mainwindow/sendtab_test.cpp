// The Send tab of a running main window with machines in each state the panels show: offline,
// online, in the synchronised group, with queued designs, sending, and in alarm. Saved as
// screenshots for a look, and checked for what each panel must show.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include "hoopdesk/controls/anibutton.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/screenshot.h"
#include "pelloraworld.h"

namespace {

class SendTab : public testing::Test {
 protected:
  void Start(int machines) {
    world_.SerialMachines(machines);
    window_ = world_.StartWindow();
    window_->Ui().PageControl->setCurrentWidget(window_->Ui().TabSend);
    QTest::qWait(30);
  }
  TPanelManager& Panels() { return window_->Panels(); }
  const TFPelloraUi& Ui() { return window_->Ui(); }
  void Report(TDevNo d, TSewingState state) {
    world_.fake.states[Panels().GetMachine(d)->cookie] = state;
    world_.fake.FireStatus(Panels().GetMachine(d)->cookie, state);
  }
  void QueueFlowers(TDevNo d, int count) {
    for (int j = 0; j < count; ++j) {
      const char* name = j % 2 == 0 ? "rose.10o" : "daisy.10o";
      ASSERT_TRUE(window_->AddDesignToLayout(
          QString::fromStdString((world_.Work() / name).string()), 0, 0));
      Panels().QueueDesign(d, -1, window_->Layout().CurrentDesign());
    }
  }
  QRgb PanelPixel(int slot, int x, int y) {
    return Ui().SendImg[slot]->pixmap().toImage().pixel(x, y) & 0xFFFFFF;
  }
  QRgb SewBackground(int slot) {
    return Ui().SewBtn[slot]->pixmap().toImage().pixel(1, 62) & 0xFFFFFF;
  }
  void Shoot(const char* name) {
    QTest::qWait(30);
    EXPECT_FALSE(SaveScreenshot(*Ui().TabSend, name).isEmpty());
  }

  PelloraWorld world_;
  std::unique_ptr<TFPellora> window_;
};

TEST_F(SendTab, OfflineMachinesAreSilverBoxesWithTheGreyPicture) {
  Start(3);
  for (int d = 0; d < 3; ++d) Report(d, SEW_OFFLINE);
  Shoot("sendtab_offline");
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(PanelPixel(k, 30, 40), 0xC0C0C0u) << k;
    EXPECT_EQ(SewBackground(k), 0xE9E9E9u) << k;
    EXPECT_FALSE(Ui().SendBtn[k]->isEnabled()) << k;
  }
  EXPECT_FALSE(Ui().SendAllBtn->isEnabled());
}

TEST_F(SendTab, OnlineMachinesWithQueuedDesigns) {
  Start(3);
  for (int d = 0; d < 3; ++d) Report(d, SEW_IDLE);
  QueueFlowers(0, 2);
  QueueFlowers(2, 4);  // wider than the panel: the queue scrolls
  Shoot("sendtab_online_queued");
  EXPECT_EQ(PanelPixel(1, 30, 40), 0xFFFFFFu);
  EXPECT_EQ(SewBackground(0), 0xFFFFAAu);
  EXPECT_TRUE(Ui().SendBtn[0]->isEnabled());
  EXPECT_FALSE(Ui().SendBtn[1]->isEnabled());
  EXPECT_TRUE(Ui().SendBtn[2]->isEnabled());
  EXPECT_TRUE(Ui().SendAllBtn->isEnabled());
  EXPECT_TRUE(Ui().HScroll->isEnabled());
  // The last designs of the long queue come into view when the bar moves to its start.
  Ui().HScroll->setValue(0);
  Shoot("sendtab_online_queued_scrolled");
  EXPECT_EQ(Panels().DesignAtPoint(2, QPoint(5, 40)), 3);
}

TEST_F(SendTab, SendingSewingAndAlarm) {
  Start(4);
  for (int d = 0; d < 4; ++d) Report(d, SEW_IDLE);
  QueueFlowers(0, 1);
  QueueFlowers(1, 1);
  QueueFlowers(2, 1);
  // Machine 0 receives a design, machine 1 sews, machine 2 has a machine error, 3 is in the
  // synchronised group.
  Panels().SetBusy(0, true);
  Panels().SetSewImage(0, kSewImageSending);
  Panels().SetProgress(0, 40);
  Report(1, SEW_SEWING);
  Panels().SetProgress(1, 75);
  Report(2, SEW_ERROR);
  Panels().SetSewImage(2, kSewImageAlarm);
  Panels().GetMachine(3)->inSyncGroup = true;
  Panels().UpdateSewImage(3);
  Panels().UpdateSendButtons(0, true);
  Shoot("sendtab_sending_sewing_alarm");
  EXPECT_EQ(SewBackground(0), 0xCCCCFFu);
  EXPECT_TRUE(static_cast<TAniButton*>(Ui().SendBtn[0])->Active());
  EXPECT_EQ(Ui().ProgBar[0]->value(), 40);
  EXPECT_FALSE(Ui().SendBtn[1]->isEnabled());   // sewing
  EXPECT_EQ(PanelPixel(2, 30, 40), 0xC0C0C0u);  // in error: no drop target
  EXPECT_TRUE(Ui().SendBtn[2]->isEnabled());    // but its design may be sent again
  EXPECT_EQ(SewBackground(3), 0xFFDF55u);
}

TEST_F(SendTab, EightMachinesScrollSixAtATime) {
  Start(6);  // the serial slots; two more machines come from the network
  for (TDevNo d = 6; d < 8; ++d) {
    TConnInfo info{};
    info.tcpip = 1;
    info.b1 = 10;
    info.b4 = static_cast<std::uint8_t>(d);
    info.port = 7000;
    ASSERT_TRUE(Panels().AddMachine(d, info, "<i>net</i>"));
  }
  Panels().ArrangePanels();
  window_->resize(window_->width(), window_->height() + 1);  // lays the tab out again
  for (int d = 0; d < 8; ++d) Report(d, d % 3 == 0 ? SEW_OFFLINE : SEW_IDLE);
  QueueFlowers(7, 1);
  Ui().VScroll->setValue(2);
  Shoot("sendtab_eight_scrolled");
  EXPECT_EQ(Panels().GetFirstVisible(), 2);
  EXPECT_EQ(Ui().Lbl[0]->text(), "3");
  EXPECT_EQ(Ui().Lbl[5]->text(), "8");
  EXPECT_EQ(PanelPixel(1, 30, 40), 0xC0C0C0u);  // machine 4 is offline
  // Machine 8 shows its queued design at the right end, framed in grey.
  EXPECT_EQ(PanelPixel(5, Ui().SendImg[5]->width() - 69, 4), 0x808080u);
}

}  // namespace
