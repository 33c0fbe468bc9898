// Every call of the client has a deadline: a server that stops answering stalls the link
// instead of holding the caller, its late answers are recognised and dropped, and the link
// comes back once the server has worked through what it held.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <filesystem>
#include <functional>

#include "recordingsink.h"
#include "rpc/frame.h"
#include "rpc/pelsrvclient.h"
#include "rpc/rpcserver.h"
#include "rpc/socket.h"
#include "scriptedpeer.h"
#include "stopwatch.h"

namespace rpc {
namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 200ms;
// A call that fails without waiting for anything.
constexpr auto kAtOnce = 100ms;

std::vector<uint8_t> Values(const std::function<void(FrameWriter&)>& write) {
  FrameWriter w;
  write(w);
  return w.Take();
}
std::vector<uint8_t> I32(int32_t v) {
  return Values([&](FrameWriter& w) { w.I32(v); });
}

// The sequence number of a call the peer holds back, once it has come.
class HeldCall {
 public:
  void Hold(uint32_t seq) { seq_ = seq; }
  uint32_t Wait() const {
    Eventually([&] { return seq_ != 0; });
    return seq_;
  }

 private:
  std::atomic<uint32_t> seq_{0};
};

TEST(CallDeadline, AnUnansweredCallTimesOutAndTheCallsAfterItFailAtOnceUnsent) {
  ScriptedPeer peer;  // reads everything, answers nothing
  PelSrvClient& client = peer.client();
  client.SetCallTimeout(kTimeout);
  int32_t count = 7;
  Stopwatch watch;
  EXPECT_EQ(client.MachineCount(&count), RPC_E_TIMEOUT);
  EXPECT_GE(watch.elapsed(), kTimeout);
  EXPECT_LT(watch.elapsed(), kTimeout + kSlack);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(client.linkState(), LinkState::kStalled);
  EXPECT_TRUE(client.connected());

  struct Case {
    const char* name;
    // The result, and whether every out value was reset.
    std::function<std::pair<HRESULT, bool>()> call;
  };
  RecordingSink sink;
  platform::MemStream design(std::vector<uint8_t>(100, 1));
  const Case cases[] = {
      {"GetMachineState",
       [&] {
         std::string addr = "x";
         uint8_t state = 9;
         int32_t err = 9;
         const HRESULT hr = client.GetMachineState(1, &addr, &state, &err);
         return std::pair(hr, addr.empty() && state == 0 && err == 0);
       }},
      {"GetImage",
       [&] {
         std::vector<uint8_t> jpeg = {1, 2};
         uint32_t size = 2;
         const HRESULT hr = client.GetImage("a.dst", &jpeg, &size);
         return std::pair(hr, jpeg.empty() && size == 0);
       }},
      {"Connect",
       [&] {
         int32_t cookie = 4;
         const HRESULT hr = client.Connect(0, "m", TConnInfo{}, &cookie);
         return std::pair(hr, cookie == 0);
       }},
      {"Advise",
       [&] {
         uint32_t cookie = 4;
         const HRESULT hr = client.Advise(&sink, &cookie);
         return std::pair(hr, cookie == 0u);
       }},
      {"Unadvise", [&] { return std::pair(client.Unadvise(1), true); }},
      {"SendStartStream", [&] { return std::pair(client.SendStartStream(1, &design), true); }},
      {"Exit", [&] { return std::pair(client.Exit(), true); }},
  };
  for (const Case& c : cases) {
    watch.restart();
    const auto [hr, reset] = c.call();
    EXPECT_EQ(hr, RPC_E_TIMEOUT) << c.name;
    EXPECT_TRUE(reset) << c.name;
    EXPECT_LT(watch.elapsed(), kAtOnce) << c.name;
  }
  EXPECT_EQ(client.linkState(), LinkState::kStalled);
  ::shutdown(client.fd(), SHUT_WR);
  ASSERT_TRUE(Eventually([&] { return peer.ended(); }));
  ASSERT_EQ(peer.received().size(), 1u) << "only the first call went out";
  EXPECT_EQ(peer.received()[0].code, DISPID_MachineCount);
}

TEST(CallDeadline, ALateAnswerIsDroppedAndTheLinkComesUpWhenItIsRead) {
  HeldCall held;
  ScriptedPeer peer([&](ScriptedPeer& p, const Frame& call) {
    if (call.code == DISPID_MachineCount) held.Hold(call.seq);
    if (call.code == DISPID_GetCookie) p.Reply(call.seq, S_OK, I32(222));
  });
  PelSrvClient& client = peer.client();
  client.SetCallTimeout(kTimeout);
  int32_t count = -1;
  ASSERT_EQ(client.MachineCount(&count), RPC_E_TIMEOUT);

  peer.Reply(held.Wait(), S_OK, I32(111));
  EXPECT_EQ(client.linkState(), LinkState::kStalled) << "until the answer is read";
  EXPECT_TRUE(client.ProcessEvents(2000));
  EXPECT_EQ(client.linkState(), LinkState::kUp);
  int32_t cookie = -1;
  EXPECT_EQ(client.GetCookie(1, &cookie), S_OK);
  EXPECT_EQ(cookie, 222);
  EXPECT_EQ(count, 0) << "the late answer reaches no caller";
}

// A probe asks without waiting: answered, it leaves the link up and takes nothing from a later
// call; unanswered past the deadline, the link is stalled as if a call had waited, and the
// late answer puts it back up.
TEST(CallDeadline, AProbeStallsTheLinkOnlyWhenItsAnswerIsLate) {
  HeldCall held;
  std::atomic<bool> answerProbes{true};
  ScriptedPeer peer([&](ScriptedPeer& p, const Frame& call) {
    if (call.code == DISPID_MachineCount && answerProbes) p.Reply(call.seq, S_OK, I32(5));
    if (call.code == DISPID_MachineCount && !answerProbes) held.Hold(call.seq);
    if (call.code == DISPID_GetCookie) p.Reply(call.seq, S_OK, I32(222));
  });
  PelSrvClient& client = peer.client();
  client.SetCallTimeout(kTimeout);
  Stopwatch watch;
  client.Probe();
  client.Probe();  // one at a time: the second sends nothing
  EXPECT_LT(watch.elapsed(), kAtOnce);
  Eventually([&] { return peer.received().size() == 1; });
  EXPECT_TRUE(client.ProcessEvents(2000));
  EXPECT_EQ(client.linkState(), LinkState::kUp);
  int32_t cookie = -1;
  EXPECT_EQ(client.GetCookie(1, &cookie), S_OK);
  EXPECT_EQ(cookie, 222) << "the probe's answer is not taken for the call's";

  answerProbes = false;
  watch.restart();
  client.Probe();
  const uint32_t probe = held.Wait();
  EXPECT_EQ(client.linkState(), LinkState::kUp) << "before its deadline";
  Eventually([&] { return client.linkState() == LinkState::kStalled; });
  EXPECT_GE(watch.elapsed(), kTimeout);
  watch.restart();
  EXPECT_EQ(client.GetCookie(1, &cookie), RPC_E_TIMEOUT);
  EXPECT_LT(watch.elapsed(), kAtOnce) << "a stalled link fails at once";
  peer.Reply(probe, S_OK, I32(5));
  EXPECT_TRUE(client.ProcessEvents(2000));
  EXPECT_EQ(client.linkState(), LinkState::kUp);
  EXPECT_EQ(client.GetCookie(1, &cookie), S_OK);
}

// A sink calls the server from an event that came during an outer call, and the server answers
// neither: the nested call times out and the outer one gives up with it rather than waiting out
// its own, longer deadline, unless its answer came meanwhile. The late answers, read during
// ProcessEvents or during the next call, are never taken for another call's.
TEST(CallDeadline, ANestedCallThatTimesOutStallsTheLinkForTheOuterCallToo) {
  struct Case {
    const char* what;
    bool outerAnsweredDuringNested;
    HRESULT outer;
  };
  const Case cases[] = {
      {"outer unanswered", false, RPC_E_TIMEOUT},
      {"outer answered while the nested call waited", true, S_OK},
  };
  constexpr uint32_t kSink = 5;
  for (const Case& c : cases) {
    HeldCall outer, nested;
    ScriptedPeer peer([&](ScriptedPeer& p, const Frame& call) {
      switch (call.code) {
        case kCallAdvise:
          p.Reply(call.seq, S_OK, Values([](FrameWriter& w) { w.U32(kSink); }));
          break;
        case DISPID_SendStartStream:
          outer.Hold(call.seq);
          p.Event(DISPID_OnSendStart, kSink, I32(9));
          break;
        case DISPID_MachineCount:
          nested.Hold(call.seq);
          if (c.outerAnsweredDuringNested) p.Reply(outer.Wait(), S_OK);
          break;
        case DISPID_GetCookie:
          if (!c.outerAnsweredDuringNested)
            p.Reply(nested.Wait(), S_OK, I32(333));  // late, during this call
          p.Reply(call.seq, S_OK, I32(444));
          break;
      }
    });
    PelSrvClient& client = peer.client();
    RecordingSink sink;
    uint32_t cookie = 0;
    ASSERT_EQ(client.Advise(&sink, &cookie), S_OK) << c.what;
    client.SetCallTimeout(kTimeout);
    HRESULT nestedResult = S_OK;
    int32_t nestedCount = -1;
    sink.onSendStart = [&] { nestedResult = client.MachineCount(&nestedCount); };

    platform::MemStream design(std::vector<uint8_t>(10, 1));  // a deadline of 1.2 s
    Stopwatch watch;
    EXPECT_EQ(client.SendStartStream(9, &design), c.outer) << c.what;
    EXPECT_LT(watch.elapsed(), kTimeout + kSlack) << c.what;
    EXPECT_EQ(nestedResult, RPC_E_TIMEOUT) << c.what;
    EXPECT_EQ(nestedCount, 0) << c.what;
    EXPECT_EQ(client.linkState(), LinkState::kStalled) << c.what;

    // The first late answer of the calls given up puts the link back up.
    if (c.outerAnsweredDuringNested)
      peer.Reply(nested.Wait(), S_OK, I32(333));
    else
      peer.Reply(outer.Wait(), S_OK);
    EXPECT_TRUE(client.ProcessEvents(2000)) << c.what;
    EXPECT_EQ(client.linkState(), LinkState::kUp) << c.what;
    int32_t value = -1;
    EXPECT_EQ(client.GetCookie(1, &value), S_OK) << c.what;
    EXPECT_EQ(value, 444) << c.what;
    EXPECT_EQ(sink.events, std::vector<std::string>{"sendstart 9"}) << c.what;
  }
}

TEST(CallDeadline, EventsWhileStalledReachTheirSinksAndFileNamesAreAnswered) {
  constexpr uint32_t kSink = 3;
  ScriptedPeer peer([](ScriptedPeer& p, const Frame& call) {
    if (call.code == kCallAdvise)
      p.Reply(call.seq, S_OK, Values([](FrameWriter& w) { w.U32(kSink); }));
  });
  PelSrvClient& client = peer.client();
  RecordingSink sink;
  sink.totalToGive = 42;
  uint32_t cookie = 0;
  ASSERT_EQ(client.Advise(&sink, &cookie), S_OK);
  client.SetCallTimeout(kTimeout);
  int32_t count = 0;
  ASSERT_EQ(client.MachineCount(&count), RPC_E_TIMEOUT);

  peer.Event(DISPID_OnStatusChange, kSink, Values([](FrameWriter& w) {
               w.I32(1);
               w.U8(SEW_SEWING);
             }));
  peer.Event(DISPID_OnFilenameAck, kSink, Values([](FrameWriter& w) {
               w.I32(1);
               w.String("A.10o");
               w.I32(100);
               w.I32(0);
             }));
  for (int i = 0; i < 200 && sink.events.size() < 2; ++i) client.ProcessEvents(10);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"status 1 4", "filename 1 A.10o 100 0"}));
  EXPECT_EQ(client.linkState(), LinkState::kStalled) << "an event answers no call";
  ASSERT_TRUE(Eventually([&] {
    const auto frames = peer.received();
    return !frames.empty() && frames.back().kind == FrameKind::kEventReply;
  }));
  const Frame answer = peer.received().back();
  FrameReader r(answer.payload);
  EXPECT_EQ(r.I32(), 42);
}

TEST(CallDeadline, SendStartStreamHasOneSecondMoreForEachStartedMiBOfItsStream) {
  struct Case {
    size_t bytes;
    std::chrono::milliseconds deadline;
  };
  constexpr auto kCall = 100ms;
  const Case cases[] = {
      {0, kCall},
      {1u << 20, kCall + 1s},
      {(1u << 20) + 1, kCall + 2s},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer;  // takes the whole stream, never answers
    PelSrvClient& client = peer.client();
    client.SetCallTimeout(kCall);
    EXPECT_EQ(client.StreamCallTimeout(c.bytes), c.deadline) << c.bytes;
    platform::MemStream design(std::vector<uint8_t>(c.bytes, 0x5A));
    Stopwatch watch;
    EXPECT_EQ(client.SendStartStream(1, &design), RPC_E_TIMEOUT) << c.bytes;
    EXPECT_GE(watch.elapsed(), c.deadline) << c.bytes;
    EXPECT_LT(watch.elapsed(), c.deadline + kSlack) << c.bytes;
    EXPECT_EQ(client.linkState(), LinkState::kStalled) << c.bytes;
  }
}

TEST(CallDeadline, ACallFrameTheServerDoesNotTakeInTimeGivesTheLinkUp) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
  UniqueFd server(fds[0]);  // never read
  const int small = 64 * 1024;
  ::setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  PelSrvClient client{UniqueFd(fds[1])};
  client.SetCallTimeout(100ms);
  platform::MemStream design(std::vector<uint8_t>(512 * 1024, 0x5A));
  Stopwatch watch;
  EXPECT_EQ(client.SendStartStream(1, &design), RPC_E_TIMEOUT);
  EXPECT_GE(watch.elapsed(), client.StreamCallTimeout(design.size()));
  EXPECT_LT(watch.elapsed(), client.StreamCallTimeout(design.size()) + kSlack);
  // Half a frame went: nothing can follow it on this connection.
  EXPECT_EQ(client.linkState(), LinkState::kLost);
  int32_t count = 5;
  EXPECT_EQ(client.MachineCount(&count), RPC_E_DISCONNECTED);
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(client.ProcessEvents(0));
}

