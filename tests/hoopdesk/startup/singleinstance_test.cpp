// One running program per user: second starts hand their arguments over and end with 1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <QProcess>
#include <chrono>
#include <thread>

#include "hoopdesk/startup/argumentfile.h"
#include "hoopdesk/startup/paramfile.h"
#include "hoopdesk/startup/singleinstance.h"
#include "platform/fileutil.h"
#include "rpc/socket.h"
#include "serverprocess.h"

namespace {

using TRole = TSingleInstance::TRole;
using testing::UnorderedElementsAre;

// The running program's side: counts activations and reads each hand-over file as the main
// window does, from a queued call.
class RunningProgram {
 public:
  RunningProgram() : paths_(TSingleInstance::DefaultPaths()), instance_(paths_) {}

  TRole Start() { return instance_.Start({}, &warning_); }
  void Connect() {
    QObject::connect(&instance_, &TSingleInstance::activateRequested, [this] { ++activations; });
    QObject::connect(
        &instance_, &TSingleInstance::paramFileRequested, &instance_,
        [this] {
          TParamFile::Read(paths_.paramFile, [this](const std::string& a) { opened.push_back(a); });
        },
        Qt::QueuedConnection);
  }
  const TSingleInstance::TPaths& paths() const { return paths_; }
  TSingleInstance& instance() { return instance_; }

  int activations = 0;
  std::vector<std::string> opened;

 private:
  TSingleInstance::TPaths paths_;
  TSingleInstance instance_;
  std::string warning_;
};

// Starts the probe program in folder with args; the caller pumps events until it ends.
std::unique_ptr<QProcess> StartProbe(const std::filesystem::path& folder, const QStringList& args) {
  auto process = std::make_unique<QProcess>();
  process->setWorkingDirectory(QString::fromStdString(folder.string()));
  process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process->start(QStringLiteral(HANDOVER_PROBE_PATH), args);
  return process;
}

bool PumpUntilFinished(const std::vector<QProcess*>& processes) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    bool running = false;
    for (QProcess* p : processes) running = running || p->state() != QProcess::NotRunning;
    if (!running) break;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  QCoreApplication::processEvents();  // the last queued reads
  return true;
}

TEST(SingleInstance, FirstStartRunsAndListens) {
  ServerWorld world;
  RunningProgram program;
  ASSERT_EQ(program.Start(), TRole::Running);
  EXPECT_TRUE(program.instance().IsListening());
  EXPECT_TRUE(std::filesystem::exists(program.paths().socket));
}

TEST(SingleInstance, TwoHandOversTenMillisecondsApartAreBothOpened) {
  ServerWorld world;
  RunningProgram program;
  ASSERT_EQ(program.Start(), TRole::Running);
  program.Connect();

  const std::filesystem::path here = world.root() / "home";
  auto first = StartProbe(here, {"rose.10o/1", "sub/tulip.dst"});
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  auto second = StartProbe(here, {"/abs/lily.dsz"});
  ASSERT_TRUE(PumpUntilFinished({first.get(), second.get()}));

  EXPECT_EQ(first->exitCode(), 1);
  EXPECT_EQ(second->exitCode(), 1);
  EXPECT_EQ(program.activations, 2);
  const std::string base = here.string() + "/";
  EXPECT_THAT(program.opened,
              UnorderedElementsAre(base + "rose.10o/1", base + "sub/tulip.dst", "/abs/lily.dsz"));
  EXPECT_FALSE(std::filesystem::exists(program.paths().paramFile));
}

TEST(SingleInstance, HandOverWithoutArgumentsWritesTheCountAlone) {
  ServerWorld world;
  RunningProgram program;
  ASSERT_EQ(program.Start(), TRole::Running);
  int files = 0;
  std::vector<std::uint8_t> bytes;
  QObject::connect(&program.instance(), &TSingleInstance::paramFileRequested, [&] {
    ++files;
    bytes = platform::ReadFileBytes(program.paths().paramFile, 100).value_or(bytes);
    std::filesystem::remove(program.paths().paramFile);
  });
  auto probe = StartProbe(world.root(), {});
  ASSERT_TRUE(PumpUntilFinished({probe.get()}));
  EXPECT_EQ(probe->exitCode(), 1);
  EXPECT_EQ(files, 1);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'0', 0, 0, 0}));
}

