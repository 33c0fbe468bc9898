// The main window's Send tab against a fake server: the send, send-all and sew buttons, the
// speed track bar, the poll of the timer, the colour dialog of a queued design, and
// screenshots of machines offline, online, sending, sewing and in alarm.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "hoopdesk/addressbytes.h"
#include "hoopdesk/colours/fsetcol.h"
#include "hoopdesk/controls/anibutton.h"
#include "hoopdesk/dialogs/fconninfo.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/mainwindow/queueddesigncolours.h"
#include "hoopdesk/screenshot.h"
#include "pelloraworld.h"
#include "platform/messages.h"

namespace {

class SendTabTest : public testing::Test {
 protected:
  void Start(int machines) {
    world_.SerialMachines(machines);
    window_ = world_.StartWindow();
    window_->Ui().PageControl->setCurrentWidget(window_->Ui().TabSend);
    for (int d = 0; d < machines; ++d) world_.fake.FireStatus(Cookie(d), SEW_IDLE);
    QCoreApplication::processEvents();
  }
  TCookie Cookie(TDevNo d) { return window_->Panels().GetMachine(d)->cookie; }
  void Queue(TDevNo d, const char* name) {
    window_->AddDesignToLayout(QString::fromStdString((world_.Work() / name).string()), 0, 0);
    window_->Panels().QueueDesign(d, -1, window_->Layout().CurrentDesign());
    window_->ClearLayout(true);
  }
  int Logged(const std::string& prefix) const {
    int n = 0;
    for (const std::string& line : world_.fake.log) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  // Closes the next modal dialog as soon as it is open; the dialog's class name, or "".
  std::shared_ptr<QString> CloseNextDialog() {
    auto seen = std::make_shared<QString>();
    auto* poll = new QTimer(window_.get());
    QObject::connect(poll, &QTimer::timeout, [seen, poll] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        *seen = modal->metaObject()->className();
        modal->close();
        poll->deleteLater();
      }
    });
    poll->start(10);
    return seen;
  }

  PelloraWorld world_;
  std::unique_ptr<TFPellora> window_;
};

TEST_F(SendTabTest, SendButtonsSendTheHeadOfTheQueue) {
  Start(3);
  Queue(0, "rose.10o");
  Queue(2, "daisy.10o");
  world_.fake.log.clear();
  ASSERT_TRUE(window_->Ui().SendBtn[2]->isEnabled());
  window_->Ui().SendBtn[2]->click();
  EXPECT_EQ(Logged("SendStartStream 3"), 1);
  EXPECT_TRUE(window_->Panels().IsMachineBusy(2));
  EXPECT_FALSE(window_->Ui().SendBtn[2]->isEnabled());
  EXPECT_TRUE(window_->Ui().SendBtn[2]->Active());
  window_->Ui().SendAllBtn->click();
  EXPECT_EQ(Logged("SendStartStream 1"), 1);
  EXPECT_EQ(Logged("SendStartStream 3"), 1);
}

TEST_F(SendTabTest, SewButtonOpensTheMachineInformationAndAcknowledgesAnError) {
  Start(1);
  world_.fake.states[Cookie(0)] = SEW_ERROR;
  world_.fake.FireStatus(Cookie(0), SEW_ERROR);
  const auto seen = CloseNextDialog();
  QTest::mouseClick(window_->Ui().SewBtn[0], Qt::LeftButton);
  EXPECT_EQ(*seen, "TFConnInfo");
  EXPECT_EQ(window_->Panels().GetMachine(0)->alarmTicks, -1);
}

// The operator reconnects an offline machine from its information dialog, the machine does not
// come up in time, and the dialog is closed: the server holds the machine under the new
// connection, so the panel goes on with that connection's cookie.
TEST_F(SendTabTest, AReconnectionThatFailsInTheDialogStillGivesThePanelItsNewCookie) {
  Start(1);
  ASSERT_TRUE(window_->Panels().AddMachine(1, NetworkConn(10, 0, 0, 7, 7000), "net1"));
  const TCookie before = Cookie(1);
  world_.fake.states[before] = SEW_OFFLINE;
  world_.fake.FireStatus(before, SEW_OFFLINE);
  QCoreApplication::processEvents();
  std::vector<std::string> boxes;
  platform::SetMessageBoxHandler([&boxes](platform::MessageBoxKind, const std::string&,
                                          const std::string& text) { boxes.push_back(text); });
  world_.fake.nextCookie = 40;
  TFakeService* fake = &world_.fake;
  fake->during = [fake](const std::string& call) {
    if (call == "GetMachineState 40") fake->states[40] = SEW_OFFLINE;  // it does not come up
  };
  bool clicked = false;
  int ticks = 0;
  auto* operate = new QTimer(window_.get());
  QObject::connect(operate, &QTimer::timeout, [&clicked, &boxes, &ticks, operate] {
    auto* dialog = qobject_cast<TFConnInfo*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    auto* connect = dialog->findChild<QPushButton*>("ConnectBtn");
    if (!clicked && connect->isEnabled()) {
      dialog->SetReconnectWait(std::chrono::milliseconds(0));
      connect->click();
      clicked = true;
    } else if ((clicked && !dialog->Reconnecting() && !boxes.empty()) || ++ticks > 500) {
      dialog->reject();
      operate->deleteLater();
    }
  });
  operate->start(10);
  QTest::mouseClick(window_->Ui().SewBtn[1], Qt::LeftButton);
  platform::SetMessageBoxHandler({});
  fake->during = nullptr;
  ASSERT_TRUE(clicked) << "no Reconnect button to press";
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(Cookie(1), 40);
}

TEST_F(SendTabTest, TrackBarSendsTheRoundedSpeedToTheGroup) {
  Start(1);
  world_.fake.log.clear();
  window_->Ui().TrackBar->setSliderPosition(647);
  EXPECT_EQ(Logged("SyncChangeSpeed 640"), 1);
}

TEST_F(SendTabTest, TimerPollsTheSerialMachines) {
  Start(2);
  world_.fake.log.clear();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Logged("OnTimer 2") > 0; }, 5000));
  EXPECT_GT(Logged("OnTimer 1"), 0);
}

TEST_F(SendTabTest, QueuedDesignColoursAskTheModelAndWriteBackOnlyAQueuedDesign) {
  Start(1);
  Queue(0, "rose.10o");
  TPanelManager& panels = window_->Panels();
  const int blocks = panels.GetMachine(0)->queue.GetItem(0)->GetColorCount();
  ASSERT_GT(blocks, 0);
  const auto recolour = [](QWidget*, int, TColorInfo&, TStitchItem& design) {
    design.Colors[0].Index = 9;
  };
  world_.fake.log.clear();
  EXPECT_TRUE(ShowQueuedDesignColours(panels, 0, 0, kBackWhite, recolour));
  EXPECT_EQ(Logged("GetModel 0"), 1);
  EXPECT_EQ(panels.GetMachine(0)->queue.GetItem(0)->Colors[0].Index, 9);

  // The design is sent and leaves the queue while the dialog runs: nothing is written.
  Queue(0, "daisy.10o");
  const auto sentMeanwhile = [&](QWidget*, int, TColorInfo&, TStitchItem& design) {
    design.Colors[0].Index = 3;
    panels.RemoveQueuedDesign(1, 0);
  };
  EXPECT_FALSE(ShowQueuedDesignColours(panels, 0, 1, kBackWhite, sentMeanwhile));

  // The head of the queue is sent while the model is asked: the dialog still edits the design
  // that was double-clicked, now first in the queue, and not the one after it.
  Queue(0, "daisy.10o");
  Queue(0, "rose.10o");
  TPanelManager* manager = &panels;
  world_.fake.during = [manager](const std::string& call) {
    if (call == "GetModel 0") manager->RemoveQueuedDesign(0, 0);
  };
  const std::string clicked = panels.GetMachine(0)->queue.GetItem(1)->FileName;
  std::string edited;
  const auto note = [&edited](QWidget*, int, TColorInfo&, TStitchItem& design) {
    edited = design.FileName;
    design.Colors[0].Index = 5;
  };
  EXPECT_TRUE(ShowQueuedDesignColours(panels, 0, 1, kBackWhite, note));
  world_.fake.during = nullptr;
  EXPECT_EQ(edited, clicked);
  ASSERT_NE(panels.GetMachine(0)->queue.GetItem(0), nullptr);
  EXPECT_EQ(panels.GetMachine(0)->queue.GetItem(0)->FileName, clicked);
  EXPECT_EQ(panels.GetMachine(0)->queue.GetItem(0)->Colors[0].Index, 5);
  ASSERT_NE(panels.GetMachine(0)->queue.GetItem(1), nullptr);
  EXPECT_NE(panels.GetMachine(0)->queue.GetItem(1)->Colors[0].Index, 5);
  while (panels.GetMachine(0)->queue.GetCount() > 0) panels.RemoveQueuedDesign(0, 0);

  // Nothing opens while the machine receives a design.
  world_.fake.sending[Cookie(0)] = 1;
  bool opened = false;
  EXPECT_FALSE(ShowQueuedDesignColours(
      panels, 0, 0, kBackWhite, [&](QWidget*, int, TColorInfo&, TStitchItem&) { opened = true; }));
  EXPECT_FALSE(opened);
}

