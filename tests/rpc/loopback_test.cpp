// The interface end to end inside one process: a server on a socket of its own, its main
// thread played by a TestLoop, and clients calling through the proxy.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>

#include "fakepelsrv.h"
#include "recordingsink.h"
#include "rpc/frame.h"
#include "rpc/pelsrvclient.h"
#include "rpc/rpcserver.h"
#include "testloop.h"

namespace rpc {
namespace {

class LoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/pellora-rpc-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = dir_ / "s.sock";
    std::string error;
    bool ok = loop_.Sync([&] { return server_->Listen(path_, &error); });
    ASSERT_TRUE(ok) << error;
  }
  void TearDown() override {
    // Stopped and destroyed on its main thread, where the work it posted runs.
    loop_.Sync([&] {
      server_.reset();
      return 0;
    });
    std::filesystem::remove_all(dir_);
  }

  std::unique_ptr<PelSrvClient> NewClient() {
    std::unique_ptr<PelSrvClient> c;
    EXPECT_EQ(PelSrvClient::ConnectTo(path_, &c), S_OK);
    return c;
  }
  FakePelSrv* Fake() { return static_cast<FakePelSrv*>(host_.object()); }
  template <class F>
  auto OnLoop(F f) {
    return loop_.Sync(std::move(f));
  }
  // Waits until the server's main thread has seen n connections.
  void WaitForConnections(size_t n) {
    for (int i = 0; i < 500; ++i) {
      if (OnLoop([&] { return server_->ConnectionCount(); }) == n) return;
      usleep(2000);
    }
    FAIL() << "connections never reached " << n;
  }

  std::filesystem::path dir_, path_;
  std::atomic<int> lastReleased_{0};
  static RpcServerOptions QuickAnswers() {
    RpcServerOptions options;
    options.eventAnswerTimeout = std::chrono::milliseconds(300);
    return options;
  }
  RpcServerOptions options_ = QuickAnswers();
  ObjectHost host_{[] { return std::make_unique<FakePelSrv>(); }, [this] { ++lastReleased_; }};
  TestLoop loop_;
  std::unique_ptr<RpcServer> server_ = std::make_unique<RpcServer>(
      host_, [this](std::function<void()> f) { loop_.Post(f); }, options_);
};

// What a call gives its caller, in one line.
std::string Summary(HRESULT hr) { return std::to_string(hr); }
template <class T, class... R>
std::string Summary(HRESULT hr, const T& first, const R&... rest) {
  std::ostringstream s;
  s << Summary(hr, rest...) << '|';
  if constexpr (std::is_same_v<T, std::vector<uint8_t>>) {
    for (uint8_t b : first) s << int(b) << ',';
  } else if constexpr (sizeof(T) == 1) {
    s << int(first);
  } else {
    s << first;
  }
  return s.str();
}

struct MethodCase {
  const char* name;
  std::function<std::string(IPelSrv&)> call;
};

TConnInfo SampleConnInfo() {
  TConnInfo c{};
  c.tcpip = 1;
  c.b1 = 192;
  c.b4 = 7;
  c.port = 0x1F90;
  c.baudRate = 38400;
  std::memcpy(c.name, "Machine-1", 9);
  return c;
}

