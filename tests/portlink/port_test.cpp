#include <termios.h>

#include <thread>

#include "platform/usermessages.h"
#include "portfixture.h"
#include "portlink/devicepath.h"
#include "portlink/emulatedlines.h"
#include "portlink/serialport.h"

namespace portlink::testing {
namespace {

using namespace platform;

TEST_F(PortTest, OpenAppliesRawLineSettingsSeenFromTheOtherSide) {
  tty_.baudRate = 19200;
  ASSERT_EQ(OpenCommPort(0), 1);
  EXPECT_EQ(tty_.openFlag, 1u);
  EXPECT_NE(tty_.portHandle, 0);
  EXPECT_NE(tty_.readerThread, 0);
  EXPECT_NE(tty_.writerThread, 0);
  // The modem status is known when the open returns.
  EXPECT_EQ(LoadShared(tty_.modemStatus), MS_CTS_ON | MS_DSR_ON);

  termios tio{};
  ASSERT_EQ(tcgetattr(machine_.SlaveFd(), &tio), 0);
  // A pseudo-terminal keeps no parity; the framing bits are checked on LineSettings below.
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_TRUE(tio.c_cflag & CSTOPB);
  EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR));
  EXPECT_FALSE(tio.c_lflag & (ECHO | ICANON));
  EXPECT_FALSE(tio.c_oflag & OPOST);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));

  EXPECT_EQ(CloseCommPort(0), 1);
  EXPECT_EQ(tty_.openFlag, 0u);
  EXPECT_EQ(tty_.portHandle, 0);
  EXPECT_EQ(tty_.readerThread, 0);
  EXPECT_EQ(CloseCommPort(0), 0);
}

TEST(LineSettings, AreRawEightOddTwoWithoutSoftwareFlowControl) {
  termios base{};
  base.c_iflag = IXON | IXOFF | ICRNL;
  base.c_oflag = OPOST | ONLCR;
  base.c_lflag = ECHO | ICANON | ISIG;
  base.c_cflag = CS7 | PARENB;
  termios tio = LineSettings(base);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_TRUE(tio.c_cflag & PARENB);
  EXPECT_TRUE(tio.c_cflag & PARODD);
  EXPECT_TRUE(tio.c_cflag & CSTOPB);
  EXPECT_TRUE(tio.c_cflag & CRTSCTS);
  EXPECT_TRUE(tio.c_iflag & INPCK);
  EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL));
  EXPECT_FALSE(tio.c_oflag & OPOST);
  EXPECT_FALSE(tio.c_lflag & (ECHO | ICANON | ISIG));
}

TEST_F(PortTest, BaudRateZeroRunsAt9600) {
  EXPECT_EQ(tty_.baudRate, 9600u);
  EXPECT_EQ(LoadShared(tty_.eventMask), 0xD8u);
  EXPECT_EQ(tty_.reserved1024, 1024);
  EXPECT_EQ(tty_.timeouts.readIntervalTimeout, 1u);
  ASSERT_EQ(OpenCommPort(0), 1);
  termios tio{};
  tcgetattr(machine_.SlaveFd(), &tio);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
}

TEST_F(PortTest, UnsupportedBaudRateOpensButReportsFailure) {
  tty_.baudRate = 12345;
  EXPECT_EQ(OpenCommPort(0), 0);
  EXPECT_EQ(tty_.openFlag, 1u);
  EXPECT_EQ(LoadShared(tty_.lastError), 87u);
  EXPECT_EQ(CloseCommPort(0), 1);
}

TEST_F(PortTest, SetupTtyInfoAppliesNewSettingsToTheOpenPortWithoutDefaults) {
  // Copied before the port threads start writing into the record.
  TTYInfo other = tty_;
  ASSERT_EQ(OpenCommPort(0), 1);
  other.baudRate = 38400;
  other.eventMask = 0x08;
  SetupTTYInfo(0, &other);
  EXPECT_EQ(LoadShared(other.lastError), 0u);
  EXPECT_EQ(LoadShared(other.eventMask), 0x08u);
  termios tio{};
  tcgetattr(machine_.SlaveFd(), &tio);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B38400));
  // The port threads now report into the new record.
  machine_.Send({0x84});
  ASSERT_TRUE(WaitFor(UM_RX_COMMAND));
  EXPECT_EQ(LoadShared(other.lastReadCount), 1);
  EXPECT_EQ(CloseCommPort(0), 1);
}

