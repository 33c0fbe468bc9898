// Discovery: reading service replies, and finding simulated machines over loopback.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <vector>

#include "hoopdesk/slp/discoverysocket.h"
#include "hoopdesk/slp/findsrv.h"
#include "hoopdesk/slp/foundmachine.h"
#include "hoopdesk/slp/slpaddress.h"
#include "hoopdesk/slp/slpmessage.h"
#include "sim/simslpagent.h"
#include "sim/slpagentwire.h"

namespace {

std::string MachineUrl(int i) {
  const std::string address = "10." + std::to_string(i / 65536 % 256) + "." +
                              std::to_string(i / 256 % 256) + "." + std::to_string(i % 256);
  return sim::MachineUrl(address, static_cast<std::uint16_t>(5000 + i % 1000),
                         "EMB-" + std::to_string(i), "00:1a:2b:3c:4d:5e");
}

// Parses 10,000 replies of one URL each, as the main window's timer would read them.
void BM_ParseServiceReplies(benchmark::State& state) {
  constexpr int kReplies = 10000;
  std::vector<std::vector<std::uint8_t>> replies;
  for (int i = 0; i < kReplies; ++i) {
    const slp::TUrlEntry entry{60, MachineUrl(i)};
    replies.push_back(sim::EncodeServiceReply(slp::kDiscoveryXid, "en", {&entry, 1}));
  }
  for (auto _ : state) {
    int found = 0;
    for (const auto& datagram : replies) {
      const auto reply = slp::ParseServiceReply(datagram, slp::kDiscoveryXid);
      slp::TFoundMachine entry;
      if (reply && !reply->urls.empty() && slp::ParseServiceUrl(reply->urls[0].url, entry)) ++found;
    }
    if (found != kReplies) state.SkipWithError("a reply was refused");
  }
  state.SetItemsProcessed(state.iterations() * kReplies);
}
BENCHMARK(BM_ParseServiceReplies)->Unit(benchmark::kMillisecond);

sim::TSlpAgentConfig SixteenMachines() {
  sim::TSlpAgentConfig config;
  for (int i = 0; i < 16; ++i) {
    config.urls.push_back(sim::MachineUrl("127.0.0.1", static_cast<std::uint16_t>(9100 + i),
                                          "SIM-" + std::to_string(i), "02:00:00:00:00:01"));
  }
  return config;
}

// The timer's way: one short request, then every answer read as it comes, until all 16 machines
// are in the sorted list.
void BM_DiscoverSixteenMachines(benchmark::State& state) {
  const sim::TSimSlpAgent agent(SixteenMachines());
  ::setenv(slp::kSlpAddressVariable, agent.Address().c_str(), 1);
  slp::TDiscoverySocket socket;
  for (auto _ : state) {
    std::vector<slp::TFoundMachine> list;
    if (!socket.SendServiceRequest()) state.SkipWithError("request not sent");
    slp::TFoundMachine entry;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (list.size() < 16 && std::chrono::steady_clock::now() < until) {
      if (socket.ReceiveServiceReplies(entry)) list.push_back(entry);
    }
    if (list.size() != 16) state.SkipWithError("not every machine answered");
    slp::SortFoundMachines(list);
    benchmark::DoNotOptimize(list);
  }
  ::unsetenv(slp::kSlpAddressVariable);
}
BENCHMARK(BM_DiscoverSixteenMachines)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The library search of the rescan command: it waits out its rounds, so its time is mostly the
// waiting.
void BM_FindSixteenMachinesBySlp(benchmark::State& state) {
  const sim::TSimSlpAgent agent(SixteenMachines());
  ::setenv(slp::kSlpAddressVariable, agent.Address().c_str(), 1);
  for (auto _ : state) {
    std::vector<slp::TFoundMachine> list;
    slp::FindMachinesBySlp(list);
    if (list.size() != 16) state.SkipWithError("not every machine was found");
  }
  ::unsetenv(slp::kSlpAddressVariable);
}
BENCHMARK(BM_FindSixteenMachinesBySlp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
