// Discovery over loopback against the simulated machines' agent. Every test points
// PELLORA_SLP_ADDRESS at an agent on 127.0.0.1, so nothing is multicast.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hoopdesk/slp/discoverysocket.h"
#include "hoopdesk/slp/findsrv.h"
#include "hoopdesk/slp/slpaddress.h"
#include "hoopdesk/slp/slpapi.h"
#include "hoopdesk/slp/slpmessage.h"
#include "scopedenv.h"
#include "sim/simslpagent.h"
#include "sim/slpagentwire.h"

namespace {

using namespace std::chrono_literals;

std::string Url(std::uint16_t port, const char* name) {
  return sim::MachineUrl("127.0.0.1", port, name, "02:00:00:00:00:01");
}

// An agent on loopback that the code under test sends its requests to. Until a test starts one,
// requests go to a closed port on loopback, never to the multicast group.
class Discovery : public ::testing::Test {
 protected:
  void StartAgent(sim::TSlpAgentConfig config) {
    agent_ = std::make_unique<sim::TSimSlpAgent>(std::move(config));
    ASSERT_TRUE(agent_->Ok());
    ::setenv(slp::kSlpAddressVariable, agent_->Address().c_str(), 1);
  }

  // The next machine the socket reads, waiting up to two seconds for one.
  static bool NextMachine(slp::TDiscoverySocket& socket, slp::TFoundMachine& entry) {
    for (auto until = std::chrono::steady_clock::now() + 2s;
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(2ms)) {
      if (socket.ReceiveServiceReplies(entry)) return true;
    }
    return false;
  }