TEST_F(PortTest, InitializeEndsPortsStillOpen) {
  ASSERT_EQ(OpenCommPort(0), 1);
  DLLInitialize(nullptr);
  EXPECT_EQ(CloseCommPort(0), 0);  // forgotten: no records bound any more
  SetupSYSInfo(0, &sys_);
  EXPECT_EQ(OpenCommPort(0), 1);  // the device was let go
}

TEST_F(PortTest, ProbeReportsTheLinesAndLeavesThePortClosed) {
  StoreShared(tty_.statusPost, 1u);
  EXPECT_EQ(FindCommPort(0), 1);
  EXPECT_EQ(tty_.portHandle, 0);
  auto status = WaitFor(UM_MODEM_STATUS);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->wParam, 0xC0u);
  EXPECT_EQ(status->lParam, MS_CTS_ON | MS_DSR_ON);
  EXPECT_TRUE(WaitFor(UM_LINE_STATUS));
  // DTR was raised for the probe and dropped again.
  EXPECT_FALSE(GetEmulatedOutputs(machine_.Path()).dtr);
  // The device is free again.
  EXPECT_EQ(OpenCommPort(0), 1);
}

TEST_F(PortTest, MissingDeviceAndRefusedIndexFail) {
  setenv("PELLORA_COM1", "/nonexistent/tty", 1);
  EXPECT_EQ(FindCommPort(0), 0);
  EXPECT_EQ(LoadShared(tty_.lastError), 2u);
  EXPECT_EQ(OpenCommPort(0), 0);
  EXPECT_EQ(tty_.portHandle, 0);

  setenv("PELLORA_COM17", machine_.Path().c_str(), 1);
  tty_.comIndex = 16;
  EXPECT_EQ(FindCommPort(0), 1);
  tty_.comIndex = 17;
  EXPECT_EQ(FindCommPort(0), 0);
  EXPECT_EQ(OpenCommPort(0), 0);
  unsetenv("PELLORA_COM17");
}

TEST(DevicePath, EnvironmentThenConfigurationThenDefault) {
  const std::string conf = "# lines\n com3 = /dev/ttyUSB0 \n;COM2=/dev/null\nCOM17=/dev/x\n";
  EXPECT_EQ(DevicePathFromConfig(conf, 2), "/dev/ttyUSB0");
  EXPECT_EQ(DevicePathFromConfig(conf, 1), "");
  EXPECT_EQ(DevicePathFromConfig(conf, 16), "/dev/x");
  EXPECT_EQ(DevicePathFromConfig(conf, 0), "");

  const auto home = std::filesystem::temp_directory_path() / "portlink-devicepath";
  std::filesystem::create_directories(home);
  setenv("PELLORA_HOME", home.c_str(), 1);
  std::ofstream(home / "ports.conf") << "COM2=/dev/ttyACM0\n";
  EXPECT_EQ(DevicePath(1), "/dev/ttyACM0");
  EXPECT_EQ(DevicePath(4), "/dev/ttyS4");
  setenv("PELLORA_COM2", "/dev/pts/99", 1);
  EXPECT_EQ(DevicePath(1), "/dev/pts/99");
  unsetenv("PELLORA_COM2");
  std::filesystem::remove_all(home);
}

TEST_F(PortTest, SecondOpenerOfTheSameDeviceIsRefused) {
  Records second;
  SetupSYSInfo(1, &second.sys);
  ASSERT_EQ(OpenCommPort(0), 1);
  EXPECT_EQ(OpenCommPort(0), 0);  // the same slot again
  EXPECT_EQ(OpenCommPort(1), 0);  // another slot on the same device
  EXPECT_NE(LoadShared(second.tty.lastError), 0u);
  EXPECT_EQ(FindCommPort(1), 0);
  CloseCommPort(0);
  EXPECT_EQ(OpenCommPort(1), 1);
  CloseCommPort(1);
}

