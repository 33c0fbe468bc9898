// One running program per user: second starts hand their arguments over (the probe ends with 1),
// add them to a file the running program has not taken yet, or say why they could not (2).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <QProcess>
#include <chrono>
#include <fstream>
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

// The running program's side: counts the requests and, once connected, reads each hand-over
// file as the main window does, from a queued call.
class RunningProgram {
 public:
  RunningProgram() : paths_(TSingleInstance::DefaultPaths()), instance_(paths_) {
    QObject::connect(&instance_, &TSingleInstance::activateRequested, [this] { ++activations; });
    QObject::connect(&instance_, &TSingleInstance::paramFileRequested, [this] { ++files; });
  }

  TRole Start() { return instance_.Start({}).role; }
  void Connect() {
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
  int files = 0;
  std::vector<std::string> opened;

 private:
  TSingleInstance::TPaths paths_;
  TSingleInstance instance_;
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
  std::vector<std::uint8_t> bytes;
  QObject::connect(&program.instance(), &TSingleInstance::paramFileRequested, [&] {
    bytes = platform::ReadFileBytes(program.paths().paramFile, 100).value_or(bytes);
    std::filesystem::remove(program.paths().paramFile);
  });
  auto probe = StartProbe(world.root(), {});
  ASSERT_TRUE(PumpUntilFinished({probe.get()}));
  EXPECT_EQ(probe->exitCode(), 1);
  EXPECT_EQ(program.files, 1);
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
  EXPECT_EQ(program.files, 0);
}

// A name with a line feed is one argument at the far end too.
TEST(SingleInstance, ArgumentWithALineFeedIsHandedOverWhole) {
  ServerWorld world;
  RunningProgram program;
  ASSERT_EQ(program.Start(), TRole::Running);
  program.Connect();
  auto probe = StartProbe(world.root(), {"two\nlines.10o/2", "/abs/a\n\nb.dst"});
  ASSERT_TRUE(PumpUntilFinished({probe.get()}));
  EXPECT_EQ(probe->exitCode(), 1);
  EXPECT_THAT(program.opened,
              testing::ElementsAre(world.root().string() + "/two\nlines.10o/2", "/abs/a\n\nb.dst"));
}

// The running program takes nothing (it is inside a dialog): the first start's file waits, and
// the second start, once its wait for the take has run out, adds its own arguments to that file
// instead of replacing it. It sends no "activate": the first start's is ahead of the file, and
// one behind it would clear the layout that the file's designs are opened into.
TEST(SingleInstance, StartsWhileNothingIsTakenAddToOneFile) {
  ServerWorld world;
  RunningProgram program;
  ASSERT_EQ(program.Start(), TRole::Running);

  auto first = StartProbe(world.root(), {"/first.10o/1"});
  ASSERT_TRUE(PumpUntilFinished({first.get()}));
  EXPECT_EQ(first->exitCode(), 1);
  const auto started = std::chrono::steady_clock::now();
  auto second = StartProbe(world.root(), {"/second.dst", "/third.dsz/2"});
  ASSERT_TRUE(PumpUntilFinished({second.get()}));
  EXPECT_EQ(second->exitCode(), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - started, TSingleInstance::kTakeWait)
      << "the second start gives the file time to be taken first";

  EXPECT_EQ(program.activations, 1);
  EXPECT_EQ(program.files, 2);
  TParamFile::Read(program.paths().paramFile,
                   [&](const std::string& a) { program.opened.push_back(a); });
  EXPECT_THAT(program.opened, testing::ElementsAre("/first.10o/1", "/second.dst", "/third.dsz/2"));
}

struct UnwritableCase {
  const char* name;
  std::filesystem::path (*paramFile)(const std::filesystem::path& root);
  const char* reason;
  friend void PrintTo(const UnwritableCase& c, std::ostream* os) { *os << c.name; }
};

class SecondStartThatCannotWrite : public testing::TestWithParam<UnwritableCase> {};

// A second start whose file cannot be written reports it with the reason; the running program
// is still brought to the front but is not asked to read anything.
TEST_P(SecondStartThatCannotWrite, FailsWithTheReason) {
  ServerWorld world;
  RunningProgram program;
  ASSERT_EQ(program.Start(), TRole::Running);
  std::ofstream(world.root() / "file") << "x";

  TSingleInstance::TPaths paths = program.paths();
  paths.paramFile = GetParam().paramFile(world.root());
  TSingleInstance second(paths);
  const TSingleInstance::TStartResult result = second.Start({"/rose.10o"});
  EXPECT_EQ(result.role, TRole::HandOverFailed);
  EXPECT_EQ(result.failure, "cannot write " + paths.paramFile.string() + ": " + GetParam().reason);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (program.activations == 0 && std::chrono::steady_clock::now() < end)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  QCoreApplication::processEvents();
  EXPECT_EQ(program.activations, 1);
  EXPECT_EQ(program.files, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, SecondStartThatCannotWrite,
                         testing::Values(UnwritableCase{"NoFolder",
                                                        [](const std::filesystem::path& root) {
                                                          return root / "gone" / "param.txt";
                                                        },
                                                        "No such file or directory"},
                                         UnwritableCase{"FolderIsAFile",
                                                        [](const std::filesystem::path& root) {
                                                          return root / "file" / "param.txt";
                                                        },
                                                        "Not a directory"}),
                         [](const auto& info) { return std::string(info.param.name); });

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
