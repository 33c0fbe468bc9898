// The machine panels on a Send tab of plain widgets, linked to a fake server: drawing by state,
// the hit tests, queueing (with the synchronised group), the queue scroll bar, the send
// buttons, the machine pictures and the box a failed state query shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QTest>
#include <map>

#include "hoopdesk/designmaker.h"
#include "hoopdesk/fakeservice.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/panels/servicecheck.h"
#include "hoopdesk/quiethost.h"
#include "platform/messages.h"
#include "sendtab.h"
#include "serverprocess.h"

namespace {

using testing::HasSubstr;

// A fake server whose state query can fail, as it does once the server process has gone.
class FailingService : public TFakeService {
 public:
  HRESULT stateResult = S_OK;
  HRESULT GetState(int32_t c, TSewingState* s) override {
    const HRESULT hr = TFakeService::GetState(c, s);
    return stateResult != S_OK ? stateResult : hr;
  }
};

class SendTabHost : public TQuietPanelHost {
 public:
  bool IsSendTabShown() const override { return sendTabShown; }
  std::string LayoutFileName() const override { return "layout-name"; }
  bool sendTabShown = true;
};

class Boxes {
 public:
  Boxes() {
    platform::SetMessageBoxHandler(
        [this](platform::MessageBoxKind, const std::string&, const std::string& text) {
          texts.push_back(text);
          if (whileOpen) whileOpen();
        });
  }
  ~Boxes() { platform::SetMessageBoxHandler({}); }
  std::vector<std::string> texts;
  std::function<void()> whileOpen;  // runs while the box is open, as timers do
};

TConnInfo Serial(std::uint16_t port) {
  TConnInfo info{};
  info.port = port;
  info.baudRate = 19200;
  return info;
}

QRgb PanelPixel(const QLabel& image, int x, int y) {
  QCoreApplication::processEvents();  // the panels are drawn on the next turn of the loop
  return image.pixmap().toImage().pixel(x, y) & 0xFFFFFF;
}

class PanelViewTest : public testing::Test {
 protected:
  PanelViewTest() : panels_(FakeConnector(fake_)) {
    panels_.SetHost(&host_);
    tab_.HandTo(panels_, 600);
  }
  // n machines, all idle and online, on a shown Send tab.
  void Machines(int n) {
    ASSERT_TRUE(panels_.ConnectService());
    for (int d = 0; d < n; ++d) {
      ASSERT_TRUE(panels_.AddMachine(d, Serial(static_cast<std::uint16_t>(d)), ""));
      panels_.SetOnline(d, true);
      panels_.SetEnabled(d, true);
      panels_.UpdateSewImage(d);
    }
    tab_.page.resize(400, 700);
    tab_.page.show();
    panels_.ArrangePanels();
    panels_.ShowMachinesFrom(0);
  }
  void SetState(TDevNo d, TSewingState state) {
    fake_.states[panels_.GetMachine(d)->cookie] = state;
  }
  void Queue(TDevNo d, int count) {
    for (int j = 0; j < count; ++j)
      panels_.QueueDesign(d, d,
                          designmaker::MakeDesign(j, 200, 400, "design " + std::to_string(j)));
  }