TEST_F(SendTabTest, QueuedDesignColoursOpenOnTheProgramsBackColour) {
  Start(1);
  Queue(0, "rose.10o");
  QLabel* image = window_->Ui().SendImg[0];
  QPoint onDesign(-1, image->height() / 2);
  for (int x = 0; x < image->width() && onDesign.x() < 0; ++x)
    if (window_->Panels().DesignAtPoint(0, QPoint(x, onDesign.y())) == 0) onDesign.setX(x);
  ASSERT_GE(onDesign.x(), 0);
  for (const int tag : {1, 0}) {
    window_->MenuBackColorClick(tag);
    std::uint32_t seen = 0;
    QColor corner;
    auto* poll = new QTimer(window_.get());
    QObject::connect(poll, &QTimer::timeout, [&seen, &corner, poll] {
      auto* dialog = qobject_cast<TFSetCol*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      seen = dialog->BackColor();
      corner = dialog->findChild<QWidget*>("ImgDraw")->grab().toImage().pixelColor(2, 2);
      dialog->close();
      poll->deleteLater();
    });
    poll->start(10);
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(onDesign),
                      QPointF(image->mapToGlobal(onDesign)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(image, &click);
    const std::uint32_t want = tag == 1 ? kBackGray : kBackWhite;
    EXPECT_EQ(seen, want) << tag;
    EXPECT_EQ(corner, ToQColor(want)) << tag;
  }
}

TEST_F(SendTabTest, ScreenshotsOfMachinesOfflineOnlineSendingSewingAndInAlarm) {
  Start(5);
  // The poll timer would blink the alarm picture away while the window is drawn.
  window_->Ui().Timer->stop();
  for (TDevNo d = 1; d < 5; ++d) Queue(d, d % 2 == 0 ? "rose.10o" : "daisy.10o");
  TFakeService& fake = world_.fake;
  fake.FireStatus(Cookie(0), SEW_OFFLINE);
  window_->Ui().SendBtn[2]->click();  // sending
  IPelSrvEvents& sink = *fake.sinks.at(0);
  sink.OnSendProgress(Cookie(2), 40);
  fake.states[Cookie(3)] = SEW_SEWING;  // sewing, 60 % done
  fake.FireStatus(Cookie(3), SEW_SEWING);
  sink.OnProgress(Cookie(3), 0x11, 600, 1000, 0, 60, 2);
  fake.states[Cookie(4)] = SEW_ERROR;  // in alarm, on the alarm picture
  fake.FireStatus(Cookie(4), SEW_ERROR);
  window_->Panels().BlinkAlarm(4, true);
  QTest::qWait(30);
  const TFPelloraUi& ui = window_->Ui();
  EXPECT_EQ(ui.SewBtn[0]->property("ResId").toUInt(), kSewImageOffline);
  EXPECT_EQ(ui.SewBtn[1]->property("ResId").toUInt(), kSewImageOnline);
  EXPECT_EQ(ui.SewBtn[2]->property("ResId").toUInt(), kSewImageSending);
  EXPECT_EQ(ui.ProgBar[3]->value(), 60);
  EXPECT_EQ(ui.SewBtn[4]->property("ResId").toUInt(), kSewImageAlarm);
  EXPECT_FALSE(SaveScreenshot(*window_, "send_tab_machine_states").isEmpty());
  EXPECT_FALSE(SaveScreenshot(*ui.TabSend, "send_tab_panels").isEmpty());
}

}  // namespace