  const ScopedEnv env_{slp::kSlpAddressVariable, "127.0.0.1:1"};
  std::unique_ptr<sim::TSimSlpAgent> agent_;
};

TEST_F(Discovery, TheSimulatedMachineAnswersTheShortRequestWithItsUrl) {
  StartAgent({.urls = {Url(9100, "SIM-1")}});
  slp::TDiscoverySocket socket;
  ASSERT_EQ(socket.Error(), 0);
  slp::TFoundMachine entry;
  EXPECT_FALSE(socket.ReceiveServiceReplies(entry));  // nothing waiting: false at once
  ASSERT_TRUE(socket.SendServiceRequest());
  ASSERT_TRUE(NextMachine(socket, entry));
  EXPECT_EQ(agent_->LastRequest(), slp::DiscoveryRequest());
  EXPECT_EQ(entry.address, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(ntohs(entry.port), 9100);
  EXPECT_EQ(entry.name, "SIM-1");
  EXPECT_EQ(entry.mac, "02:00:00:00:00:01");
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(socket.ReceiveServiceReplies(entry));
}

TEST_F(Discovery, DatagramsThatAreNoAnswerAreDroppedOnTheWay) {
  const slp::TUrlEntry good{60, Url(9100, "GOOD")};
  const slp::TUrlEntry badPort{60, "service:sewing-machine://127.0.0.1:70000:BAD:m"};
  const std::string text = "service:sewing-machine://127.0.0.1:9200:TEXT:m";
  auto wrongFunction = sim::EncodeServiceReply(slp::kDiscoveryXid, "en", {&good, 1});
  wrongFunction[1] = slp::kServiceRequest;
  auto cut = sim::EncodeServiceReply(slp::kDiscoveryXid, "en", {&good, 1});
  cut.resize(cut.size() - 10);
  StartAgent({.urls = {good.url},
              .noise = {sim::EncodeServiceReply(8, "en", {&good, 1}), wrongFunction, cut,
                        sim::EncodeServiceReply(slp::kDiscoveryXid, "en", {&badPort, 1}),
                        std::vector<std::uint8_t>(text.begin(), text.end())}});
  slp::TDiscoverySocket socket;
  ASSERT_TRUE(socket.SendServiceRequest());
  slp::TFoundMachine entry;
  ASSERT_TRUE(NextMachine(socket, entry));
  EXPECT_EQ(entry.name, "GOOD");
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(socket.ReceiveServiceReplies(entry));
}

TEST_F(Discovery, AnAnswerWithSeveralUrlsGivesOneMachineACall) {
  const std::vector<slp::TUrlEntry> urls = {{60, Url(9101, "A")}, {60, Url(9102, "B")}};
  StartAgent({.noise = {sim::EncodeServiceReply(slp::kDiscoveryXid, "en", urls)}});
  slp::TDiscoverySocket socket;
  ASSERT_TRUE(socket.SendServiceRequest());
  slp::TFoundMachine first, second;
  ASSERT_TRUE(NextMachine(socket, first));
  ASSERT_TRUE(socket.ReceiveServiceReplies(second));
  EXPECT_EQ(first.name, "A");
  EXPECT_EQ(second.name, "B");
}

TEST_F(Discovery, ABadDestinationSwitchesTheSocketOff) {
  const ScopedEnv bad(slp::kSlpAddressVariable, "no-port-here");
  slp::TDiscoverySocket socket;
  EXPECT_NE(socket.Error(), 0);
  EXPECT_FALSE(socket.SendServiceRequest());
  slp::TFoundMachine entry;
  EXPECT_FALSE(socket.ReceiveServiceReplies(entry));
}

TEST_F(Discovery, TheLibrarySearchFindsEveryMachineSortedAndConverges) {
  StartAgent({.urls = {Url(9300, "C"), Url(80, "A"), Url(9100, "B"), Url(80, "A")}});
  std::vector<slp::TFoundMachine> list(2);  // emptied first
  slp::FindMachinesBySlp(list);
  std::vector<std::string> names;
  for (const auto& entry : list) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C"}));

  // The repeated request names the agent among those that answered, and it stays quiet.
  EXPECT_EQ(agent_->Requests(), 2);
  const auto last = sim::ParseServiceRequest(agent_->LastRequest());
  ASSERT_TRUE(last);
  EXPECT_EQ(last->flags, 0);  // not multicast
  EXPECT_EQ(last->serviceType, "service:sewing-machine");
  EXPECT_EQ(last->scopes, "DEFAULT");
  EXPECT_EQ(last->previousResponders, "127.0.0.1");
}

TEST_F(Discovery, TheLibrarySearchWithoutAnswersLeavesTheListEmpty) {
  StartAgent({});
  std::vector<slp::TFoundMachine> list(3);
  slp::FindMachinesBySlp(list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(agent_->Requests(), 1);
}

struct Calls {
  std::vector<std::string> urls;
  std::vector<slp::SLPError> errors;
  bool more = true;
};

slp::SLPBoolean Record(const slp::SLPHandle&, const char* url, unsigned short, slp::SLPError error,
                       void* cookie) {
  auto& calls = *static_cast<Calls*>(cookie);
  calls.urls.push_back(url == nullptr ? "(none)" : url);
  calls.errors.push_back(error);
  return calls.more;
}

TEST_F(Discovery, TheUrlCallbackGetsEachUrlThenALastCall) {
  StartAgent({.urls = {Url(1, "A"), Url(2, "B")}});
  slp::SLPHandle handle;
  ASSERT_EQ(slp::SLPOpen("", slp::SLP_FALSE, &handle), slp::SLP_OK);
  Calls calls;
  EXPECT_EQ(slp::SLPFindSrvs(handle, "service:sewing-machine", nullptr, nullptr, Record, &calls),
            slp::SLP_OK);
  slp::SLPClose(handle);
  EXPECT_FALSE(handle);
  EXPECT_EQ(calls.urls, (std::vector<std::string>{Url(1, "A"), Url(2, "B"), "(none)"}));
  EXPECT_EQ(calls.errors,
            (std::vector<slp::SLPError>{slp::SLP_OK, slp::SLP_OK, slp::SLP_LAST_CALL}));
}

TEST_F(Discovery, ACallbackThatWantsNoMoreEndsTheSearch) {
  StartAgent({.urls = {Url(1, "A"), Url(2, "B")}});
  slp::SLPHandle handle;
  ASSERT_EQ(slp::SLPOpen(nullptr, slp::SLP_FALSE, &handle), slp::SLP_OK);
  Calls calls{.more = false};
  EXPECT_EQ(slp::SLPFindSrvs(handle, "service:sewing-machine", "", "", Record, &calls),
            slp::SLP_OK);
  EXPECT_EQ(calls.urls, (std::vector<std::string>{Url(1, "A")}));
}

TEST_F(Discovery, ARequestTooLongForADatagramIsNotSent) {
  StartAgent({.urls = {Url(1, "A")}});
  slp::SLPHandle handle;
  ASSERT_EQ(slp::SLPOpen(nullptr, slp::SLP_FALSE, &handle), slp::SLP_OK);
  const std::string filter = "(name=" + std::string(1400, 'x') + ")";
  Calls calls;
  EXPECT_EQ(
      slp::SLPFindSrvs(handle, "service:sewing-machine", nullptr, filter.c_str(), Record, &calls),
      slp::SLP_BUFFER_OVERFLOW);
  EXPECT_TRUE(calls.urls.empty());
  EXPECT_EQ(agent_->Requests(), 0);
}

TEST_F(Discovery, OpenAndSearchRefuseWhatTheyCannotDo) {
  slp::SLPHandle handle;
  EXPECT_EQ(slp::SLPOpen(nullptr, slp::SLP_TRUE, &handle), slp::SLP_NOT_IMPLEMENTED);
  EXPECT_FALSE(handle);
  Calls calls;
  EXPECT_EQ(slp::SLPFindSrvs(handle, "service:sewing-machine", nullptr, nullptr, Record, &calls),
            slp::SLP_PARAMETER_BAD);
  {
    const ScopedEnv bad(slp::kSlpAddressVariable, "127.0.0.1:0");
    EXPECT_EQ(slp::SLPOpen(nullptr, slp::SLP_FALSE, &handle), slp::SLP_NETWORK_INIT_FAILED);
    EXPECT_FALSE(handle);
    std::vector<slp::TFoundMachine> list(1);
    slp::FindMachinesBySlp(list);
    EXPECT_TRUE(list.empty());
  }
  EXPECT_TRUE(calls.urls.empty());
}

}  // namespace
