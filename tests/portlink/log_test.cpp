#include "portlink/log.h"

#include <atomic>
#include <regex>
#include <thread>

#include "portfixture.h"
#include "portlink/driver.h"
#include "portlink/errors.h"

namespace portlink::testing {
namespace {

LocalTime fakeNow{2026, 3, 9, 23, 59, 58, 7};
LocalTime FakeClock() { return fakeNow; }

class LogTest : public PortTest {
 protected:
  void SetUp() override {
    fakeNow = {2026, 3, 9, 23, 59, 58, 7};
    TheDriver().log().SetClock(FakeClock);
    PortTest::SetUp();
  }
  void TearDown() override {
    PortTest::TearDown();
    TheDriver().log().SetClock(SystemLocalTime);
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> out;
    std::string text = LogText();
    std::size_t at = 0, end;
    while ((end = text.find("\r\n", at)) != std::string::npos) {
      out.push_back(text.substr(at, end - at));
      at = end + 2;
    }
    return out;
  }
};

TEST_F(LogTest, FirstLineCarriesTheDateLaterOnesOfTheDayDoNot) {
  EXPECT_NE(WriteLogMessage("same day", -1, 0), 0);
  fakeNow = {2026, 3, 10, 0, 0, 1, 250};
  EXPECT_NE(WriteLogMessage("after midnight", 0, 0), 0);
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "2026-03-09 23:59:58:007 Application started.");
  EXPECT_EQ(lines[1], "           23:59:58:007 same day");
  EXPECT_EQ(lines[2], "2026-03-10 00:00:01:250 com1: after midnight");
}

TEST_F(LogTest, LevelsDecideWhatIsWritten) {
  tty_.logLevel = 0;
  EXPECT_EQ(WriteLogMessage("no port level 1", -1, 1), 0);
  EXPECT_EQ(WriteLogMessage("port level 1", 0, 1), 0);
  EXPECT_NE(WriteLogMessage("port level 0", 0, 0), 0);
  EXPECT_EQ(WriteLogMessage("out of range is no port", 9, 1), 0);
  EXPECT_NE(WriteLogMessage("out of range is no port", 9, 0), 0);
  ASSERT_EQ(OpenCommPort(0), 1);
  CloseCommPort(0);
  const std::string text = LogText();
  EXPECT_EQ(text.find("level 1"), std::string::npos);
  EXPECT_EQ(text.find("open"), std::string::npos);
  EXPECT_EQ(text.find("close"), std::string::npos);
  EXPECT_NE(text.find("com1: port level 0"), std::string::npos);
  EXPECT_NE(text.find(" out of range is no port"), std::string::npos);
}

TEST_F(LogTest, LongTextIsCutToTheLineLimit) {
  EXPECT_NE(WriteLogMessage(std::string(400, 'x').c_str(), 0, 0), 0);
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].size() + 2, Log::kMaxLine);
}

TEST_F(LogTest, ErrorReportNamesCodeContextAndSystemText) {
  TheDriver().ReportError(*TheDriver().Bound(0), ERROR_ACCESS_DENIED, "CreateFile");
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "           23:59:58:007 com1: DVR Error: 5  CreateFile");
  EXPECT_EQ(lines[2], "        Access is denied.");
  EXPECT_EQ(LoadShared(tty_.lastError), 5u);
  EXPECT_STREQ(LoadShared(tty_.errorText), "CreateFile");
  auto m = WaitFor(platform::UM_COMM_ERROR);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->lParam, 5);
}

TEST_F(LogTest, ClosingAPortClosesTheLogForEveryone) {
  Records second;
  second.tty.comIndex = 1;
  second.tty.logFileName = "other.log";  // ignored while a log is open
  SetupSYSInfo(1, &second.sys);
  ASSERT_EQ(OpenCommPort(0), 1);
  machine_.Send({0x84});
  ASSERT_TRUE(WaitFor(platform::UM_RX_COMMAND));
  EXPECT_EQ(CloseCommPort(0), 1);
  EXPECT_EQ(WriteLogMessage("dropped", 1, 0), 0);
  SetupSYSInfo(1, &second.sys);  // opens the log named there
  EXPECT_NE(WriteLogMessage("second", 1, 0), 0);

  auto lines = Lines();
  ASSERT_GE(lines.size(), 7u);
  EXPECT_NE(lines[1].find("com1: open"), std::string::npos);
  EXPECT_NE(lines[2].find("com1: output 0 bytes. input 1 bytes."), std::string::npos);
  EXPECT_NE(lines[3].find("com1: received command numbers 1."), std::string::npos);
  EXPECT_NE(lines[4].find("com1: close"), std::string::npos);
  EXPECT_NE(lines[5].find("Application end."), std::string::npos);
  EXPECT_EQ(lines[6], "");
  EXPECT_EQ(LogText().find("dropped"), std::string::npos);
  std::ifstream other(home_ / "other.log");
  std::string all((std::istreambuf_iterator<char>(other)), {});
  EXPECT_NE(all.find("com2: second"), std::string::npos);
}

TEST_F(LogTest, ModemPortClosesWithoutCounters) {
  ASSERT_EQ(OpenCommPort(0), 1);
  machine_.Send({'O', 'K', '\r', '\n'});
  auto m = WaitFor(platform::UM_RX_COMMAND);
  ASSERT_TRUE(m);
  AnalizeCmd(m->payload.data(), 0);
  CloseCommPort(0);
  EXPECT_EQ(LogText().find("output"), std::string::npos);
}

TEST_F(LogTest, LinesFromAnotherThreadStayWholeWhileTheLogClosesAndReopens) {
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    while (!stop) WriteLogMessage("from a port thread", -1, 0);
  });
  for (int i = 0; i < 200; ++i) {
    CloseCommPort(0);
    SetupSYSInfo(0, &sys_);
  }
  stop = true;
  writer.join();
  const std::regex line(
      R"(( {11}|\d{4}-\d\d-\d\d )\d\d:\d\d:\d\d:\d{3} )"
      R"((from a port thread|com1: close|Application started\.|Application end\.))");
  for (const std::string& l : Lines()) {
    if (!l.empty()) {
      EXPECT_TRUE(std::regex_match(l, line)) << l;
    }
  }
}

TEST_F(LogTest, SecondOpenerOfTheLogFileGetsNoLog) {
  Log other;
  other.Open(home_ / "test.log");
  EXPECT_FALSE(other.IsOpen());
  EXPECT_FALSE(other.WriteLine("x", 0));
}

}  // namespace
}  // namespace portlink::testing
