#include "platform/messagetarget.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/usermessages.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

TEST(MessageTarget, UserMessageNumbersFollowWmUser) {
  EXPECT_EQ(UM_RX_DATA, 1025u);
  EXPECT_EQ(UM_RX_COMMAND, 1026u);
  EXPECT_EQ(UM_MODEM_STATUS, 1028u);
  EXPECT_EQ(UM_BLOCK_SENT, 1030u);
  EXPECT_EQ(UM_COMM_ERROR, 1032u);
}

TEST(MessageTarget, PostCarriesParametersAndPayloadByValue) {
  auto queue = std::make_shared<QueueTarget>();
  TargetRegistration reg(queue);
  ASSERT_NE(reg.Id(), 0u);

  std::vector<std::uint8_t> bytes = {0x11, 1, 2, 3};
  ASSERT_TRUE(Post(reg.Id(), UM_RX_COMMAND, 7, -3, bytes));
  bytes[0] = 0x99;  // the sender reuses its buffer at once

  auto m = queue->Wait(1s);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->msg, UM_RX_COMMAND);
  EXPECT_EQ(m->wParam, 7u);
  EXPECT_EQ(m->lParam, -3);
  ASSERT_EQ(m->Payload().size(), 4u);
  EXPECT_EQ(m->Payload()[0], 0x11);
  EXPECT_EQ(m->Payload()[3], 3);
}

TEST(MessageTarget, OversizedPayloadIsRefused) {
  auto queue = std::make_shared<QueueTarget>();
  TargetRegistration reg(queue);
  std::vector<std::uint8_t> big(Message::kMaxPayload + 1);
  EXPECT_FALSE(Post(reg.Id(), UM_RX_DATA, 0, 0, big));
  big.pop_back();
  EXPECT_TRUE(Post(reg.Id(), UM_RX_DATA, 0, 0, big));
  EXPECT_EQ(queue->Size(), 1u);
}

TEST(MessageTarget, PostToGoneOrUnknownTargetIsDropped) {
  auto queue = std::make_shared<QueueTarget>();
  TargetId id;
  {
    TargetRegistration reg(queue);
    id = reg.Id();
  }
  EXPECT_FALSE(Post(id, UM_BLOCK_SENT, 0, 0));
  EXPECT_FALSE(Post(0, UM_BLOCK_SENT, 0, 0));
  EXPECT_EQ(queue->Size(), 0u);

  // A new registration never takes over an old id.
  TargetRegistration again(queue);
  EXPECT_NE(again.Id(), id);
  EXPECT_FALSE(Post(id, UM_BLOCK_SENT, 0, 0));
}

TEST(MessageTarget, MovedRegistrationKeepsTargetRegistered) {
  auto queue = std::make_shared<QueueTarget>();
  TargetRegistration a(queue);
  TargetId id = a.Id();
  TargetRegistration b(std::move(a));
  EXPECT_EQ(a.Id(), 0u);
  EXPECT_TRUE(Post(id, UM_BLOCK_SENT, 0, 0));
  b.Reset();
  EXPECT_FALSE(Post(id, UM_BLOCK_SENT, 0, 0));
}

TEST(MessageTarget, WaitForSkipsOtherMessagesAndTimesOut) {
  auto queue = std::make_shared<QueueTarget>();
  TargetRegistration reg(queue);
  Post(reg.Id(), UM_MODEM_STATUS, 1, 0x30);
  Post(reg.Id(), UM_BLOCK_SENT, 1, 0);
  auto sent = queue->WaitFor(UM_BLOCK_SENT, 1s);
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->msg, UM_BLOCK_SENT);
  EXPECT_FALSE(queue->WaitFor(UM_BLOCK_SENT, 20ms));
  auto status = queue->Wait(0ms);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->lParam, 0x30);
}

TEST(MessageTarget, PostsFromManyThreadsKeepEachThreadsOrder) {
  auto queue = std::make_shared<QueueTarget>();
  TargetRegistration reg(queue);
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) Post(reg.Id(), WM_USER, t, i);
    });
  for (auto& th : threads) th.join();
  std::vector<int> next(kThreads, 0);
  while (auto m = queue->Wait(0ms)) {
    EXPECT_EQ(m->lParam, next[m->wParam]);
    ++next[m->wParam];
  }
  for (int n : next) EXPECT_EQ(n, kEach);
}

}  // namespace
}  // namespace platform
