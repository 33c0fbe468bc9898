// The link to a real server process that stops, runs again or dies, and attaching to a server
// (or starting one) a step at a time, as a desktop timer does.
#include <gtest/gtest.h>
#include <signal.h>

#include "rpc/publication.h"
#include "rpc/registration.h"
#include "rpc/serverconnector.h"
#include "serverprocess.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;
using rpc::LinkState;

constexpr auto kTimeout = 300ms;

// Lets a stopped server run again, whatever the test's outcome.
class Stopped {
 public:
  explicit Stopped(pid_t pid) : pid_(pid) { ::kill(pid_, SIGSTOP); }
  ~Stopped() { Resume(); }
  Stopped(const Stopped&) = delete;
  Stopped& operator=(const Stopped&) = delete;
  void Resume() {
    if (pid_ > 0) ::kill(pid_, SIGCONT);
    pid_ = -1;
  }

 private:
  pid_t pid_;
};

// Pumps the client as its owner does until the link is up again or lost.
LinkState PumpUntilSettled(rpc::PelSrvClient& client) {
  for (int i = 0; i < 200 && client.linkState() == LinkState::kStalled; ++i)
    client.ProcessEvents(50);
  return client.linkState();
}

TEST(PelServiceLink, AStoppedServerStallsTheLinkAndItComesBackWhenTheServerRuns) {
  RunningServer server;
  ASSERT_NE(server.client, nullptr) << server.world.Stderr(1);
  auto& client = *server.client;
  client.SetCallTimeout(kTimeout);
  Stopped stopped(server.pid);
  int32_t count = -1;
  Stopwatch watch;
  EXPECT_EQ(client.MachineCount(&count), RPC_E_TIMEOUT);
  EXPECT_LT(watch.elapsed(), kTimeout + kSlack);
  EXPECT_EQ(client.linkState(), LinkState::kStalled);
  TSewingState state = SEW_SEWING;
  watch.restart();
  EXPECT_EQ(client.GetState(1, &state), RPC_E_TIMEOUT);
  EXPECT_LT(watch.elapsed(), 100ms);
  EXPECT_EQ(state, 0);
  EXPECT_TRUE(client.ProcessEvents(0));
  EXPECT_EQ(client.linkState(), LinkState::kStalled);

  stopped.Resume();
  EXPECT_EQ(PumpUntilSettled(client), LinkState::kUp);
  EXPECT_EQ(client.MachineCount(&count), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(client.GetState(1, &state), S_OK);
  EXPECT_EQ(state, SEW_OFFLINE);
}

TEST(PelServiceLink, AKilledServerLosesTheLinkWhetherItWasUpOrStalled) {
  for (const bool stalledFirst : {false, true}) {
    RunningServer server;
    ASSERT_NE(server.client, nullptr) << server.world.Stderr(1);
    auto& client = *server.client;
    client.SetCallTimeout(kTimeout);
    int32_t count = -1;
    if (stalledFirst) {
      ::kill(server.pid, SIGSTOP);
      ASSERT_EQ(client.MachineCount(&count), RPC_E_TIMEOUT);
    }
    ::kill(server.pid, SIGKILL);
    for (int i = 0; i < 200 && client.ProcessEvents(50); ++i) {
    }
    EXPECT_EQ(client.linkState(), LinkState::kLost) << stalledFirst;
    EXPECT_FALSE(client.ProcessEvents(0)) << stalledFirst;
    EXPECT_EQ(client.MachineCount(&count), RPC_E_DISCONNECTED) << stalledFirst;
  }
}

// Polls as a timer does, with short pauses that are the caller's own; how each Poll went.
struct Polls {
  HRESULT result = E_PENDING;
  int pending = 0;
  std::chrono::milliseconds longest{0};
};
Polls PollUntilDone(rpc::ServerConnector& connector, std::unique_ptr<rpc::PelSrvClient>* out,
                    std::chrono::milliseconds limit = 30s) {
  Polls polls;
  Stopwatch total;
  while (total.elapsed() < limit) {
    Stopwatch one;
    polls.result = connector.Poll(out);
    polls.longest = std::max(polls.longest, one.elapsed());
    if (polls.result != E_PENDING) break;
    ++polls.pending;
    std::this_thread::sleep_for(10ms);
  }
  return polls;
}

TEST(ServerConnector, StartsTheRegisteredServerAndAttachesOverPollsThatNeverWait) {
  ServerWorld world;
  ASSERT_EQ(world.WaitExit(world.Start({"/RegServer"})), 0);
  rpc::ServerConnector connector(15s);
  std::unique_ptr<rpc::PelSrvClient> client;
  const Polls polls = PollUntilDone(connector, &client);
  ASSERT_EQ(polls.result, S_OK);
  ASSERT_NE(client, nullptr);
  EXPECT_GT(polls.pending, 0) << "the start is not waited for inside Poll";
  EXPECT_LT(polls.longest, 2s) << "far less than the start may take";
  int32_t count = -1;
  EXPECT_EQ(client->MachineCount(&count), S_OK);

  // A second connector attaches to the running server with its first Poll.
  rpc::ServerConnector again;
  std::unique_ptr<rpc::PelSrvClient> second;
  EXPECT_EQ(again.Poll(&second), S_OK);
  const pid_t pid = rpc::ReadPublication()->pid;
  client.reset();
  second.reset();
  EXPECT_TRUE(ProcessEnds(pid));
}

TEST(ServerConnector, FailsAtOnceWhenNothingIsRegistered) {
  ServerWorld world;
  rpc::ServerConnector connector;
  std::unique_ptr<rpc::PelSrvClient> client;
  EXPECT_EQ(connector.Poll(&client), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(client, nullptr);
  EXPECT_EQ(connector.Poll(nullptr), E_POINTER);
}

TEST(ServerConnector, AServerThatNeverPublishesRunsOutOfTimeAndTheNextPollStartsOver) {
  ServerWorld world;
  ASSERT_TRUE(rpc::RegisterServer("/bin/true"));  // ends at once, publishing nothing
  rpc::ServerConnector connector(300ms);
  std::unique_ptr<rpc::PelSrvClient> client;
  Stopwatch watch;
  const Polls polls = PollUntilDone(connector, &client);
  EXPECT_EQ(polls.result, CO_E_SERVER_EXEC_FAILURE);
  EXPECT_GE(watch.elapsed(), 300ms);
  EXPECT_GT(polls.pending, 0);
  EXPECT_EQ(connector.Poll(&client), E_PENDING) << "a new attempt";
}

TEST(ServerConnector, APublishedServerThatDoesNotAnswerFailsWithoutAStart) {
  ServerWorld world;
  ASSERT_EQ(world.WaitExit(world.Start({"/RegServer"})), 0);
  const pid_t pid = world.Start({});
  ASSERT_NE(world.Attach(), nullptr) << world.Stderr(2);
  Stopped stopped(pid);
  rpc::ServerConnector connector;
  connector.SetCallTimeout(kTimeout);
  std::unique_ptr<rpc::PelSrvClient> client;
  Stopwatch watch;
  EXPECT_EQ(connector.Poll(&client), RPC_E_TIMEOUT);
  EXPECT_LT(watch.elapsed(), kTimeout + kSlack);
  // Create as well, after the attach's own deadline rather than the start time.
  watch.restart();
  EXPECT_EQ(rpc::PelSrvClient::Create(&client, 60s), RPC_E_TIMEOUT);
  EXPECT_LT(watch.elapsed(), rpc::PelSrvClient::kDefaultCallTimeout + kSlack);
  EXPECT_EQ(rpc::ReadPublication()->pid, pid) << "no other server took its place";

  stopped.Resume();
  std::unique_ptr<rpc::PelSrvClient> late;
  ASSERT_EQ(PollUntilDone(connector, &late).result, S_OK);
  EXPECT_EQ(late->Exit(), S_OK);
  EXPECT_EQ(world.WaitExit(pid), 0);
}

}  // namespace
