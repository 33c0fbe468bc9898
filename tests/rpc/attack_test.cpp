// A real server process per case, attacked the ways a faulty or hostile client, machine or
// local user can: it must keep answering its other clients, hold bounded resources, and start.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <fstream>

#include "attackkit.h"
#include "nullsink.h"
#include "platform/errorinfo.h"
#include "platform/memstream.h"
#include "rpc/rpcserver.h"
#include "serverprocess.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"
#include "simhost.h"

namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> Ins(std::function<void(rpc::FrameWriter&)> write) {
  rpc::FrameWriter w;
  write(w);
  return w.Take();
}

// A TCP/IP machine nobody answers for: the connection exists and stays offline.
TConnInfo NowhereMachine() {
  TConnInfo info{};
  info.tcpip = 1;
  info.b1 = 127;
  info.b4 = 1;
  info.port = htons(1);
  return info;
}

// While it lives, servers started get the sanitizer's quarantine of freed memory made small:
// the memory a server holds is measured here, not what the sanitizer keeps to find misuse.
class SmallQuarantine {
 public:
  SmallQuarantine() {
    if (const char* old = std::getenv("ASAN_OPTIONS")) old_ = old;
    ::setenv("ASAN_OPTIONS", (old_ + ":quarantine_size_mb=16").c_str(), 1);
  }
  ~SmallQuarantine() { ::setenv("ASAN_OPTIONS", old_.c_str(), 1); }

 private:
  std::string old_;
};

class Attack : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(server_.client, nullptr) << server_.world.Stderr(1); }

  long ServerRssMb() const { return attack::ReadProcess(server_.pid).rssKb / 1024; }

  // A call on a connection of its own, answered within the time or not at all.
  bool AnsweredInTime(int32_t dispid, const std::vector<uint8_t>& ins,
                      std::chrono::milliseconds limit = 10s) {
    rpc::UniqueFd fd = attack::RawConnection();
    return fd.valid() && attack::TimedCallMs(fd.get(), 1, dispid, ins, limit) >= 0;
  }

  SmallQuarantine quarantine_;
  RunningServer server_;
};

TEST_F(Attack, NamesOfFifosAndFoldersFailAtOnceAndTheServerGoesOn) {
  const auto folder = server_.world.root() / "designs";
  std::filesystem::create_directory(folder);
  ASSERT_EQ(::mkfifo((folder / "fifo.dst").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((folder / "fifo.10o").c_str(), 0600), 0);
  std::filesystem::create_directory(folder / "folder.dst");
  // A native design whose control file is a FIFO.
  TStitchItem design;
  design.Points = {{sfStitch, 0, 0}, {sfStitch, 10, 10}, {sfEnd, 10, 10}};
  design.Colors.push_back(TEmbColor{});
  ASSERT_TRUE(TStitchFormatMarlow::Save((folder / "pair.10o").string(), design, nullptr));
  std::filesystem::remove(folder / "pair.00o");
  ASSERT_EQ(::mkfifo((folder / "pair.00o").c_str(), 0600), 0);

  auto& client = *server_.client;
  int32_t cookie = 0;
  ASSERT_EQ(client.Connect(0, "nowhere", NowhereMachine(), &cookie), S_OK);
  ASSERT_EQ(client.SetDirectory(folder.string()), S_OK);
  int32_t count = -1;
  EXPECT_EQ(client.ImageFileCount(&count), S_OK);
  EXPECT_EQ(count, 1) << "only pair.10o is a design file";

  for (const char* name : {"fifo.dst", "fifo.10o", "folder.dst", "pair.10o"}) {
    EXPECT_TRUE(AnsweredInTime(DISPID_LoadStitch, Ins([&](rpc::FrameWriter& w) {
                                 w.I32(cookie);
                                 w.String(name);
                               })))
        << name;
    EXPECT_TRUE(AnsweredInTime(DISPID_GetImage, Ins([&](rpc::FrameWriter& w) { w.String(name); })))
        << name;
  }
  std::vector<uint8_t> jpeg;
  uint32_t size = 0;
  EXPECT_EQ(client.GetImage("fifo.dst", &jpeg, &size), S_FALSE);
  EXPECT_EQ(client.GetImage("pair.10o", &jpeg, &size), S_OK);

  // Without a folder no name stands for a file, not even one in the server's working folder.
  ASSERT_EQ(client.SetDirectory(""), S_OK);
  EXPECT_EQ(client.ImageFileCount(&count), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(client.LoadStitch(cookie, "pair.10o"), E_INVALIDARG);
  EXPECT_EQ(client.GetImage("pair.10o", &jpeg, &size), S_FALSE);
}

TEST_F(Attack, OutOfDescriptorsTheServerWaitsServesAndRecovers) {
  // Called once beforehand: the sanitizers check a type on its first use with a pipe, which
  // they cannot make once descriptors have run out.
  int32_t count = -1;
  EXPECT_EQ(server_.client->MachineCount(&count), S_OK);
  const rlimit limit{64, 64};
  ASSERT_EQ(::prlimit(server_.pid, RLIMIT_NOFILE, &limit, nullptr), 0);
  auto crowd = attack::ConnectMany(100, 3s);
  std::this_thread::sleep_for(300ms);
  // Descriptors run out while connections wait to be accepted: the server must not spin.
  const long before = attack::CpuTicks(server_.pid);
  std::this_thread::sleep_for(2s);
  const long used = attack::CpuTicks(server_.pid) - before;
  EXPECT_LT(used, ::sysconf(_SC_CLK_TCK)) << "CPU ticks in 2 s";
  EXPECT_EQ(server_.client->MachineCount(&count), S_OK) << server_.world.Stderr(1);

  crowd.clear();
  auto late = server_.world.Attach(15s);
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(late->MachineCount(&count), S_OK);
}

TEST_F(Attack, ASinkThatDoesNotAnswerAFileNameNeverHoldsTheOtherClients) {
  rpc::UniqueFd silent = attack::RawConnection();
  ASSERT_GE(attack::TimedCallMs(silent.get(), 1, rpc::kCallAdvise, {}, 10s), 0);
  SimHost machine(sim::TSimConfig{});
  auto& client = *server_.client;
  int32_t cookie = 0;
  ASSERT_EQ(client.Connect(0, "flood", machine.ConnInfo(), &cookie), S_OK);
  TSewingState state{};
  for (int i = 0; i < 500 && state != SEW_IDLE; ++i) {
    client.GetState(cookie, &state);
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_EQ(state, SEW_IDLE);

  // The machine names its design; the silent client's sink gets the question...
  ASSERT_TRUE(machine.Do([](sim::TSimMachine& m) { attack::SendFileNameReply(m, "ASKED.10o"); }));
  rpc::FrameDecoder decoder;
  std::optional<rpc::Frame> question;
  const auto asksFor = [](const rpc::Frame& f, const std::string& name) {
    rpc::FrameReader r(f.payload);
    r.U32();  // the sink
    r.I32();  // the connection
    return f.code == DISPID_OnFilenameAck && r.String() == name;
  };
  const auto answer = [&](uint32_t seq, int32_t total) {
    return rpc::SendAll(silent.get(),
                        rpc::EncodeFrame(rpc::FrameKind::kEventReply, seq, 0,
                                         Ins([&](rpc::FrameWriter& w) { w.I32(total); })));
  };
  for (;;) {
    question = attack::NextFrame(silent.get(), decoder, 10s);
    ASSERT_TRUE(question.has_value());
    if (asksFor(*question, "ASKED.10o")) break;
    // Questions before it (the machine's own name at connect) are answered at once.
    if (question->code == DISPID_OnFilenameAck) {
      ASSERT_TRUE(answer(question->seq, 0));
    }
  }
  // ...and while it is open, the other client is served.
  EXPECT_EQ(client.GetState(cookie, &state), S_OK);
  // An answer given after that still counts: the question was open all along.
  ASSERT_TRUE(
      rpc::SendAll(silent.get(), rpc::EncodeFrame(rpc::FrameKind::kEventReply, question->seq, 0,
                                                  Ins([](rpc::FrameWriter& w) { w.I32(1); }))));
  std::string sewing;
  for (int i = 0; i < 500 && sewing != "ASKED.10o"; ++i) {
    client.SewingFilename(cookie, &sewing);
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(sewing, "ASKED.10o");

  // A flood of file names that the sink no longer answers: every call of another client is
  // answered meanwhile.
  std::atomic<bool> flooding{true};
  std::thread flood([&] {
    for (int i = 0; i < 150; ++i) {
      machine.Do([](sim::TSimMachine& m) { attack::SendFileNameReply(m, "FLOOD.10o"); });
      std::this_thread::sleep_for(20ms);
    }
    flooding = false;
  });
  rpc::UniqueFd other = attack::RawConnection();
  int calls = 0, answered = 0;
  for (uint32_t seq = 1; flooding; ++seq, ++calls)
    answered += attack::TimedCallMs(other.get(), seq, DISPID_GetState,
                                    Ins([&](rpc::FrameWriter& w) { w.I32(cookie); }), 30s) >= 0;
  flood.join();
  EXPECT_GT(calls, 0);
  EXPECT_EQ(answered, calls);
  EXPECT_LT(ServerRssMb(), 200);
}

TEST_F(Attack, ClientsPastTheCapAreRefusedClearly) {
  std::vector<std::unique_ptr<rpc::PelSrvClient>> clients;
  HRESULT refused = S_OK;
  for (int i = 0; i < 200 && refused == S_OK; ++i) {
    std::unique_ptr<rpc::PelSrvClient> c;
    refused = rpc::PelSrvClient::Attach(&c);
    if (SUCCEEDED(refused)) clients.push_back(std::move(c));
  }
  EXPECT_EQ(refused, rpc::kServerTooBusy);
  const auto info = platform::TakeErrorInfo();
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->description, "PelService serves 64 clients at most");
  EXPECT_EQ(clients.size() + 1, 64u) << "with the fixture's own client";
  EXPECT_LE(attack::ReadProcess(server_.pid).threads, 2 * 64 + 16);
  // Every client still served; one gone makes room for another.
  int32_t count = -1;
  EXPECT_EQ(clients.back()->MachineCount(&count), S_OK);
  clients.pop_back();
  std::unique_ptr<rpc::PelSrvClient> late;
  for (int i = 0; i < 250 && FAILED(rpc::PelSrvClient::Attach(&late)); ++i)
    std::this_thread::sleep_for(20ms);
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(late->MachineCount(&count), S_OK);
}

TEST_F(Attack, AClientThatNeverReadsIsDroppedWithItsSinks) {
  rpc::UniqueFd reader = attack::RawConnection(200ms);
  ASSERT_GE(attack::TimedCallMs(reader.get(), 1, rpc::kCallAdvise, {}, 10s), 0);
  NullSink sinks[5];
  uint32_t cookie = 0;
  for (int i = 0; i < 4; ++i) ASSERT_EQ(server_.client->Advise(&sinks[i], &cookie), S_OK);
  EXPECT_EQ(server_.client->Advise(&sinks[4], &cookie), CONNECT_E_ADVISELIMIT);

  // Calls whose answers (a long file name each) pile up unread, until the server lets the
  // client go.
  const auto folder = server_.world.root() / "designs";
  std::filesystem::create_directory(folder);
  std::ofstream(folder / (std::string(240, 'n') + ".dst")) << "x";
  ASSERT_EQ(server_.client->SetDirectory(folder.string()), S_OK);
  const auto call =
      attack::CallFrame(2, DISPID_GetImageFile, Ins([](rpc::FrameWriter& w) { w.I32(0); }));
  std::vector<uint8_t> burst;
  for (int i = 0; i < 1000; ++i) burst.insert(burst.end(), call.begin(), call.end());
  bool dropped = false;
  long peakMb = 0;
  for (auto end = std::chrono::steady_clock::now() + 60s;
       !dropped && std::chrono::steady_clock::now() < end;) {
    const ssize_t n = ::send(reader.get(), burst.data(), burst.size(), MSG_NOSIGNAL);
    dropped = n < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
    peakMb = std::max(peakMb, ServerRssMb());
  }
  EXPECT_TRUE(dropped);
  EXPECT_LT(peakMb, 200);
  // Its sink went with it: the fifth place is free again.
  bool advised = false;
  for (int i = 0; i < 250 && !advised; ++i) {
    advised = server_.client->Advise(&sinks[4], &cookie) == S_OK;
    if (!advised) std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(advised);
}

TEST_F(Attack, HalfSentLargeFramesHoldBoundedMemoryAndADesignStillGoesThrough) {
  constexpr size_t kAnnounced = 65u << 20;
  std::vector<rpc::UniqueFd> fds;
  for (int i = 0; i < 10; ++i) fds.push_back(attack::RawConnection(2s));
  std::vector<std::thread> senders;
  for (auto& fd : fds)
    senders.emplace_back([&fd] { attack::SendPartOfFrame(fd.get(), kAnnounced, kAnnounced / 2); });
  for (auto& t : senders) t.join();
  EXPECT_LT(ServerRssMb(), 200);

  // About 12 MB in its stream form.
  TStitchItem design;
  for (int i = 0; i < 1'000'000; ++i) design.Points.push_back({sfStitch, i % 1000, i / 1000});
  design.Colors.push_back(TEmbColor{});
  const auto stream = design.Save();
  ASSERT_GT(stream->size(), 11'000'000u);
  EXPECT_EQ(server_.client->SendStartStream(1, stream.get()), S_OK);
  EXPECT_LT(ServerRssMb(), 200);
}

// Runs f in a child process as the user uid; the child's pid. The child ends with f's result.
template <class F>
pid_t SpawnAs(uid_t uid, F f) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(uid) != 0 || ::setuid(uid) != 0) ::_exit(100);
    ::_exit(f());
  }
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// One user takes first the names in folders everyone may write (the shared-memory name and
// the runtime folder under /tmp that earlier servers used); another user's server must still
// start, and that user's client find it.
TEST(AttackByAnotherUser, NamesPlantedByAnotherUserDoNotStopTheServer) {
  if (::geteuid() != 0) GTEST_SKIP() << "two further users can be made only by root";
  const passwd* nobody = ::getpwnam("nobody");
  const uid_t victim = nobody ? nobody->pw_uid : 65534;
  const uid_t attacker = 1;  // daemon
  ServerWorld world;
  ::unsetenv("XDG_RUNTIME_DIR");  // the server falls back to a folder of its own
  for (const auto& entry : std::filesystem::recursive_directory_iterator(world.root()))
    ::chown(entry.path().c_str(), victim, victim);
  ::chown(world.root().c_str(), victim, victim);

  const std::string shmName = "/PelService." + std::to_string(victim) + rpc::InstanceSuffix();
  const std::filesystem::path tmpFolder = "/tmp/pellora-" + std::to_string(victim);
  const bool plantFolder = !std::filesystem::exists(tmpFolder);
  ASSERT_EQ(ExitCode(SpawnAs(attacker,
                             [&] {
                               const int fd =
                                   ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
                               if (fd < 0) return 2;
                               ::close(fd);
                               if (plantFolder && ::mkdir(tmpFolder.c_str(), 0777) != 0) return 3;
                               return 0;
                             })),
            0);

  const pid_t server = SpawnAs(victim, [] {
    char path[] = PELSERVICE_PATH;
    char* argv[] = {path, nullptr};
    ::execve(path, argv, environ);
    return 101;
  });
  const int client = ExitCode(SpawnAs(victim, [] {
    std::unique_ptr<rpc::PelSrvClient> c;
    for (int i = 0; i < 500 && FAILED(rpc::PelSrvClient::Attach(&c)); ++i)
      std::this_thread::sleep_for(20ms);
    int32_t count = -1;
    if (!c || c->MachineCount(&count) != S_OK) return 1;
    return c->Exit() == S_OK ? 0 : 2;
  }));
  EXPECT_EQ(client, 0) << "the victim's client did not reach its server";
  if (client != 0) ::kill(server, SIGKILL);
  EXPECT_EQ(ExitCode(server), client == 0 ? 0 : 128 + SIGKILL);
  ::shm_unlink(shmName.c_str());
  if (plantFolder) ::rmdir(tmpFolder.c_str());
}

}  // namespace
