// Sending queued designs against a fake server: the files written once, the answers of the
// server, a synchronised group sharing one file, discarding, and events that arrive during the
// send call.
#include <gtest/gtest.h>

#include <memory>

#include "designmaker.h"
#include "panelfixture.h"

namespace {

constexpr HRESULT kRetryLater = static_cast<HRESULT>(0x8001010A);

class SendingTest : public PanelWorld {
 protected:
  TStitchItem Design(int stitches) { return designmaker::MakeDesign(1, stitches, 300, "heart"); }
  TCookie Cookie(TDevNo d) { return panels_.GetMachine(d)->cookie; }
  BoxCatcher boxes_;
};

TEST_F(SendingTest, StartedTransferShowsOnThePanelAndTheDesignStaysQueued) {
  ConnectIdle(1);
  panels_.QueueDesign(0, -1, Design(80));
  fake_.log.clear();
  panels_.SendDesign(0);
  EXPECT_EQ(Logged("SendStartStream 1"), 1);
  const TMachineRecord& m = *panels_.GetMachine(0);
  EXPECT_TRUE(m.busy);
  EXPECT_FALSE(m.canSend);
  EXPECT_FALSE(m.enabled);
  EXPECT_EQ(m.sewImage, kSewImageSending);
  EXPECT_EQ(m.queue.GetCount(), 1);
  EXPECT_TRUE(m.queue.GetItem(0)->Saved);
  EXPECT_EQ(SendFiles(), 2);  // .00o and .10o
  EXPECT_EQ(host_.traceDesigns.back(), "0 " + m.queue.GetItem(0)->FileName);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(SendingTest, BusyAnswerSaysTryLaterAndTheNextSendWritesNoSecondFilePair) {
  ConnectIdle(1);
  panels_.QueueDesign(0, -1, Design(80));
  fake_.sendResults = {kRetryLater, E_FAIL};
  panels_.SendDesign(0);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0], "Try later again");
  const std::string name = panels_.GetMachine(0)->queue.GetItem(0)->FileName;
  panels_.SendDesign(0);  // another failure: silent
  EXPECT_EQ(boxes_.boxes.size(), 1u);
  panels_.SendDesign(0);
  EXPECT_EQ(Logged("SendStartStream"), 3);
  EXPECT_EQ(SendFiles(), 2);
  EXPECT_EQ(panels_.GetMachine(0)->queue.GetItem(0)->FileName, name);
  EXPECT_TRUE(panels_.IsMachineBusy(0));
}

// A machine that offers a transfer again and again while the server answers busy: its offers
// while the "Try later again" box is open (events keep arriving inside it) do nothing, so boxes
// never pile up; the next offer after the box asks again.
TEST_F(SendingTest, OffersWhileTheTryLaterBoxIsOpenDoNothing) {
  ConnectIdle(2);
  panels_.QueueDesign(0, -1, Design(80));
  panels_.QueueDesign(1, -1, Design(90));
  fake_.sendResults = {kRetryLater, kRetryLater};
  int nested = 0;
  boxes_.during = [&] {
    ++nested;
    for (IPelSrvEvents* sink : fake_.sinks) {
      sink->OnSendStart(Cookie(0));
      sink->OnSendStart(Cookie(1));  // another machine's offer: the box is the same cause
    }
  };
  fake_.sinks.front()->OnSendStart(Cookie(0));
  EXPECT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(Logged("SendStartStream"), 1);
  boxes_.during = {};
  fake_.sinks.front()->OnSendStart(Cookie(0));
  EXPECT_EQ(boxes_.boxes.size(), 2u);
  EXPECT_EQ(Logged("SendStartStream"), 2);
}

// The design handed to QueueDesign may be the layout's, which a hand-over frees; the queue
// takes its copy before anything can run in between (here: a box while the state is asked).
TEST_F(SendingTest, QueueingCopiesTheDesignBeforeTheServerIsAsked) {
  ConnectIdle(1);
  auto layoutDesign = std::make_unique<TStitchItem>(Design(70));
  boxes_.during = [&] { layoutDesign.reset(); };
  fake_.during = [&](const std::string& call) {
    if (call.rfind("GetState", 0) == 0 && layoutDesign)
      platform::ShowMessage(platform::MessageBoxKind::Error, "a box while the server is asked");
  };
  panels_.QueueDesign(0, -1, *layoutDesign);
  EXPECT_EQ(layoutDesign, nullptr);
  ASSERT_EQ(panels_.QueuedDesignCount(0), 1);
  EXPECT_EQ(panels_.GetMachine(0)->queue.GetItem(0)->Points.size(), Design(70).Points.size());
}

