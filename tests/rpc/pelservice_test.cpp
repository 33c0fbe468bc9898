// The server program as its clients meet it: started by hand or by its registration, alone
// per user, ending when it should, and surviving clients that die.
#include <gtest/gtest.h>

#include <optional>

#include "nullsink.h"
#include "pelsrv/server/service.h"
#include "rpc/publication.h"
#include "rpc/registration.h"
#include "serverprocess.h"

namespace {

using namespace std::chrono_literals;

TEST(PelService, StartedByHandRunsUntilExitAndRefusesASecondStart) {
  ServerWorld world;
  const pid_t first = world.Start({});
  auto client = world.Attach();
  ASSERT_NE(client, nullptr) << world.Stderr(1);
  int32_t count = -1;
  EXPECT_EQ(client->MachineCount(&count), S_OK);
  EXPECT_EQ(count, 0);

  const pid_t second = world.Start({});
  EXPECT_EQ(world.WaitExit(second), 0);
  EXPECT_NE(world.Stderr(2).find("Failed to start PelService.\nPelService is already running."),
            std::string::npos)
      << world.Stderr(2);

  // The first is undisturbed, also after its only client has gone: it holds its own reference.
  client.reset();
  std::this_thread::sleep_for(200ms);
  client = world.Attach();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->MachineCount(&count), S_OK);

  EXPECT_EQ(client->Exit(), S_OK);
  EXPECT_EQ(world.WaitExit(first), 0) << world.Stderr(1);
  EXPECT_FALSE(rpc::ReadPublication().has_value());
}

TEST(PelService, StartedByProgIdEndsWithItsLastClient) {
  ServerWorld world;
  ASSERT_EQ(world.WaitExit(world.Start({"/RegServer"})), 0);
  auto line = rpc::RegisteredCommandLine();
  ASSERT_TRUE(line.has_value());
  EXPECT_NE(line->find(" /Automation"), std::string::npos);

  std::unique_ptr<rpc::PelSrvClient> a, b;
  ASSERT_EQ(rpc::PelSrvClient::Create(&a, 15s), S_OK);
  auto ref = rpc::ReadPublication();
  ASSERT_TRUE(ref.has_value());
  ASSERT_EQ(rpc::PelSrvClient::Create(&b, 15s), S_OK);  // attaches to the same server
  EXPECT_EQ(rpc::ReadPublication()->pid, ref->pid);

  a.reset();
  std::this_thread::sleep_for(200ms);
  int32_t count = -1;
  EXPECT_EQ(b->MachineCount(&count), S_OK);  // still there for the other client
  b.reset();
  EXPECT_TRUE(ProcessEnds(ref->pid));
  EXPECT_FALSE(rpc::ReadPublication().has_value());
}

TEST(PelService, AutomationSwitchInAnyCaseMakesNoObjectOfItsOwn) {
  ServerWorld world;
  const pid_t pid = world.Start({"/automation"});
  auto client = world.Attach();
  ASSERT_NE(client, nullptr) << world.Stderr(1);
  client.reset();  // the last client: the server ends
  EXPECT_EQ(world.WaitExit(pid), 0);
}

// A short grace period for servers started for clients, for the length of one case.
class ShortGrace {
 public:
  ShortGrace() { ::setenv("PELLORA_AUTOMATION_GRACE_MS", "300", 1); }
  ~ShortGrace() { ::unsetenv("PELLORA_AUTOMATION_GRACE_MS"); }
  ShortGrace(const ShortGrace&) = delete;
  ShortGrace& operator=(const ShortGrace&) = delete;
};

TEST(PelService, GracePeriodFromTheEnvironmentOnlyWhenItIsAPlainNumber) {
  struct Case {
    const char* value;  // null: unset
    long long ms;
  };
  const Case cases[] = {{nullptr, 30000},
                        {"", 30000},
                        {"250", 250},
                        {"0", 0},
                        {"-5", 30000},
                        {"12ms", 30000},
                        {"3600000", 3600000},
                        {"3600001", 30000},
                        {"99999999999999999999999", 30000}};
  for (const Case& c : cases) {
    if (c.value)
      ::setenv("PELLORA_AUTOMATION_GRACE_MS", c.value, 1);
    else
      ::unsetenv("PELLORA_AUTOMATION_GRACE_MS");
    EXPECT_EQ(AutomationGraceFromEnvironment(30s).count(), c.ms) << (c.value ? c.value : "unset");
  }
  ::unsetenv("PELLORA_AUTOMATION_GRACE_MS");
}