const std::vector<MethodCase>& MethodCases() {
  static const std::vector<MethodCase> cases = {
      {"MachineCount",
       [](IPelSrv& s) {
         int32_t v = -1;
         return Summary(s.MachineCount(&v), v);
       }},
      {"GetMachineState",
       [](IPelSrv& s) {
         std::string a = "x";
         uint8_t st = 9;
         int32_t e = 9;
         return Summary(s.GetMachineState(7, &a, &st, &e), a, st, e);
       }},
      {"GetImage",
       [](IPelSrv& s) {
         std::vector<uint8_t> b;
         uint32_t n = 0;
         return Summary(s.GetImage("a.dst", &b, &n), b, n);
       }},
      {"GetImage missing",
       [](IPelSrv& s) {
         std::vector<uint8_t> b;
         uint32_t n = 0;
         return Summary(s.GetImage("", &b, &n), b, n);
       }},
      {"GetImageFile",
       [](IPelSrv& s) {
         std::string n;
         return Summary(s.GetImageFile(2, &n), n);
       }},
      {"GetImageFile out of range",
       [](IPelSrv& s) {
         std::string n;
         return Summary(s.GetImageFile(-1, &n), n);
       }},
      {"ImageFileCount",
       [](IPelSrv& s) {
         int32_t v = 0;
         return Summary(s.ImageFileCount(&v), v);
       }},
      {"GetTraceImage",
       [](IPelSrv& s) {
         std::vector<uint8_t> b;
         uint32_t n = 0;
         return Summary(s.GetTraceImage(5, 2, 1, &b, &n), b, n);
       }},
      {"SetDirectory", [](IPelSrv& s) { return Summary(s.SetDirectory("/data/designs")); }},
      {"LoadSysColors", [](IPelSrv& s) { return Summary(s.LoadSysColors()); }},
      {"Connect",
       [](IPelSrv& s) {
         int32_t c = 0;
         return Summary(s.Connect(1, "mach", SampleConnInfo(), &c), c);
       }},
      {"Connect refused",
       [](IPelSrv& s) {
         int32_t c = 0;
         return Summary(s.Connect(-1, "", TConnInfo{}, &c), c);
       }},
      {"Disconnect", [](IPelSrv& s) { return Summary(s.Disconnect(4)); }},
      {"GetState",
       [](IPelSrv& s) {
         TSewingState a{}, b{};
         return Summary(s.GetState(0, &a), int(a)) + Summary(s.GetState(2, &b), int(b));
       }},
      {"IsSending",
       [](IPelSrv& s) {
         int32_t v = 0;
         return Summary(s.IsSending(3, &v), v);
       }},
      {"SendStart", [](IPelSrv& s) { return Summary(s.SendStart(3)); }},
      {"GetProgress",
       [](IPelSrv& s) {
         uint8_t st, nd;
         int32_t p, m, e, r;
         uint16_t rot;
         return Summary(s.GetProgress(9, &st, &p, &m, &e, &rot, &nd, &r), st, p, m, e, rot, nd, r);
       }},
      {"StitchColorCount",
       [](IPelSrv& s) {
         int32_t v = 0;
         return Summary(s.StitchColorCount(1, &v), v);
       }},
      {"GetCookie",
       [](IPelSrv& s) {
         int32_t v = 0;
         return Summary(s.GetCookie(3, &v), v);
       }},
      {"LoadStitch", [](IPelSrv& s) { return Summary(s.LoadStitch(2, "rose.dst")); }},
      {"MachineColorCount",
       [](IPelSrv& s) {
         int32_t v = 0;
         return Summary(s.MachineColorCount(1, &v), v);
       }},
      {"ChangeColor", [](IPelSrv& s) { return Summary(s.ChangeColor(1, 4, 2)); }},
      {"MachineColor",
       [](IPelSrv& s) {
         int32_t v = 0;
         return Summary(s.MachineColor(1, 14, &v), v);
       }},
      {"StitchColor",
       [](IPelSrv& s) {
         int32_t v = 0;
         return Summary(s.StitchColor(2, 3, &v), v);
       }},
      {"SendStartStream",
       [](IPelSrv& s) {
         std::vector<uint8_t> bytes(1000, 0x5A);
         bytes.back() = 0x77;
         platform::MemStream design(bytes);
         return Summary(s.SendStartStream(2, &design)) + Summary(s.SendStartStream(2, nullptr));
       }},
      {"ErrMessage",
       [](IPelSrv& s) {
         std::string v;
         return Summary(s.ErrMessage(273, &v), v);
       }},
      {"DisconnectAll", [](IPelSrv& s) { return Summary(s.DisconnectAll()); }},
      {"SyncChangeSpeed", [](IPelSrv& s) { return Summary(s.SyncChangeSpeed(800)); }},
      {"OnTimer",
       [](IPelSrv& s) {
         uint8_t st = 1;
         uint32_t n = 1;
         int32_t e = 1;
         auto first = Summary(s.OnTimer(4, 12, &st, &n, &e), st, n, e);
         uint8_t st0 = 0;
         uint32_t n0 = 0;
         int32_t e0 = 0;
         return first + Summary(s.OnTimer(0, 12, &st0, &n0, &e0), st0, n0, e0);
       }},
      {"ClearError", [](IPelSrv& s) { return Summary(s.ClearError(6)); }},
      {"SewingFilename",
       [](IPelSrv& s) {
         std::string v = "old";
         return Summary(s.SewingFilename(1, &v), v);
       }},
      {"GetModel",
       [](IPelSrv& s) {
         int32_t v = 0;
         return Summary(s.GetModel(1, &v), v);
       }},
      {"Exit", [](IPelSrv& s) { return Summary(s.Exit()); }},
  };
  return cases;
}

TEST_F(LoopbackTest, EveryMethodGivesWhatTheObjectGives) {
  auto client = NewClient();
  WaitForConnections(1);
  for (const MethodCase& c : MethodCases()) {
    const std::string remote = c.call(*client);
    const std::string local = OnLoop([&] {
      FakePelSrv fresh;
      return c.call(fresh);
    });
    EXPECT_EQ(remote, local) << c.name;
  }
  // The object saw the same in values as a direct call gives it.
  const auto remoteLog = OnLoop([&] { return Fake()->log; });
  FakePelSrv direct;
  for (const MethodCase& c : MethodCases()) c.call(direct);
  EXPECT_EQ(remoteLog, direct.log);
}

TEST_F(LoopbackTest, OutValuesTheObjectLeavesAloneArriveDefined) {
  auto client = NewClient();
  int32_t cookie = 5;
  EXPECT_EQ(client->Connect(-1, "", TConnInfo{}, &cookie), S_FALSE);
  EXPECT_EQ(cookie, 0);
  uint8_t status = 9;
  uint32_t stitch = 9;
  int32_t error = 9;
  EXPECT_EQ(client->OnTimer(0, 1, &status, &stitch, &error), S_OK);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(stitch, 0u);
  EXPECT_EQ(error, 0);
  std::string name = "kept?";
  EXPECT_EQ(client->GetImageFile(-1, &name), S_FALSE);
  EXPECT_EQ(name, "");
}

TEST_F(LoopbackTest, ErrorInformationTravelsWithTheReply) {
  auto client = NewClient();
  ASSERT_EQ(client->SetDirectory("bad"), S_OK);
  int32_t count = 5;
  EXPECT_EQ(client->ImageFileCount(&count), DISP_E_EXCEPTION);
  EXPECT_EQ(count, 0);
  auto info = platform::TakeErrorInfo();
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->description, "no such folder");
  EXPECT_EQ(info->source, kPelSrvProgId);
  EXPECT_EQ(info->interfaceId, kIidIPelSrv);
  // A call without error information leaves none behind.
  EXPECT_EQ(client->LoadSysColors(), S_OK);
  EXPECT_FALSE(platform::TakeErrorInfo().has_value());
}

TEST_F(LoopbackTest, NullOutPointerIsRefusedLocally) {
  auto client = NewClient();
  EXPECT_EQ(client->MachineCount(nullptr), E_POINTER);
  EXPECT_EQ(client->GetImage("a", nullptr, nullptr), E_POINTER);
}

// Sends a raw call frame and returns the reply frame.
Frame RawCall(int fd, int32_t code, const std::vector<uint8_t>& payload) {
  auto bytes = EncodeFrame(FrameKind::kCall, 99, code, payload);
  EXPECT_TRUE(SendAll(fd, bytes));
  FrameDecoder d;
  uint8_t buf[4096];
  for (;;) {
    if (auto f = d.Next()) return *f;
    const ssize_t n = ReadSome(fd, buf);
    if (n <= 0) return Frame{FrameKind::kReply, 0, 0x7FFFFFFF, {}};
    d.Feed(std::span(buf, static_cast<size_t>(n)));
  }
}