TEST_F(PortTest, SlotOutOfRangeOrUnboundDoesNothing) {
  for (std::uint16_t slot : {std::uint16_t{1}, std::uint16_t{6}, std::uint16_t{0xFFFF}}) {
    EXPECT_EQ(FindCommPort(slot), 0);
    EXPECT_EQ(OpenCommPort(slot), 0);
    EXPECT_EQ(SendBlockSync(slot), 0);
    EXPECT_EQ(SendBlockAsync(slot), 0);
    EXPECT_EQ(CloseCommPort(slot), 0);
    AbortSendBlock(slot);
    TransferBlockEnd(slot);
    SetupSYSInfo(slot, nullptr);
    const std::uint8_t e[] = {'E', 0, 0};
    AnalizeCmd(e, slot);
  }
  EXPECT_EQ(queue_->Size(), 0u);
}

TEST_F(PortTest, CommandsArePostedByValueInOrder) {
  ASSERT_EQ(OpenCommPort(0), 1);
  machine_.Send({0x84, 0x84, 0x11, 1, 2, 3, 4, 5, 6, 7});
  for (Bytes want : {Bytes{0x84}, Bytes{0x84}, Bytes{0x11, 1, 2, 3, 4, 5, 6, 7}}) {
    auto m = WaitFor(UM_RX_COMMAND);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->wParam, 0xC0u);
    EXPECT_EQ(Bytes(m->Payload().begin(), m->Payload().end()), want);
  }
  // The caller decodes on its own thread.
  const std::uint8_t progress[] = {0x11, 1, 2, 3, 4, 5, 6, 7};
  AnalizeCmd(progress, 0);
  EXPECT_EQ(sys_.progressCode, 0x11);
  EXPECT_EQ(sys_.stitchCount, 0x07060504u);
}

TEST_F(PortTest, CommandSplitAcrossReadsIsPostedOnceWhole) {
  ASSERT_EQ(OpenCommPort(0), 1);
  Bytes reply(22);
  reply[0] = 0x20;
  for (std::size_t i = 1; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(i);
  machine_.Send(Bytes(reply.begin(), reply.begin() + 10));
  EXPECT_FALSE(WaitFor(UM_RX_COMMAND, 100ms));
  machine_.Send(Bytes(reply.begin() + 10, reply.end()));
  auto m = WaitFor(UM_RX_COMMAND);
  ASSERT_TRUE(m);
  EXPECT_EQ(Bytes(m->Payload().begin(), m->Payload().end()), reply);
}

TEST_F(PortTest, UndefinedCodeIsReportedAndTheReadDropped) {
  ASSERT_EQ(OpenCommPort(0), 1);
  machine_.Send({0x84, 0x99, 0x84});
  auto m = WaitFor(UM_RX_COMMAND);
  ASSERT_TRUE(m);
  auto error = WaitFor(UM_COMM_ERROR);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->wParam, 0xC0u);
  EXPECT_FALSE(WaitFor(UM_RX_COMMAND, 100ms));
  EXPECT_STREQ(LoadShared(tty_.errorText), "undefined Command.");
  EXPECT_NE(LogText().find("DVR Error: 13  undefined Command."), std::string::npos);
}

TEST_F(PortTest, ModemAnswerIsOneConsumedEchoAndOnePostedOk) {
  std::uint8_t copy[24] = {};
  tty_.rxCopy = copy;
  ASSERT_EQ(OpenCommPort(0), 1);
  machine_.Send({'A', 'T', '\r', '\r', '\n', 'O', 'K', '\r', '\n'});
  auto m = WaitFor(UM_RX_COMMAND);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Payload()[0], 'O');
  EXPECT_FALSE(WaitFor(UM_RX_COMMAND, 100ms));
  EXPECT_EQ(copy[0], 'O');
  AnalizeCmd(m->payload.data(), 0);
  EXPECT_EQ(LoadShared(cmd_.machineType), 0xFF);
}

TEST_F(PortTest, IdentityIsDecodedBeforeTheCallerSeesIt) {
  ASSERT_EQ(OpenCommPort(0), 1);
  machine_.Send({0x01, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x07, 0x08});
  ASSERT_TRUE(WaitFor(UM_RX_COMMAND));
  EXPECT_EQ(LoadShared(cmd_.machineType), 0x20);
  EXPECT_EQ(cmd_.value11, 0x0807);
}

TEST_F(PortTest, WithoutWindowBytesAreCountedAndDropped) {
  tty_.window = 0;
  ASSERT_EQ(OpenCommPort(0), 1);
  machine_.Send({0x84, 0x85});
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(queue_->Size(), 0u);
  EXPECT_EQ(LoadShared(tty_.lastReadCount), 2);
  CloseCommPort(0);
  EXPECT_NE(LogText().find("output 0 bytes. input 2 bytes."), std::string::npos);
  EXPECT_NE(LogText().find("received command numbers 0."), std::string::npos);
}

TEST_F(PortTest, RawModePostsTheBytesInMessagesOf32) {
  tty_.rxMode = 0;
  std::uint8_t copy[513];
  tty_.rxCopy = copy;
  ASSERT_EQ(OpenCommPort(0), 1);
  Bytes data(40);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(0x99 + i);
  machine_.Send(data);
  Bytes got;
  while (got.size() < data.size()) {
    auto m = WaitFor(UM_RX_DATA);
    ASSERT_TRUE(m);
    EXPECT_EQ(static_cast<std::size_t>(m->lParam), m->Payload().size());
    got.insert(got.end(), m->Payload().begin(), m->Payload().end());
  }
  EXPECT_EQ(got, data);
}

TEST_F(PortTest, PartialCommandDoesNotSurviveCloseAndOpen) {
  ASSERT_EQ(OpenCommPort(0), 1);
  machine_.Send({0x11, 1, 2});
  std::this_thread::sleep_for(100ms);
  CloseCommPort(0);
  SetupSYSInfo(0, &sys_);
  ASSERT_EQ(OpenCommPort(0), 1);
  machine_.Send({0x84});
  auto m = WaitFor(UM_RX_COMMAND);
  ASSERT_TRUE(m);
  EXPECT_EQ(Bytes(m->Payload().begin(), m->Payload().end()), Bytes{0x84});
}

TEST_F(PortTest, ModemLinesGoingDownAndUpArePostedAndDtrFollowsDsr) {
  StoreShared(tty_.statusPost, 1u);
  ASSERT_EQ(OpenCommPort(0), 1);
  ASSERT_TRUE(WaitFor(UM_MODEM_STATUS));
  EXPECT_TRUE(GetEmulatedOutputs(machine_.Path()).dtr);

  SetEmulatedModemStatus(machine_.Path(), MS_CTS_ON);
  auto down = WaitFor(UM_MODEM_STATUS, 2s);
  ASSERT_TRUE(down);
  EXPECT_EQ(down->lParam, MS_CTS_ON);
  EXPECT_EQ(LoadShared(tty_.modemStatus), MS_CTS_ON);
  EXPECT_FALSE(GetEmulatedOutputs(machine_.Path()).dtr);
  auto event = WaitFor(UM_COMM_EVENT);
  ASSERT_TRUE(event);
  EXPECT_EQ(event->wParam, EV_DSR);

  SetEmulatedModemStatus(machine_.Path(), std::nullopt);
  auto up = WaitFor(UM_MODEM_STATUS, 2s);
  ASSERT_TRUE(up);
  EXPECT_EQ(up->lParam, MS_CTS_ON | MS_DSR_ON);
  EXPECT_TRUE(GetEmulatedOutputs(machine_.Path()).dtr);
}

TEST_F(PortTest, HangUpStopsThePortAndKeepsTheProcess) {
  ASSERT_EQ(OpenCommPort(0), 1);
  ASSERT_TRUE(WaitFor(UM_MODEM_STATUS));
  machine_.HangUp();
  auto error = WaitFor(UM_COMM_ERROR);
  ASSERT_TRUE(error);
  auto down = WaitFor(UM_MODEM_STATUS);
  ASSERT_TRUE(down);
  EXPECT_EQ(down->lParam, 0);
  EXPECT_EQ(LoadShared(tty_.modemStatus), 0u);
  EXPECT_NE(LogText().find("ReadFile in ReaderAndStatusProc"), std::string::npos);
  EXPECT_EQ(CloseCommPort(0), 1);
}

}  // namespace
}  // namespace portlink::testing
