// The Send tab of a running main window with machines in each state the panels show: offline,
// online, in the synchronised group, with queued designs, sending, and in alarm. Saved as
// screenshots for a look, and checked for what each panel must show.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "hoopdesk/addressbytes.h"
#include "hoopdesk/colours/fsetcol.h"
#include "hoopdesk/controls/anibutton.h"
#include "hoopdesk/controls/dropdownbutton.h"
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
    QCoreApplication::processEvents();  // the panels are drawn on the next turn of the loop
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

// Networked machines beyond the serial slots, as discovery adds them.
void AddNetworkMachines(TPanelManager& panels, TDevNo from, TDevNo to) {
  for (TDevNo d = from; d < to; ++d) {
    ASSERT_TRUE(panels.AddMachine(d, NetworkConn(10, 0, 0, static_cast<std::uint8_t>(d), 7000),
                                  "net" + std::to_string(d)));
  }
}

TEST_F(SendTab, SixteenMachinesScrolledToTheEndThenRebuiltToEight) {
  Start(6);
  AddNetworkMachines(Panels(), 6, 16);
  window_->MachineListRebuilt();
  for (int d = 0; d < 16; ++d) Report(d, d % 5 == 4 ? SEW_OFFLINE : SEW_IDLE);
  QueueFlowers(11, 2);
  QueueFlowers(15, 5);  // wider than a panel
  ASSERT_TRUE(Ui().VScroll->isVisible());
  EXPECT_EQ(Ui().VScroll->maximum(), 10);
  QTest::keyClick(Ui().VScroll, Qt::Key_End);
  Shoot("sendtab_sixteen_scrolled");
  EXPECT_EQ(Panels().GetFirstVisible(), 10);
  for (int k = 0; k < kPanelSlots; ++k) EXPECT_EQ(Ui().Lbl[k]->text().toInt(), 11 + k) << k;
  // Machine 16's long queue came into view with it: the queue bar serves it.
  EXPECT_TRUE(Ui().HScroll->isEnabled());
  Ui().HScroll->setValue(0);  // the queues' last designs in view
  Shoot("sendtab_sixteen_queues_scrolled");
  EXPECT_EQ(Panels().DesignAtPoint(5, QPoint(5, 40)), 4);
  EXPECT_EQ(PanelPixel(4, 30, 40), 0xC0C0C0u);  // machine 15 is offline

  // The port dialog's rebuild: the machines are released and eight come back.
  ASSERT_TRUE(window_->ReleaseMachines(false));
  AddNetworkMachines(Panels(), 0, 8);
  Panels().ArrangePanels();
  Panels().RefreshPanelImages();
  Shoot("sendtab_rebuilt_to_eight");
  EXPECT_EQ(Panels().GetFirstVisible(), 2);
  EXPECT_EQ(Ui().VScroll->maximum(), 2);
  EXPECT_EQ(Ui().VScroll->value(), 2);
  for (int k = 0; k < kPanelSlots; ++k) {
    EXPECT_TRUE(Ui().SendImg[k]->isVisible()) << k;
    EXPECT_EQ(Ui().Lbl[k]->text().toInt(), 3 + k) << k;
    EXPECT_EQ(PanelPixel(k, 30, 40), 0xFFFFFFu) << k;  // idle machines, nothing queued
  }
}

// The stitch count the design colours dialog shows for a double-click at `at` on slot 0.
QString DesignOpenedAt(QWidget* image, QPoint at) {
  QString shown;
  // The dialog is modal: it is looked for until it shows, then closed.
  QTimer look;
  look.setInterval(20);
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<TFSetCol*>(QApplication::activeModalWidget())) {
      if (const auto* edit = dialog->findChild<QLineEdit*>("StitchEdt")) shown = edit->text();
      look.stop();
      dialog->reject();
    }
  });
  look.start();
  QTest::mouseDClick(image, Qt::LeftButton, {}, at);
  return shown;
}

TEST_F(SendTab, QueueingWhileAnotherQueueIsScrolledKeepsPictureAndDoubleClickTogether) {
  Start(2);
  for (int d = 0; d < 2; ++d) Report(d, SEW_IDLE);
  QueueFlowers(0, 5);  // rose, daisy, rose, daisy, rose
  QLabel* image = Ui().SendImg[0];
  Ui().HScroll->setValue(Ui().HScroll->maximum() - 69);  // one thumbnail on
  Shoot("sendtab_queue_scrolled");
  const QImage scrolled = image->pixmap().toImage();
  QueueFlowers(1, 1);  // the bar goes back to machine 0's first designs
  Shoot("sendtab_queued_on_another");
  EXPECT_TRUE(Ui().HScroll->isEnabled());
  EXPECT_EQ(Ui().HScroll->value(), Ui().HScroll->maximum());
  const QImage shown = image->pixmap().toImage();
  EXPECT_NE(shown, scrolled);
  // Drawn at the bar's offset: the first design's frame sits at the right end, where the hit
  // test looks for it.
  EXPECT_EQ(PanelPixel(0, image->width() - 69, 4), 0x808080u);
  EXPECT_EQ(PanelPixel(0, image->width() - 69 - 69, 4), 0x808080u);
  // At the right end the first queued design, the rose, is drawn and opens.
  const QPoint rightEnd(image->width() - 30, 40);
  const TStitchItem* first = Panels().GetMachine(0)->queue.GetItem(0);
  const TStitchItem* second = Panels().GetMachine(0)->queue.GetItem(1);
  ASSERT_NE(first->GetStitchSize(0), second->GetStitchSize(0));
  EXPECT_EQ(DesignOpenedAt(image, rightEnd), QString::number(first->GetStitchSize(0)));
  EXPECT_EQ(DesignOpenedAt(image, rightEnd - QPoint(69, 0)),
            QString::number(second->GetStitchSize(0)));
}

// The can shows idle, hovered, pressed and while a queued design is dragged onto it.
TEST_F(SendTab, TheTrashCanShowsInEveryState) {
  Start(1);
  TDropDownButton* trash = Ui().TrashBtn;
  const auto darkPixels = [&](const char* shot) {
    EXPECT_FALSE(SaveScreenshot(*trash, shot).isEmpty());
    const QImage image = trash->grab().toImage();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width() - TDropDownButton::kArrowWidth; ++x)
        if (qGray(image.pixel(x, y)) < 100) ++dark;
    return dark;
  };
  const int idle = darkPixels("trash_idle");
  EXPECT_GT(idle, 150);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), trash->mapToGlobal(QPointF(5, 5)));
  QApplication::sendEvent(trash, &enter);
  EXPECT_GT(darkPixels("trash_hovered"), idle / 2);
  QTest::mousePress(trash, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_GT(darkPixels("trash_pressed"), idle / 2);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(trash, &leave);
  trash->SetActive(true);  // what a drag over it sets
  EXPECT_GT(darkPixels("trash_under_drag"), idle / 2);
  trash->SetActive(false);
}

TEST_F(SendTab, TheSpeedLabelSaysWhatTheBarShows) {
  world_.Store("RotSpeed", 850);
  Start(1);
  Panels().ArrangePanels();
  EXPECT_EQ(Ui().TrackBar->value(), 850);
  EXPECT_EQ(Ui().TrackLbl->text(), "850");
}

}  // namespace