TEST_F(LoopbackTest, MalformedCallsGetAFailureAndLeaveTheServerWorking) {
  UniqueFd raw = ConnectUnix(path_);
  ASSERT_TRUE(raw.valid());
  struct Case {
    const char* what;
    int32_t code;
    std::vector<uint8_t> payload;
    HRESULT expected;
  };
  const Case cases[] = {
      {"unknown dispid", 31, {}, DISP_E_MEMBERNOTFOUND},
      {"missing argument", DISPID_GetState, {}, RPC_E_INVALID_DATA},
      {"extra bytes", DISPID_MachineCount, {1}, RPC_E_INVALID_DATA},
      {"string length beyond the payload",
       DISPID_SetDirectory,
       {200, 0, 0, 0, 'a'},
       RPC_E_INVALID_DATA},
      {"stream presence flag not 0 or 1",
       DISPID_SendStartStream,
       {1, 0, 0, 0, 2},
       RPC_E_INVALID_DATA},
      {"unadvise of a cookie never given", kCallUnadvise, {1, 0, 0, 0}, CONNECT_E_NOCONNECTION},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RawCall(raw.get(), c.code, c.payload).code, c.expected) << c.what;
  auto client = NewClient();
  int32_t n = 0;
  EXPECT_EQ(client->MachineCount(&n), S_OK);
  EXPECT_EQ(n, 3);
}

TEST_F(LoopbackTest, AnotherUserIsTurnedAwayEvenWhenTheSocketLetsItIn) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  ::chmod(dir_.c_str(), 0755);
  ::chmod(path_.c_str(), 0666);  // only the peer check stands in the way now
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    UniqueFd fd = ConnectUnix(path_);
    if (!fd.valid()) ::_exit(3);
    const auto call = EncodeFrame(FrameKind::kCall, 1, kCallAttach, {});
    SendAll(fd.get(), call);
    uint8_t buf[64];
    ::_exit(ReadSome(fd.get(), buf) <= 0 ? 0 : 1);  // hung up on, never answered
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(OnLoop([&] { return host_.references(); }), 0);
}

TEST_F(LoopbackTest, BrokenFramingEndsOnlyThatConnection) {
  auto good = NewClient();
  UniqueFd raw = ConnectUnix(path_);
  WaitForConnections(2);
  const uint8_t garbage[] = {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3};
  ASSERT_TRUE(SendAll(raw.get(), garbage));
  uint8_t buf[16];
  EXPECT_EQ(ReadSome(raw.get(), buf), 0);  // the server hung up
  WaitForConnections(1);
  int32_t n = 0;
  EXPECT_EQ(good->MachineCount(&n), S_OK);
}

void Pump(PelSrvClient& c, const RecordingSink& sink, size_t count) {
  for (int i = 0; i < 500 && sink.events.size() < count; ++i) c.ProcessEvents(10);
}

TEST_F(LoopbackTest, EventsArriveInOrderWithTheirArguments) {
  auto client = NewClient();
  RecordingSink sink;
  uint32_t cookie = 0;
  ASSERT_EQ(client->Advise(&sink, &cookie), S_OK);
  EXPECT_NE(cookie, 0u);
  OnLoop([&] {
    auto& s = Fake()->sinks;
    s.OnStatusChange(1, SEW_SEWING);
    s.OnSendProgress(1, 40);
    s.OnSendStop(1, RES_STATE_BUSY);
    s.OnProgress(1, 0x11, 100, 2000, 0, 0xFFFF, 6);
    s.OnComplete(1, 1, 3);
    s.OnSyncSetup(2, 1, 1);
    s.OnSendStart(1);
    return 0;
  });
  Pump(*client, sink, 7);
  const std::vector<std::string> expected = {
      "status 1 4",     "sendprogress 1 40", "sendstop 1 2", "progress 1 17 100 2000 0 65535 6",
      "complete 1 1 3", "sync 2 1 1",        "sendstart 1",
  };
  EXPECT_EQ(sink.events, expected);
}

TEST_F(LoopbackTest, EventsDuringACallReachTheSinkBeforeTheCallReturns) {
  auto client = NewClient();
  RecordingSink sink;
  uint32_t cookie = 0;
  ASSERT_EQ(client->Advise(&sink, &cookie), S_OK);
  int32_t machine = 0;
  ASSERT_EQ(client->Connect(2, "m", TConnInfo{}, &machine), S_OK);
  ASSERT_EQ(sink.events.size(), 1u);
  EXPECT_EQ(sink.events[0], "status 102 2");
}

TEST_F(LoopbackTest, AnEventHandlerMayCallTheServer) {
  auto client = NewClient();
  RecordingSink sink;
  uint32_t cookie = 0;
  ASSERT_EQ(client->Advise(&sink, &cookie), S_OK);
  int32_t countInHandler = 0;
  sink.onSendStart = [&] { client->MachineCount(&countInHandler); };
  OnLoop([&] {
    Fake()->sinks.OnSendStart(9);
    return 0;
  });
  int32_t n = 0;
  ASSERT_EQ(client->GetCookie(1, &n), S_OK);  // the event comes before this answer
  EXPECT_EQ(countInHandler, 3);
  EXPECT_EQ(n, 2);
}

TEST_F(LoopbackTest, FilenameAckCarriesTheClientsTotalBack) {
  auto client = NewClient();
  RecordingSink sink;
  sink.totalToGive = 4321;
  uint32_t cookie = 0;
  ASSERT_EQ(client->Advise(&sink, &cookie), S_OK);
  std::atomic<int32_t> total{-1};
  loop_.Post([&] {
    Fake()->sinks.AskFilenameAck(3, "A0001.10o", 5000, 0, [&](int32_t t) { total = t; });
  });
  Pump(*client, sink, 1);
  for (int i = 0; i < 500 && total == -1; ++i) usleep(2000);
  EXPECT_EQ(total, 4321);
  ASSERT_EQ(sink.events.size(), 1u);
  EXPECT_EQ(sink.events[0], "filename 3 A0001.10o 5000 0");
}

TEST_F(LoopbackTest, FilenameAckThatIsNeverAnsweredIsWaitedForOnceWithoutHoldingTheLoop) {
  auto silent = NewClient();  // does not pump for now
  RecordingSink sink;
  sink.totalToGive = 77;
  uint32_t cookie = 0;
  ASSERT_EQ(silent->Advise(&sink, &cookie), S_OK);
  auto total = std::make_shared<std::atomic<int32_t>>(-1);
  // The value as it stands when the asking call returns on the loop: -1 while it is open.
  const auto ask = [&] {
    *total = -1;
    return OnLoop([&] {
      Fake()->sinks.AskFilenameAck(3, "A.10o", 1, 0, [total](int32_t t) { *total = t; });
      return total->load();
    });
  };
  const auto settled = [&] {
    for (int i = 0; i < 1000 && *total == -1; ++i) usleep(2000);
    return total->load();
  };
  EXPECT_EQ(ask(), -1) << "the loop does not wait for the answer";
  auto other = NewClient();
  int32_t n = -1;
  EXPECT_EQ(other->MachineCount(&n), S_OK);
  EXPECT_EQ(settled(), 0) << "no answer in time: the value stays";

  // The sink let its time run out: the next question settles at once, unanswered.
  EXPECT_EQ(ask(), 0);
  // Once it answers (the late answer too), it is waited for again.
  Pump(*silent, sink, 2);
  EXPECT_EQ(silent->MachineCount(&n), S_OK);  // after its answers, on the same connection
  EXPECT_EQ(ask(), -1);
  std::atomic<bool> stop{false};
  std::thread pump([&] {
    while (!stop) silent->ProcessEvents(5);
  });
  EXPECT_EQ(settled(), 77);
  stop = true;
  pump.join();
}

TEST_F(LoopbackTest, AtMostFiveSinksAndAClosedConnectionDropsItsOwn) {
  auto first = NewClient();
  auto second = NewClient();
  RecordingSink sinks[6];
  uint32_t cookies[6] = {};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(first->Advise(&sinks[i], &cookies[i]), S_OK);
  for (int i = 3; i < 5; ++i) ASSERT_EQ(second->Advise(&sinks[i], &cookies[i]), S_OK);
  EXPECT_EQ(second->Advise(&sinks[5], &cookies[5]), CONNECT_E_ADVISELIMIT);
  EXPECT_EQ(cookies[5], 0u);
  // A client cannot take back another's sink.
  EXPECT_EQ(second->Unadvise(cookies[0]), CONNECT_E_NOCONNECTION);

  // The five keep receiving.
  OnLoop([&] {
    Fake()->sinks.OnSendStart(1);
    return 0;
  });
  Pump(*first, sinks[2], 1);
  Pump(*second, sinks[4], 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(sinks[i].events.size(), 1u) << i;

  first.reset();  // dies with three sinks advised
  for (int i = 0; i < 500 && OnLoop([&] { return Fake()->sinks.size(); }) != 2; ++i) usleep(2000);
  EXPECT_EQ(OnLoop([&] { return Fake()->sinks.size(); }), 2u);
  EXPECT_EQ(second->Advise(&sinks[5], &cookies[5]), S_OK);
  EXPECT_EQ(second->Unadvise(cookies[3]), S_OK);
  EXPECT_EQ(second->Unadvise(cookies[3]), CONNECT_E_NOCONNECTION);
}

TEST_F(LoopbackTest, ClientsPastTheCapAreRefusedWithTheReasonEveryTime) {
  RpcServerOptions options = QuickAnswers();
  options.maxClients = 1;
  std::string error;
  ASSERT_TRUE(OnLoop([&] {
    server_->Stop();
    server_ = std::make_unique<RpcServer>(
        host_, [this](std::function<void()> f) { loop_.Post(f); }, options);
    return server_->Listen(path_, &error);
  })) << error;
  auto first = NewClient();
  // The refusal comes and the connection closes at once, whether or not the refused client
  // has sent its first call by then.
  for (int i = 0; i < 50; ++i) {
    std::unique_ptr<PelSrvClient> c;
    ASSERT_EQ(PelSrvClient::ConnectTo(path_, &c), kServerTooBusy) << i;
    const auto info = platform::TakeErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->description, "PelService serves 1 clients at most");
  }
  first.reset();
  WaitForConnections(0);
  std::unique_ptr<PelSrvClient> next;
  for (int i = 0; i < 500 && FAILED(PelSrvClient::ConnectTo(path_, &next)); ++i) usleep(2000);
  EXPECT_NE(next, nullptr);
}

TEST_F(LoopbackTest, EachConnectionHoldsOneReference) {
  EXPECT_EQ(OnLoop([&] { return host_.references(); }), 0);
  auto a = NewClient();
  auto b = NewClient();
  WaitForConnections(2);
  EXPECT_EQ(OnLoop([&] { return host_.references(); }), 2);
  a.reset();
  WaitForConnections(1);
  EXPECT_EQ(lastReleased_, 0);
  b.reset();
  WaitForConnections(0);
  EXPECT_EQ(lastReleased_, 1);
  EXPECT_EQ(OnLoop([&] { return host_.object(); }), nullptr);
}

TEST_F(LoopbackTest, CallsFailCleanlyOnceTheServerHasGone) {
  auto client = NewClient();
  WaitForConnections(1);
  OnLoop([&] {
    server_->Stop();
    return 0;
  });
  int32_t n = 7;
  EXPECT_EQ(client->MachineCount(&n), RPC_E_DISCONNECTED);
  EXPECT_EQ(n, 0);
  EXPECT_FALSE(client->connected());
  EXPECT_FALSE(client->ProcessEvents(0));
}

TEST_F(LoopbackTest, ALargeDesignStreamCrosses) {
  auto client = NewClient();
  std::vector<uint8_t> bytes(12'000'000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  platform::MemStream design(bytes);
  EXPECT_EQ(client->SendStartStream(1, &design), S_OK);
  const auto log = OnLoop([&] { return Fake()->log; });
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "SendStartStream 1 12000000 " + std::to_string(int(bytes.back())));
}

}  // namespace
}  // namespace rpc