TEST(SingleInstance, SocketOfADeadProgramIsTakenOver) {
  ServerWorld world;
  const auto paths = TSingleInstance::DefaultPaths();
  // A socket file that nobody listens on any more.
  ASSERT_TRUE(rpc::ListenUnix(paths.socket).valid());
  ASSERT_TRUE(std::filesystem::exists(paths.socket));
  auto probe = StartProbe(world.root(), {"x.dst"});
  ASSERT_TRUE(PumpUntilFinished({probe.get()}));
  EXPECT_EQ(probe->exitCode(), 3) << "no running program: the start runs itself";
}

TEST(SingleInstance, NoRunningProgramMeansThisStartRuns) {
  ServerWorld world;
  auto probe = StartProbe(world.root(), {"rose.10o"});
  ASSERT_TRUE(PumpUntilFinished({probe.get()}));
  EXPECT_EQ(probe->exitCode(), 3);
  EXPECT_FALSE(std::filesystem::exists(TSingleInstance::DefaultPaths().paramFile));
}

// A path far beyond any line buffer goes through the whole hand-over and splits whole.
TEST(SingleInstance, FiveThousandByteArgumentIsHandedOverWhole) {
  ServerWorld world;
  RunningProgram program;
  ASSERT_EQ(program.Start(), TRole::Running);
  program.Connect();
  std::string arg;
  while (arg.size() < 5000 - 11) arg += "folder/";
  arg.resize(5000 - 11);
  arg += "/rose.10o/2";
  ASSERT_EQ(arg.size(), 5000u);
  auto probe = StartProbe(world.root(), {QString::fromStdString(arg)});
  ASSERT_TRUE(PumpUntilFinished({probe.get()}));
  EXPECT_EQ(probe->exitCode(), 1);
  const std::string absolute = world.root().string() + "/" + arg;
  ASSERT_THAT(program.opened, testing::ElementsAre(absolute));
  const TArgumentFile split = SplitArgumentFile(program.opened[0], 3);
  EXPECT_EQ(split.path, absolute.substr(0, absolute.size() - 2));
  EXPECT_EQ(split.machine, 1);
}

// Only the two requests count; anything else on the socket is dropped, an endless line with
// its connection.
TEST(SingleInstance, StrangeRequestsAreIgnored) {
  ServerWorld world;
  RunningProgram program;
  ASSERT_EQ(program.Start(), TRole::Running);
  program.Connect();
  int files = 0;
  QObject::connect(&program.instance(), &TSingleInstance::paramFileRequested, [&] { ++files; });

  QLocalSocket junk;
  junk.connectToServer(QString::fromStdString(program.paths().socket.string()));
  ASSERT_TRUE(junk.waitForConnected(2000));
  junk.write("activatex\nparamfile please\n");
  junk.write(QByteArray(200, 'a'));
  ASSERT_TRUE(junk.waitForBytesWritten(2000));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (junk.state() == QLocalSocket::ConnectedState && std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    junk.waitForReadyRead(1);
  }
  EXPECT_NE(junk.state(), QLocalSocket::ConnectedState) << "an endless line ends the connection";

  QLocalSocket good;
  good.connectToServer(QString::fromStdString(program.paths().socket.string()));
  ASSERT_TRUE(good.waitForConnected(2000));
  good.write("activate\n");
  ASSERT_TRUE(good.waitForBytesWritten(2000));
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (program.activations == 0 && std::chrono::steady_clock::now() < until)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(program.activations, 1);
  EXPECT_EQ(files, 0);
}

// A running program that is busy when the first hand-over comes: the first start's wait runs
// out, and the next start must not replace the file that has not been read yet.
TEST(SingleInstance, UnreadFileOfABusyProgramIsNotReplaced) {
  ServerWorld world;
  RunningProgram program;
  ASSERT_EQ(program.Start(), TRole::Running);
  // As if an earlier start had given up waiting: its file is still there.
  ASSERT_TRUE(TParamFile::Write(program.paths().paramFile, {"/earlier.dst"}));
  program.Connect();
  auto probe = StartProbe(world.root(), {"/later.dst"});
  // The program reads the earlier file only after a while.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  TParamFile::Read(program.paths().paramFile,
                   [&](const std::string& a) { program.opened.push_back(a); });
  ASSERT_TRUE(PumpUntilFinished({probe.get()}));
  EXPECT_EQ(probe->exitCode(), 1);
  EXPECT_THAT(program.opened, testing::ElementsAre("/earlier.dst", "/later.dst"));
}

}  // namespace