TEST(PelService, StartedForAClientThatNeverAttachesEndsAfterTheGracePeriod) {
  ServerWorld world;
  ShortGrace grace;
  const pid_t pid = world.Start({"/Automation"});
  EXPECT_EQ(world.WaitExit(pid), 0) << world.Stderr(1);
  EXPECT_FALSE(rpc::ReadPublication().has_value());
  // Nothing is left to block a server started by hand.
  const pid_t byHand = world.Start({});
  auto client = world.Attach();
  ASSERT_NE(client, nullptr) << world.Stderr(2);
  EXPECT_EQ(rpc::ReadPublication()->pid, byHand);
  EXPECT_EQ(client->Exit(), S_OK);
  EXPECT_EQ(world.WaitExit(byHand), 0);
}

TEST(PelService, TheGracePeriodEndsNeitherAnAttachedServerNorOneStartedByHand) {
  ServerWorld world;
  ShortGrace grace;
  const pid_t forClients = world.Start({"/Automation"});
  auto client = world.Attach();
  ASSERT_NE(client, nullptr) << world.Stderr(1);
  std::this_thread::sleep_for(800ms);
  int32_t count = -1;
  EXPECT_EQ(client->MachineCount(&count), S_OK);
  client.reset();
  EXPECT_EQ(world.WaitExit(forClients), 0);

  const pid_t byHand = world.Start({});
  ASSERT_NE(world.Attach(), nullptr) << world.Stderr(2);  // attaches and goes at once
  std::this_thread::sleep_for(800ms);
  client = world.Attach(2s);
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(rpc::ReadPublication()->pid, byHand);
  EXPECT_EQ(client->Exit(), S_OK);
  EXPECT_EQ(world.WaitExit(byHand), 0);
}

TEST(PelService, UnregisteredClassCannotBeStarted) {
  ServerWorld world;
  ASSERT_EQ(world.WaitExit(world.Start({"-regserver"})), 0);
  ASSERT_EQ(world.WaitExit(world.Start({"/UNREGSERVER"})), 0);
  EXPECT_FALSE(rpc::RegisteredCommandLine().has_value());
  std::unique_ptr<rpc::PelSrvClient> client;
  EXPECT_EQ(rpc::PelSrvClient::Create(&client, 2s), REGDB_E_CLASSNOTREG);
}

TEST(PelService, APublicationLeftByAKilledServerDoesNotBlockTheNext) {
  ServerWorld world;
  const pid_t first = world.Start({});
  ASSERT_NE(world.Attach(), nullptr);
  ::kill(first, SIGKILL);
  world.WaitExit(first);
  ASSERT_TRUE(rpc::ReadPublication().has_value());  // stale

  const pid_t second = world.Start({});
  auto client = world.Attach();
  ASSERT_NE(client, nullptr) << world.Stderr(2);
  EXPECT_EQ(rpc::ReadPublication()->pid, second);
  EXPECT_EQ(client->Exit(), S_OK);
  EXPECT_EQ(world.WaitExit(second), 0);
}

TEST(PelService, AKilledClientGivesBackItsReferenceAndSinks) {
  ServerWorld world;
  ASSERT_EQ(world.WaitExit(world.Start({"/RegServer"})), 0);
  std::unique_ptr<rpc::PelSrvClient> survivor;
  ASSERT_EQ(rpc::PelSrvClient::Create(&survivor, 15s), S_OK);
  const pid_t server = rpc::ReadPublication()->pid;

  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t victim = ::fork();
  ASSERT_GE(victim, 0);
  if (victim == 0) {
    std::unique_ptr<rpc::PelSrvClient> c;
    NullSink sinks[4];
    uint32_t cookie;
    bool ok = SUCCEEDED(rpc::PelSrvClient::Attach(&c));
    for (auto& s : sinks) ok = ok && SUCCEEDED(c->Advise(&s, &cookie));
    const char byte = ok ? 'y' : 'n';
    [[maybe_unused]] ssize_t n = ::write(ready[1], &byte, 1);
    ::pause();
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');
  NullSink mine[5];
  uint32_t cookie = 0;
  ASSERT_EQ(survivor->Advise(&mine[0], &cookie), S_OK);
  EXPECT_EQ(survivor->Advise(&mine[1], &cookie), CONNECT_E_ADVISELIMIT);  // 4 + 1 = 5

  ::kill(victim, SIGKILL);
  ::waitpid(victim, nullptr, 0);
  // Its four sinks go with its connection.
  HRESULT hr = E_FAIL;
  for (int i = 0; i < 200 && hr != S_OK; ++i) {
    hr = survivor->Advise(&mine[1], &cookie);
    if (hr != S_OK) std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(hr, S_OK);
  for (int i = 2; i < 5; ++i) EXPECT_EQ(survivor->Advise(&mine[i], &cookie), S_OK);
  EXPECT_EQ(survivor->Advise(&mine[0], &cookie), CONNECT_E_ADVISELIMIT);

  survivor.reset();  // the last client: the server started for clients ends
  EXPECT_TRUE(ProcessEnds(server));
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace
