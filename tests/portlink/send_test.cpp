#include <thread>

#include "platform/usermessages.h"
#include "portfixture.h"
#include "portlink/emulatedlines.h"

namespace portlink::testing {
namespace {

using namespace platform;
using Clock = std::chrono::steady_clock;

class SendTest : public PortTest {
 protected:
  void SetUp() override {
    PortTest::SetUp();
    ASSERT_EQ(OpenCommPort(0), 1);
    ASSERT_TRUE(WaitFor(UM_MODEM_STATUS));
  }

  void SetBlock(const Bytes& block) {
    tty_.block = block.empty() ? nullptr : block.data();
    tty_.blockLength = static_cast<std::uint32_t>(block.size());
  }
};

Bytes Pattern(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7);
  return b;
}

TEST_F(SendTest, SyncSendWritesTheBlock) {
  const Bytes block = {'A', 'T', '\r', 0x11, 0x13};
  SetBlock(block);
  EXPECT_EQ(SendBlockSync(0), 1);
  EXPECT_EQ(machine_.Receive(block.size()), block);
}

TEST_F(SendTest, AsyncSendWritesTheBlockThenPostsBlockSent) {
  const Bytes block = Pattern(521);
  SetBlock(block);
  ASSERT_EQ(SendBlockAsync(0), 1);
  EXPECT_EQ(machine_.Receive(block.size()), block);
  auto sent = WaitFor(UM_BLOCK_SENT);
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->wParam, 0xC0u);
  EXPECT_EQ(sent->lParam, 0);
  EXPECT_EQ(LoadShared(tty_.transferRunning), 0u);
}

TEST_F(SendTest, BackToBackAsyncSendsEachEndOnce) {
  // The next send starts as soon as the last one is announced, racing the writer's wind-down.
  const Bytes block = Pattern(64);
  SetBlock(block);
  for (int i = 0; i < 500; ++i) {
    ASSERT_EQ(SendBlockAsync(0), 1);
    ASSERT_TRUE(WaitFor(UM_BLOCK_SENT)) << "send " << i;
    ASSERT_EQ(machine_.Receive(block.size()), block) << "send " << i;
  }
  EXPECT_FALSE(WaitFor(UM_BLOCK_SENT, 50ms));
}

TEST_F(SendTest, SendRightAfterOpenIsNotLost) {
  CloseCommPort(0);
  SetupSYSInfo(0, &sys_);
  ASSERT_EQ(OpenCommPort(0), 1);
  const Bytes block = {0xD1};
  SetBlock(block);
  ASSERT_EQ(SendBlockAsync(0), 1);
  EXPECT_TRUE(WaitFor(UM_BLOCK_SENT));
  EXPECT_EQ(machine_.Receive(1), block);
}

TEST_F(SendTest, EmptyBlockIsAcceptedAndAsyncStillEnds) {
  SetBlock({});
  EXPECT_EQ(SendBlockSync(0), 1);
  EXPECT_EQ(SendBlockAsync(0), 1);
  EXPECT_TRUE(WaitFor(UM_BLOCK_SENT));
  EXPECT_TRUE(machine_.Receive(1, 100ms).empty());
}

TEST_F(SendTest, ClosedPortSendsAndPostsNothing) {
  CloseCommPort(0);
  const Bytes block = {1, 2, 3};
  SetBlock(block);
  EXPECT_EQ(SendBlockSync(0), 0);
  EXPECT_EQ(SendBlockAsync(0), 0);
  EXPECT_FALSE(WaitFor(UM_BLOCK_SENT, 100ms));
}

TEST_F(SendTest, AbortEndsAStalledTransferAtOnceAndThePortStaysUsable) {
  StoreShared(tty_.statusPost, 1u);
  // The machine reads nothing, so the pseudo-terminal fills and the write stalls.
  const Bytes block = Pattern(256 * 1024);
  SetBlock(block);
  ASSERT_EQ(SendBlockAsync(0), 1);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(LoadShared(tty_.transferRunning), 1u);
  const auto start = Clock::now();
  AbortSendBlock(0);
  EXPECT_TRUE(WaitFor(UM_BLOCK_SENT, 2s));
  EXPECT_LT(Clock::now() - start, 2s);
  EXPECT_EQ(LoadShared(tty_.transferRunning), 0u);
  EXPECT_STREQ(LoadShared(tty_.errorText), "writing data to port");
  EXPECT_EQ(LoadShared(tty_.lastError), 995u);
  EXPECT_TRUE(WaitFor(UM_COMM_ERROR));
  auto warning = WaitFor(UM_COMM_WARNING);
  ASSERT_TRUE(warning);
  EXPECT_EQ(warning->wParam, 1u);
  EXPECT_EQ(warning->lParam, 0);

  machine_.Receive(block.size(), 300ms);  // drain what got through
  const Bytes next = {0x84, 0x85};
  SetBlock(next);
  ASSERT_EQ(SendBlockAsync(0), 1);
  EXPECT_TRUE(WaitFor(UM_BLOCK_SENT));
  EXPECT_EQ(machine_.Receive(2), next);
}

TEST_F(SendTest, TransferBlockEndPostsOnlyAfterTheWriterStopped) {
  const Bytes block = Pattern(256 * 1024);
  SetBlock(block);
  ASSERT_EQ(SendBlockAsync(0), 1);
  std::this_thread::sleep_for(50ms);
  TransferBlockEnd(0);
  ASSERT_TRUE(WaitFor(UM_BLOCK_SENT, 2s));
  // Nothing more is written once the transfer has been announced as ended.
  machine_.Receive(block.size(), 200ms);
  EXPECT_TRUE(machine_.Receive(1, 200ms).empty());
}

TEST_F(SendTest, SyncSendWhileCtsIsHeldGivesUpWithinItsBound) {
  SetEmulatedModemStatus(machine_.Path(), MS_DSR_ON);
  const Bytes block = {1, 2, 3, 4};
  SetBlock(block);
  const auto start = Clock::now();
  EXPECT_EQ(SendBlockSync(0), 1);
  const auto took = Clock::now() - start;
  SetEmulatedModemStatus(machine_.Path(), std::nullopt);
  EXPECT_GT(took, 1500ms);
  EXPECT_LT(took, 5s);
  EXPECT_EQ(LoadShared(tty_.lastError), 1460u);
  EXPECT_TRUE(machine_.Receive(1, 100ms).empty());
}

TEST_F(SendTest, CloseEndsARunningTransfer) {
  const Bytes block = Pattern(256 * 1024);
  SetBlock(block);
  ASSERT_EQ(SendBlockAsync(0), 1);
  std::this_thread::sleep_for(50ms);
  const auto start = Clock::now();
  EXPECT_EQ(CloseCommPort(0), 1);
  EXPECT_LT(Clock::now() - start, 2s);
  EXPECT_TRUE(WaitFor(UM_BLOCK_SENT, 2s));
}

TEST_F(SendTest, HangUpMidTransferEndsItAndReportsTheLineDown) {
  const Bytes block = Pattern(256 * 1024);
  SetBlock(block);
  ASSERT_EQ(SendBlockAsync(0), 1);
  std::this_thread::sleep_for(50ms);
  machine_.HangUp();
  EXPECT_TRUE(WaitFor(UM_BLOCK_SENT, 2s));
  auto down = WaitFor(UM_MODEM_STATUS, 2s);
  ASSERT_TRUE(down);
  EXPECT_EQ(down->lParam, 0);
  EXPECT_EQ(CloseCommPort(0), 1);
}

}  // namespace
}  // namespace portlink::testing