TEST_F(SendingTest, SyncGroupWritesTheFileOnceForAllMembers) {
  ConnectIdle(3);
  for (TDevNo d : {0, 2}) fake_.sinks.at(0)->OnSyncSetup(2, Cookie(d), 1);
  panels_.QueueDesign(2, -1, Design(90));
  ASSERT_EQ(panels_.QueuedDesignCount(0), 1);
  ASSERT_EQ(panels_.QueuedDesignCount(1), 0);
  panels_.SendDesign(2);
  panels_.SendDesign(0);
  EXPECT_EQ(SendFiles(), 2);
  EXPECT_EQ(panels_.GetMachine(0)->queue.GetItem(0)->FileName,
            panels_.GetMachine(2)->queue.GetItem(0)->FileName);
  EXPECT_EQ(Logged("SendStartStream"), 2);
}

TEST_F(SendingTest, OfflineEventDuringTheSendCallDropsTheDesignSafely) {
  ConnectIdle(1);
  panels_.QueueDesign(0, -1, Design(80));
  fake_.during = [this](const std::string& call) {
    if (call.rfind("SendStartStream", 0) == 0) fake_.FireStatus(1, SEW_OFFLINE);
  };
  panels_.SendDesign(0);
  fake_.during = nullptr;
  EXPECT_EQ(panels_.QueuedDesignCount(0), 0);
  EXPECT_FALSE(panels_.IsMachineBusy(0));
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, kSewImageOffline);
  EXPECT_EQ(host_.traceDesigns, (std::vector<std::string>{"0 "}));
}

TEST_F(SendingTest, MachineTheServerDoesNotHoldIsNotShownSending) {
  ConnectIdle(1);
  panels_.QueueDesign(0, -1, Design(80));
  fake_.connections.clear();  // the server no longer knows the cookie and answers S_OK
  panels_.SendDesign(0);
  EXPECT_EQ(Logged("SendStartStream"), 1);
  EXPECT_FALSE(panels_.IsMachineBusy(0));
  EXPECT_NE(panels_.GetMachine(0)->sewImage, kSewImageSending);
}

TEST_F(SendingTest, WithoutASendFolderNothingIsSent) {
  ConnectIdle(1);
  panels_.QueueDesign(0, -1, Design(80));
  std::filesystem::create_directories(sendFolder_.parent_path());
  {
    std::ofstream blocker(sendFolder_);  // a file where the folder should be
  }
  panels_.SendDesign(0);
  EXPECT_EQ(Logged("SendStartStream"), 0);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].rfind("Failed to create a recent directory: ", 0), 0u)
      << boxes_.boxes[0];
}

TEST_F(SendingTest, SendAllSendsEveryMachineThatCanSendInListOrder) {
  ConnectIdle(3);
  panels_.QueueDesign(0, -1, Design(80));
  panels_.QueueDesign(2, -1, Design(70));
  fake_.log.clear();
  panels_.SendAll();
  std::vector<std::string> sends;
  for (const auto& line : fake_.log)
    if (line.rfind("SendStartStream", 0) == 0) sends.push_back(line);
  EXPECT_EQ(sends, (std::vector<std::string>{"SendStartStream 1", "SendStartStream 3"}));
}

TEST_F(SendingTest, DiscardInAGroupRemovesThatJobFromEveryMember) {
  ConnectIdle(3);
  for (TDevNo d : {0, 1}) fake_.sinks.at(0)->OnSyncSetup(2, Cookie(d), 1);
  for (int k = 0; k < 3; ++k) panels_.QueueDesign(0, -1, Design(60 + k));
  // Member 0's third design is a different job.
  panels_.GetMachine(0)->queue.GetItem(2)->SetUniqueID(999);
  const TStitchItem kept = *panels_.GetMachine(0)->queue.GetItem(2);
  panels_.DiscardQueuedDesign(2, 1);
  EXPECT_EQ(panels_.QueuedDesignCount(1), 2);
  EXPECT_EQ(panels_.QueuedDesignCount(0), 3);
  panels_.DiscardQueuedDesign(1, 1);
  EXPECT_EQ(panels_.QueuedDesignCount(0), 2);
  EXPECT_EQ(panels_.QueuedDesignCount(1), 1);
  EXPECT_TRUE(panels_.GetMachine(0)->queue.GetItem(1)->IsSame(&kept));
}

}  // namespace
