// Sending queued designs against a fake server: the files written once, the answers of the
// server, a synchronised group sharing one file, discarding, and events that arrive during the
// send call.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <set>

#include "designmaker.h"
#include "panelfixture.h"

namespace {

constexpr HRESULT kRetryLater = static_cast<HRESULT>(0x8001010A);

class SendingTest : public PanelWorld {
 protected:
  TStitchItem Design(int stitches) { return designmaker::MakeDesign(1, stitches, 300, "heart"); }
  // A design with one move of `length` units at its end: the native writer splits a move
  // longer than 127 units into jumps, and refuses one that would take too many.
  TStitchItem WithMove(TStitchItem design, std::int32_t length) {
    const TEmbPoint last = design.Points.back();
    design.Points.push_back({1, last.X + length, last.Y});
    design.Points.push_back({0, last.X + length, last.Y + 5});
    return design;
  }
  TCookie Cookie(TDevNo d) { return panels_.GetMachine(d)->cookie; }
  void JoinGroup(std::initializer_list<TDevNo> members) {
    for (TDevNo d : members)
      fake_.sinks.at(0)->OnSyncSetup(static_cast<std::int32_t>(members.size()), Cookie(d), 1);
  }
  std::set<std::string> FolderNames() const {
    std::set<std::string> names;
    if (std::filesystem::exists(sendFolder_))
      for (const auto& entry : std::filesystem::directory_iterator(sendFolder_))
        names.insert(entry.path().filename().string());
    return names;
  }
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

// A write that fails shows "Failed to save a file" with the name and leaves the send folder as
// it was: neither the name the namer claimed nor half a pair stays behind, at any retry.
TEST_F(SendingTest, AFailedWriteShowsTheBoxAndLeavesTheSendFolderAsItWas) {
  ConnectIdle(1);
  std::filesystem::create_directories(sendFolder_);
  { std::ofstream(sendFolder_ / "2612a001.10o") << "an earlier send"; }
  const std::set<std::string> before = FolderNames();
  panels_.QueueDesign(0, -1, WithMove(Design(80), 100'000'000));
  const std::string source = panels_.GetMachine(0)->queue.GetItem(0)->FileName;
  for (std::size_t attempt = 1; attempt <= 3; ++attempt) {
    panels_.SendDesign(0);
    ASSERT_EQ(boxes_.boxes.size(), attempt);
    EXPECT_EQ(boxes_.boxes.back().rfind("Failed to save a file: ", 0), 0u) << boxes_.boxes.back();
    EXPECT_NE(boxes_.boxes.back().find(".10o"), std::string::npos) << boxes_.boxes.back();
    EXPECT_EQ(FolderNames(), before) << attempt;
  }
  const TStitchItem& head = *panels_.GetMachine(0)->queue.GetItem(0);
  EXPECT_FALSE(head.Saved);
  EXPECT_EQ(head.FileName, source);
  EXPECT_EQ(Logged("SendStartStream"), 0);
  EXPECT_FALSE(panels_.IsMachineBusy(0));
}

// A machine whose first reported state was an error or a rejection is still one the server
// sends to: the transfer it runs shows as one.
TEST_F(SendingTest, ATransferTheServerRunsShowsAsSendingWhateverTheMachineReportedBefore) {
  for (const TSewingState first : {SEW_ERROR, SEW_REJECTED, SEW_IDLE, SEW_COMPLETED}) {
    panels_.RemoveAllMachines();
    Connect();
    TConnInfo info{};
    info.baudRate = 19200;
    ASSERT_TRUE(panels_.AddMachine(0, info, ""));
    const TCookie cookie = Cookie(0);
    fake_.states[cookie] = first;
    fake_.FireStatus(cookie, first);
    panels_.QueueDesign(0, -1, Design(80));
    ASSERT_EQ(panels_.QueuedDesignCount(0), 1) << first;
    panels_.SendDesign(0);
    const TMachineRecord& m = *panels_.GetMachine(0);
    EXPECT_TRUE(m.busy) << first;
    EXPECT_EQ(m.sewImage, kSewImageSending) << first;
    EXPECT_FALSE(m.canSend) << first;
    EXPECT_FALSE(m.enabled) << first;
    EXPECT_EQ(m.progress, 0) << first;
  }
  EXPECT_TRUE(boxes_.boxes.empty());
}

// The writer splits the long move of the copy it writes; the other members' copies are still
// the same job and send that file: a group of three writes one pair.
TEST_F(SendingTest, AGroupOfThreeWritesOnePairForADesignTheWriterChanges) {
  ConnectIdle(4);
  JoinGroup({0, 1, 3});
  panels_.QueueDesign(1, -1, WithMove(Design(90), 2000));
  for (TDevNo d : {0, 1, 3}) ASSERT_EQ(panels_.QueuedDesignCount(d), 1) << d;
  EXPECT_EQ(panels_.QueuedDesignCount(2), 0);  // outside the group
  for (TDevNo d : {1, 3, 0}) panels_.SendDesign(d);
  EXPECT_EQ(SendFiles(), 2);
  const std::string name = panels_.GetMachine(1)->queue.GetItem(0)->FileName;
  for (TDevNo d : {0, 3}) EXPECT_EQ(panels_.GetMachine(d)->queue.GetItem(0)->FileName, name) << d;
  EXPECT_EQ(Logged("SendStartStream"), 3);
  EXPECT_TRUE(boxes_.boxes.empty());
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

// A member that refuses a group's copy (the server has it offline) keeps its older design with
// that design's own group id; discarding either job removes exactly the copies of that job.
TEST_F(SendingTest, ARefusedCopyKeepsItsOwnGroupIdAndEachDiscardTakesOnlyItsJob) {
  ConnectIdle(3);
  JoinGroup({0, 1, 2});
  panels_.QueueDesign(0, -1, Design(60));
  const std::int32_t first = panels_.GetMachine(2)->queue.GetItem(0)->UniqueID;
  fake_.states[Cookie(2)] = SEW_OFFLINE;  // no event yet: the queue stays
  panels_.QueueDesign(0, -1, Design(70));
  fake_.states[Cookie(2)] = SEW_IDLE;
  ASSERT_EQ(panels_.QueuedDesignCount(2), 1);
  EXPECT_EQ(panels_.GetMachine(2)->queue.GetItem(0)->UniqueID, first);
  const std::int32_t second = panels_.GetMachine(0)->queue.GetItem(1)->UniqueID;
  EXPECT_NE(second, first);

  struct Step {
    int position;
    TDevNo clicked;
    std::vector<int> left;  // queue counts of machines 0, 1, 2 afterwards
  };
  const Step steps[] = {{1, 1, {1, 1, 1}}, {0, 2, {0, 0, 0}}};
  for (const Step& step : steps) {
    panels_.DiscardQueuedDesign(step.position, step.clicked);
    std::vector<int> left;
    for (TDevNo d = 0; d < 3; ++d) left.push_back(panels_.QueuedDesignCount(d));
    EXPECT_EQ(left, step.left) << step.position << " on " << step.clicked;
  }
}

// A member that leaves the group while others remain keeps its copy when the group discards.
TEST_F(SendingTest, AMemberThatLeftTheGroupKeepsItsCopyWhenTheGroupDiscards) {
  ConnectIdle(3);
  JoinGroup({0, 1, 2});
  panels_.QueueDesign(0, -1, Design(60));
  fake_.sinks.at(0)->OnSyncSetup(0, Cookie(1), 0);
  EXPECT_FALSE(panels_.GetMachine(1)->inSyncGroup);
  EXPECT_FALSE(panels_.IsShown(1));
  EXPECT_TRUE(panels_.GetMachine(0)->inSyncGroup);
  panels_.DiscardQueuedDesign(0, 2);
  EXPECT_EQ(panels_.QueuedDesignCount(0), 0);
  EXPECT_EQ(panels_.QueuedDesignCount(1), 1);
  EXPECT_EQ(panels_.QueuedDesignCount(2), 0);
}

// The end of a synchronised transfer: each member's normal end takes its own copy off its queue;
// a member whose transfer failed keeps its copy, which still sends the group's file.
TEST_F(SendingTest, TheEndOfASynchronisedTransferTakesEachMembersCopy) {
  ConnectIdle(3);
  JoinGroup({0, 1, 2});
  panels_.QueueDesign(0, -1, WithMove(Design(60), 1500));
  panels_.QueueDesign(0, -1, Design(70));
  for (TDevNo d : {0, 1, 2}) panels_.SendDesign(d);
  const std::string name = panels_.GetMachine(0)->queue.GetItem(0)->FileName;
  const TStitchItem next = *panels_.GetMachine(0)->queue.GetItem(1);
  IPelSrvEvents& sink = *fake_.sinks.at(0);
  sink.OnSendStop(Cookie(0), RES_STATE_NORMAL);
  sink.OnSendStop(Cookie(1), RES_STATE_ERROR);
  sink.OnSendStop(Cookie(2), RES_STATE_NORMAL);
  for (TDevNo d : {0, 2}) {
    ASSERT_EQ(panels_.QueuedDesignCount(d), 1) << d;
    EXPECT_EQ(panels_.GetMachine(d)->queue.GetItem(0)->UniqueID, next.UniqueID) << d;
    EXPECT_EQ(panels_.GetMachine(d)->alarmMode, 0) << d;
  }
  ASSERT_EQ(panels_.QueuedDesignCount(1), 2);
  EXPECT_EQ(panels_.GetMachine(1)->alarmMode, 1);
  EXPECT_EQ(panels_.GetMachine(1)->queue.GetItem(0)->FileName, name);
  for (TDevNo d : {0, 1, 2}) {
    EXPECT_FALSE(panels_.IsMachineBusy(d)) << d;
    EXPECT_TRUE(panels_.CanSend(d)) << d;
  }
  // The failed member sends its copy again without writing; the next job is written once.
  panels_.SendDesign(1);
  EXPECT_EQ(SendFiles(), 2);
  panels_.SendDesign(0);
  panels_.SendDesign(2);
  EXPECT_EQ(SendFiles(), 4);
}

}  // namespace