// A socket whose server never takes its connections: the attach waits for its answer at most
// the call timeout, and once the queue of connections is full no attach waits at all.
TEST(CallDeadline, AnAttachToAServerThatDoesNotAcceptEndsInTime) {
  char tmpl[] = "/tmp/pellora-deadline-XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const std::filesystem::path dir = tmpl;
  UniqueFd listener = ListenUnix(dir / "s.sock");
  ASSERT_TRUE(listener.valid());
  std::unique_ptr<PelSrvClient> client;
  Stopwatch watch;
  EXPECT_EQ(PelSrvClient::ConnectTo(dir / "s.sock", &client, kTimeout), RPC_E_TIMEOUT);
  EXPECT_GE(watch.elapsed(), kTimeout);
  EXPECT_LT(watch.elapsed(), kTimeout + kSlack);
  EXPECT_EQ(client, nullptr);

  std::vector<UniqueFd> queued;
  bool full = false;
  for (int i = 0; i < 1000 && !full; ++i) {
    UniqueFd fd = ConnectUnix(dir / "s.sock", &full);
    if (fd.valid()) queued.push_back(std::move(fd));
  }
  ASSERT_TRUE(full);
  watch.restart();
  EXPECT_EQ(PelSrvClient::ConnectTo(dir / "s.sock", &client, 10s), RPC_E_TIMEOUT);
  EXPECT_LT(watch.elapsed(), kAtOnce);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace rpc