  ServerWorld world_;
  FailingService fake_;
  SendTabHost host_;
  SendTab tab_;
  TPanelManager panels_;
};

struct ArrangeCase {
  int machines;
  int visibleSlots;
  int referenceSlot;
  bool machineScroll;
};

class Arrange : public PanelViewTest, public testing::WithParamInterface<ArrangeCase> {};

TEST_P(Arrange, SlotsAndSharedControlsFollowTheMachineCount) {
  const ArrangeCase& c = GetParam();
  Machines(c.machines);
  for (int k = 0; k < kPanelSlots; ++k)
    EXPECT_EQ(tab_.images[k].isVisible(), k < c.visibleSlots) << k;
  const int y = 8 + 92 * c.referenceSlot + 85 + 10;
  EXPECT_EQ(tab_.hScroll.y(), y);
  EXPECT_EQ(tab_.sendAll.y(), y + 10);
  EXPECT_EQ(tab_.spLbl.y(), y + tab_.hScroll.height() + 4);
  EXPECT_EQ(tab_.trackBar.y(), y + tab_.hScroll.height() + 4 + 18);
  EXPECT_EQ(tab_.vScroll.isVisible(), c.machineScroll);
  if (c.machineScroll) {
    // Positions are the first machines of the full pages: 0 .. n - 6.
    EXPECT_EQ(tab_.vScroll.minimum(), 0);
    EXPECT_EQ(tab_.vScroll.maximum(), c.machines - kPanelSlots);
    EXPECT_EQ(tab_.vScroll.pageStep(), 6);
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, Arrange,
                         testing::Values(ArrangeCase{0, 0, 5, false}, ArrangeCase{3, 3, 2, false},
                                         ArrangeCase{6, 6, 5, false}, ArrangeCase{7, 6, 5, true},
                                         ArrangeCase{16, 6, 5, true}));

TEST_F(PanelViewTest, MachineScrollStopsWithTheLastSixInView) {
  Machines(8);
  panels_.MachinesScrolled(5);  // past the last full page
  EXPECT_EQ(panels_.GetFirstVisible(), 2);
  EXPECT_EQ(tab_.labels[0].text(), "3");
  EXPECT_EQ(tab_.labels[5].text(), "8");
}

TEST_F(PanelViewTest, IdlePanelShowsNumberedThumbnailsOnWhite) {
  Machines(1);
  Queue(0, 2);
  panels_.FlushPanels();
  const QImage image = tab_.images[0].pixmap().toImage();
  ASSERT_EQ(image.size(), QSize(193, 85));
  EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0x000000u);     // black border
  EXPECT_EQ(image.pixel(192, 84) & 0xFFFFFF, 0x000000u);  // black border
  EXPECT_EQ(image.pixel(30, 40) & 0xFFFFFF, 0xFFFFFFu);   // left of the second design
  EXPECT_EQ(image.pixel(124, 4) & 0xFFFFFF, 0x808080u);   // frame of design 0
  EXPECT_EQ(image.pixel(188, 68) & 0xFFFFFF, 0x808080u);
  EXPECT_EQ(image.pixel(55, 40) & 0xFFFFFF, 0x808080u);  // frame of design 1
  // The numbers sit under their thumbnails: something dark in each number's place.
  const auto darkBelow = [&](int centre) {
    for (int y = 71; y < 84; ++y)
      for (int x = centre - 6; x <= centre + 6; ++x)
        if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
  };
  EXPECT_TRUE(darkBelow(156));
  EXPECT_TRUE(darkBelow(87));
  EXPECT_FALSE(darkBelow(20));
}

struct StateCase {
  TSewingState state;
  bool silver;
};

class PanelByState : public PanelViewTest, public testing::WithParamInterface<StateCase> {};

TEST_P(PanelByState, MachinesThatCannotTakeDesignsAreSilverBoxes) {
  Machines(1);
  Queue(0, 1);
  SetState(0, GetParam().state);
  panels_.DrawPanel(0);
  EXPECT_EQ(PanelPixel(tab_.images[0], 0, 0), 0x000000u);
  EXPECT_EQ(PanelPixel(tab_.images[0], 30, 40), GetParam().silver ? 0xC0C0C0u : 0xFFFFFFu);
  // A silver box shows no thumbnail.
  EXPECT_EQ(PanelPixel(tab_.images[0], 124, 4), GetParam().silver ? 0xC0C0C0u : 0x808080u);
  host_.sendTabShown = true;
  const QPoint inside = tab_.images[0].mapToGlobal(QPoint(100, 40));
  EXPECT_EQ(panels_.MachineAtPoint(inside), GetParam().silver ? -1 : 0);
}

INSTANTIATE_TEST_SUITE_P(States, PanelByState,
                         testing::Values(StateCase{SEW_IDLE, false}, StateCase{SEW_SEWING, false},
                                         StateCase{SEW_REJECTED, false},
                                         StateCase{SEW_NO_PORT, true}, StateCase{SEW_OFFLINE, true},
                                         StateCase{SEW_ERROR, true}));

TEST_F(PanelViewTest, OfflineWithoutAnEventTurnsTheOnlinePictureOffline) {
  Machines(1);
  ASSERT_EQ(panels_.GetMachine(0)->sewImage, kSewImageOnline);
  SetState(0, SEW_OFFLINE);
  panels_.DrawPanel(0);
  QCoreApplication::processEvents();  // drawn on the next turn of the loop
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, kSewImageOffline);
  EXPECT_FALSE(panels_.IsOnline(0));
}

TEST_F(PanelViewTest, MachineAtPointNeedsTheSendTabAnEnabledPanelAndAMachine) {
  Machines(2);
  const QPoint second = tab_.images[1].mapToGlobal(QPoint(5, 5));
  EXPECT_EQ(panels_.MachineAtPoint(second), 1);
  EXPECT_EQ(panels_.MachineAtPoint(tab_.images[1].mapToGlobal(QPoint(5, -4))), -1);  // gap
  EXPECT_EQ(panels_.MachineAtPoint(tab_.images[2].mapToGlobal(QPoint(5, 5))), -1);   // hidden
  panels_.SetEnabled(1, false);
  EXPECT_EQ(panels_.MachineAtPoint(second), -1);
  panels_.SetEnabled(1, true);
  host_.sendTabShown = false;
  EXPECT_EQ(panels_.MachineAtPoint(second), -1);
}

TEST_F(PanelViewTest, DesignAtPointUsesTheMendedCountAndTheQueueScroll) {
  Machines(2);
  EXPECT_EQ(panels_.DesignAtPoint(0, QPoint(150, 40)), -1);  // nothing queued
  Queue(0, 3);
  // 211 pixels of queue in 193-pixel panels: the bar scrolls, starting with design 0 in view.
  EXPECT_TRUE(tab_.hScroll.isEnabled());
  EXPECT_EQ(tab_.hScroll.maximum(), 18);
  EXPECT_EQ(tab_.hScroll.pageStep(), 193);
  EXPECT_EQ(tab_.hScroll.value(), 18);
  EXPECT_EQ(tab_.hScroll.singleStep(), 69);
  EXPECT_EQ(panels_.DesignAtPoint(0, QPoint(124, 40)), 0);
  EXPECT_EQ(panels_.DesignAtPoint(0, QPoint(60, 40)), 1);
  EXPECT_EQ(panels_.DesignAtPoint(1, QPoint(124, 40)), -1);  // machine 1 has no queue
  // Scrolled to the end: the queue moves 18 pixels to the right.
  tab_.hScroll.setValue(0);
  panels_.QueueScrolled();
  EXPECT_EQ(panels_.DesignAtPoint(0, QPoint(141, 40)), 1);
  EXPECT_EQ(panels_.DesignAtPoint(0, QPoint(142, 40)), 0);
  EXPECT_EQ(PanelPixel(tab_.images[0], 142, 4), 0x808080u);
  // Emptying the queue disables the bar again.
  for (int j = 0; j < 3; ++j) panels_.RemoveQueuedDesign(0, 0);
  EXPECT_FALSE(tab_.hScroll.isEnabled());
}

TEST_F(PanelViewTest, QueueingTakesACopyTitledByTheLayoutAndSkipsOfflineMachines) {
  Machines(2);
  panels_.SetProgress(0, 40);
  Queue(0, 1);
  ASSERT_EQ(panels_.QueuedDesignCount(0), 1);
  EXPECT_EQ(panels_.GetMachine(0)->queue.GetItem(0)->Title, "layout-name");
  EXPECT_EQ(panels_.GetMachine(0)->progress, 0);  // idle: the bar starts again
  EXPECT_TRUE(panels_.CanSend(0));
  SetState(1, SEW_OFFLINE);
  Queue(1, 1);
  EXPECT_EQ(panels_.QueuedDesignCount(1), 0);
  panels_.SetShown(0, false);
  Queue(0, 1);
  EXPECT_EQ(panels_.QueuedDesignCount(0), 1);
}

TEST_F(PanelViewTest, GroupQueueingPutsOneCopyOnEveryMemberUnderOneNewId) {
  Machines(3);
  panels_.GetMachine(0)->inSyncGroup = true;
  panels_.GetMachine(2)->inSyncGroup = true;
  Queue(2, 1);
  Queue(0, 1);
  for (const TDevNo d : {0, 2}) {
    const TStitch& q = panels_.GetMachine(d)->queue;
    ASSERT_EQ(q.GetCount(), 2) << d;
    EXPECT_EQ(q.GetItem(0)->UniqueID, 1) << d;
    EXPECT_EQ(q.GetItem(1)->UniqueID, 2) << d;
  }
  EXPECT_EQ(panels_.QueuedDesignCount(1), 0);
}

struct SendCase {
  TSewingState state;
  int queued;
  bool canSend;
};

class SendButtons : public PanelViewTest, public testing::WithParamInterface<SendCase> {};

TEST_P(SendButtons, FollowTheQueueAndTheServersState) {
  const SendCase& c = GetParam();
  Machines(2);
  Queue(0, c.queued);
  SetState(0, c.state);
  panels_.UpdateSendButtons(0, false);
  EXPECT_EQ(panels_.CanSend(0), c.canSend);
  EXPECT_EQ(tab_.sendBtns[0].isEnabled(), c.canSend);
  EXPECT_EQ(tab_.sendAll.isEnabled(), c.canSend);  // machine 1 has nothing to send
}

INSTANTIATE_TEST_SUITE_P(
    States, SendButtons,
    testing::Values(SendCase{SEW_IDLE, 1, true}, SendCase{SEW_COMPLETED, 1, true},
                    SendCase{SEW_ERROR, 1, true}, SendCase{SEW_REJECTED, 1, true},
                    SendCase{SEW_SEWING, 1, false}, SendCase{SEW_SEW_STARTING, 1, false},
                    SendCase{SEW_OFFLINE, 1, false}, SendCase{SEW_IDLE, 0, false}));

struct PictureCase {
  std::uint32_t resId;
  QRgb background;
};

class SewPictures : public PanelViewTest, public testing::WithParamInterface<PictureCase> {};

TEST_P(SewPictures, ShowTheStateInTheirBackground) {
  Machines(1);
  panels_.SetSewImage(0, GetParam().resId);
  const QImage picture = tab_.sewBtns[0].pixmap().toImage();
  ASSERT_EQ(picture.size(), QSize(64, 64));
  EXPECT_EQ(picture.pixel(1, 62) & 0xFFFFFF, GetParam().background);
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, GetParam().resId);
}

INSTANTIATE_TEST_SUITE_P(Ids, SewPictures,
                         testing::Values(PictureCase{128, 0xFFFFAA}, PictureCase{129, 0xCCCCFF},
                                         PictureCase{131, 0xFFFFAA}, PictureCase{132, 0xE9E9E9},
                                         PictureCase{133, 0xFFDF55}));

TEST_F(PanelViewTest, AlarmPictureCarriesARedStar) {
  Machines(1);
  panels_.SetSewImage(0, kSewImageAlarm);
  const QImage picture = tab_.sewBtns[0].pixmap().toImage();
  int red = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if (qRed(picture.pixel(x, y)) > 200 && qGreen(picture.pixel(x, y)) < 60) ++red;
  EXPECT_GT(red, 100);
}

TEST_F(PanelViewTest, FailedStateQueriesShowOneBoxUntilTheLinkIsBack) {
  Machines(3);
  Queue(0, 1);
  Boxes boxes;
  // Timers and events that come while the box is open query the server too.
  boxes.whileOpen = [&] {
    for (int d = 0; d < 3; ++d) panels_.DrawPanel(d);
  };
  fake_.stateResult = E_UNEXPECTED;
  for (int round = 0; round < 5; ++round) {
    panels_.UpdateSendButtons(0, true);
    for (int d = 0; d < 3; ++d) panels_.DrawPanel(d);
  }
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_THAT(boxes.texts[0], HasSubstr("HRCHECK: IPelSrv::GetState failed: "));
  EXPECT_THAT(boxes.texts[0], HasSubstr("Catastrophic failure"));
  // Every machine counts as offline: no sending, no drop target, silver boxes.
  EXPECT_FALSE(panels_.CanSend(0));
  EXPECT_EQ(panels_.MachineAtPoint(tab_.images[0].mapToGlobal(QPoint(5, 5))), -1);
  EXPECT_EQ(PanelPixel(tab_.images[2], 30, 40), 0xC0C0C0u);
  EXPECT_EQ(panels_.GetMachine(1)->sewImage, kSewImageOffline);

  fake_.stateResult = S_OK;
  panels_.UpdateSendButtons(0, true);
  EXPECT_TRUE(panels_.CanSend(0));
  // A new outage is news again.
  fake_.stateResult = E_FAIL;
  panels_.DrawPanel(0);
  panels_.DrawPanel(1);
  QCoreApplication::processEvents();
  EXPECT_EQ(boxes.texts.size(), 2u);
}

// A server that does not answer in time or has gone is reported once by the server link, not
// by each query that meets it.
TEST_F(PanelViewTest, QueriesThatMeetALinkDownShowNoBoxOfTheirOwn) {
  Machines(2);
  Boxes boxes;
  for (const HRESULT hr : {RPC_E_DISCONNECTED, RPC_E_TIMEOUT}) {
    fake_.stateResult = hr;
    panels_.UpdateSendButtons(0, true);
    panels_.DrawPanel(0);
    EXPECT_EQ(PanelPixel(tab_.images[0], 30, 40), 0xC0C0C0u);
  }
  EXPECT_TRUE(boxes.texts.empty());
}

TEST(ServiceCheck, BoxNamesTheCallTheResultAndThePlace) {
  EXPECT_EQ(TServiceCheck::BoxText(E_FAIL, "IPelSrv::IsSending", "/src/panels/x.cpp", 12),
            "HRCHECK: IPelSrv::IsSending failed: Unspecified error (x.cpp:12)");
  EXPECT_EQ(TServiceCheck::BoxText(static_cast<HRESULT>(0x80001234u), "C", "y.cpp", 3),
            "HRCHECK: C failed: Error 0x80001234 (y.cpp:3)");
}

TEST_F(PanelViewTest, NamesAndNumbersAreShownAsPlainText) {
  Machines(1);
  panels_.SetMachineNumber(0, "<b>1</b>");
  EXPECT_EQ(tab_.labels[0].textFormat(), Qt::PlainText);
  EXPECT_EQ(tab_.labels[0].text(), "<b>1</b>");
  EXPECT_EQ(tab_.images[0].textFormat(), Qt::PlainText);
}

TEST_F(PanelViewTest, AccessorsAnswerForIndexesOutsideTheList) {
  Machines(1);
  EXPECT_EQ(panels_.GetSewingFile(5), "");
  std::uint8_t state = 9, needle = 9;
  std::int32_t position = 9, total = 7, error = 9, memory = 8;
  std::uint16_t speed = 9;
  panels_.GetProgress(-1, &state, &position, &total, &error, &speed, &needle, &memory);
  EXPECT_EQ(state + position + error + speed + needle, 0);
  EXPECT_EQ(total, 7);
  EXPECT_EQ(memory, 8);
  EXPECT_EQ(panels_.DesignAtPoint(5, QPoint(150, 40)), -1);
  EXPECT_EQ(panels_.IsShown(-1), false);
}

// The picture slot k shows once the panels asked for are drawn.
QImage Picture(const SendTab& tab, int k) {
  QCoreApplication::processEvents();
  return tab.images[k].pixmap().toImage();
}

TEST_F(PanelViewTest, QueueingOnOneMachineRedrawsTheOthersScrolledQueues) {
  Machines(2);
  Queue(0, 5);               // 5 * 69 + 4 = 349 pixels in 193-pixel panels
  tab_.hScroll.setValue(0);  // machine 0's last designs in view
  panels_.QueueScrolled();
  const QImage scrolled = Picture(tab_, 0);
  Queue(1, 1);  // the bar goes back to the first designs
  EXPECT_EQ(tab_.hScroll.value(), tab_.hScroll.maximum());
  const QImage afterQueueing = Picture(tab_, 0);
  EXPECT_NE(afterQueueing, scrolled);
  // What machine 0's panel shows is what a fresh drawing at the bar's offset shows, so a
  // double-click or a drag at a fixed point takes the design under the pointer.
  panels_.QueueScrolled();
  EXPECT_EQ(afterQueueing, Picture(tab_, 0));
  EXPECT_EQ(panels_.DesignAtPoint(0, QPoint(150, 40)), 0);
  EXPECT_EQ(panels_.DesignAtPoint(0, QPoint(60, 40)), 1);
  EXPECT_EQ(PanelPixel(tab_.images[0], 124, 4), 0x808080u);  // design 0's frame in its place
}

TEST_F(PanelViewTest, TheQueueBarsLargeStepIsOneThumbnail) {
  Machines(1);
  Queue(0, 5);
  const int end = tab_.hScroll.maximum();
  ASSERT_EQ(end, 349 - 193);
  ASSERT_EQ(tab_.hScroll.value(), end);
  tab_.hScroll.triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(tab_.hScroll.value(), end - 69);
  tab_.hScroll.triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(tab_.hScroll.value(), end - 138);
  tab_.hScroll.triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(tab_.hScroll.value(), end - 69);
  tab_.hScroll.triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(tab_.hScroll.value(), end);
  EXPECT_EQ(tab_.hScroll.pageStep(), 193);  // the thumb still shows one panel's width
}

struct RebuildCase {
  int before;
  int after;
  int first;  // machine in slot 0 after the rebuild
  bool machineScroll;
};

class MachineScrollRebuild : public PanelViewTest,
                             public testing::WithParamInterface<RebuildCase> {};

// Scrolled to the end, then the list is rebuilt shorter, as the port dialog does: removed, added
// again, arranged and drawn.
TEST_P(MachineScrollRebuild, AShorterListShowsItsMachinesFromItsLastFullPage) {
  const RebuildCase& c = GetParam();
  QObject::connect(&tab_.vScroll, &QScrollBar::valueChanged, &tab_.page,
                   [this](int position) { panels_.MachinesScrolled(position); });
  Machines(c.before);
  QTest::keyClick(&tab_.vScroll, Qt::Key_End);
  const int end = c.before - kPanelSlots;
  EXPECT_EQ(tab_.vScroll.value(), end);
  EXPECT_EQ(panels_.GetFirstVisible(), end);
  for (int k = 0; k < kPanelSlots; ++k) EXPECT_EQ(tab_.labels[k].text().toInt(), end + k + 1) << k;

  panels_.RemoveAllMachines();
  for (int d = 0; d < c.after; ++d)
    ASSERT_TRUE(panels_.AddMachine(d, Serial(static_cast<std::uint16_t>(d)), ""));
  panels_.ArrangePanels();
  panels_.RefreshPanelImages();
  EXPECT_EQ(panels_.GetFirstVisible(), c.first);
  EXPECT_EQ(tab_.vScroll.isVisible(), c.machineScroll);
  if (c.machineScroll) {
    EXPECT_EQ(tab_.vScroll.maximum(), c.after - kPanelSlots);
    EXPECT_EQ(tab_.vScroll.value(), c.first);
  }
  for (int k = 0; k < kPanelSlots; ++k) {
    const bool used = k < c.after;
    EXPECT_EQ(tab_.images[k].isVisible(), used) << k;
    if (!used) continue;
    // No slot keeps the label or the picture of a machine that went.
    EXPECT_EQ(tab_.labels[k].text().toInt(), c.first + k + 1) << k;
    EXPECT_EQ(PanelPixel(tab_.images[k], 30, 40), 0xFFFFFFu) << k;
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, MachineScrollRebuild,
                         testing::Values(RebuildCase{16, 8, 2, true}, RebuildCase{16, 6, 0, false},
                                         RebuildCase{16, 3, 0, false}, RebuildCase{9, 7, 1, true}));

struct SpeedCase {
  std::int32_t rotSpeed;
  int position;
  const char* label;
};

class SpeedLabel : public PanelViewTest, public testing::WithParamInterface<SpeedCase> {};

// The saved speed reaches the bar quietly; the label beside it says what the bar shows.
TEST_P(SpeedLabel, FollowsTheTrackBar) {
  tab_.trackLbl.setText("600");
  tab_.HandTo(panels_, GetParam().rotSpeed);
  Machines(1);
  EXPECT_EQ(tab_.trackBar.value(), GetParam().position);
  EXPECT_EQ(tab_.trackLbl.text(), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(Speeds, SpeedLabel,
                         testing::Values(SpeedCase{500, 500, "500"}, SpeedCase{1200, 1200, "1200"},
                                         SpeedCase{555, 555, "550"}, SpeedCase{120, 120, "120"}));

// Sixteen machines sewing, ten progress events each within one turn of the event loop: the
// panels in view ask the server for their machine's state once each, after the events.
TEST_F(PanelViewTest, EventsAskTheStateOncePerMachineInViewAndTurn) {
  Machines(16);
  QCoreApplication::processEvents();
  fake_.log.clear();
  for (int round = 0; round < 10; ++round)
    for (TDevNo d = 0; d < 16; ++d) {
      const TCookie cookie = panels_.GetMachine(d)->cookie;
      fake_.states[cookie] = SEW_SEWING;
      fake_.FireStatus(cookie, SEW_SEWING);
    }
  const auto stateQueries = [&] {
    std::map<std::string, int> asked;
    for (const std::string& line : fake_.log)
      if (line.starts_with("GetState ")) ++asked[line];
    return asked;
  };
  EXPECT_TRUE(stateQueries().empty());  // nothing drawn yet
  QCoreApplication::processEvents();
  const auto asked = stateQueries();
  EXPECT_EQ(asked.size(), static_cast<std::size_t>(kPanelSlots));
  for (TDevNo d = 0; d < kPanelSlots; ++d)
    EXPECT_EQ(asked.count("GetState " + std::to_string(panels_.GetMachine(d)->cookie)), 1u) << d;
  for (const auto& [line, times] : asked) EXPECT_EQ(times, 1) << line;
  EXPECT_EQ(PanelPixel(tab_.images[5], 30, 40), 0xFFFFFFu);  // sewing: drawn, takes designs
}

}  // namespace
