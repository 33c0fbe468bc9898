#include "portlink/framing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace portlink {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(CommandLengthTable, GivesEachCodesLengthAndZeroForOthers) {
  struct Case {
    std::uint8_t code;
    std::size_t length;
  };
  const Case cases[] = {
      {0x01, 13}, {0x02, 13}, {0x11, 8}, {0x12, 8}, {0x13, 8},  {0x1E, 8}, {0x20, 22}, {0x21, 8},
      {0x82, 4},  {0x84, 1},  {0x85, 1}, {0x83, 4}, {0x1F, 1},  {0x87, 1}, {0x2F, 5},  {'O', 4},
      {'E', 3},   {0x0D, 2},  {'A', 5},  {0x22, 2}, {0x23, 24}, {0x60, 8}, {0x61, 2},  {0x68, 1},
      {0x6C, 1},  {0x6D, 1},  {0x6A, 2}, {0x16, 1}, {0x00, 0},  {0x99, 0}, {0xFF, 0},  {0x10, 0}};
  for (const auto& c : cases) EXPECT_EQ(CommandLength(c.code), c.length) << int(c.code);
  EXPECT_EQ(CommandLengthTable.back().second, 0);
}

// Feeds reads to an assembler the way the receive handler does; returns the commands.
std::vector<Bytes> Frame(CommandAssembler& a, const std::vector<Bytes>& reads, int* undefined) {
  std::vector<Bytes> out;
  for (const Bytes& read : reads) {
    std::span<const std::uint8_t> rest(read);
    while (!rest.empty()) {
      auto r = a.Offer(rest);
      if (r.status == CommandAssembler::Status::kUndefined) {
        ++*undefined;
        break;
      }
      rest = rest.subspan(r.taken);
      if (r.status != CommandAssembler::Status::kComplete) break;
      out.emplace_back(a.Command().begin(), a.Command().end());
    }
  }
  return out;
}

Bytes Command(std::uint8_t code) {
  Bytes b(CommandLength(code), 0);
  b[0] = code;
  for (std::size_t i = 1; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i);
  return b;
}

TEST(CommandAssembler, CutsEveryLengthWholeSplitAndJoined) {
  for (const auto& [code, length] : CommandLengthTable) {
    if (length == 0) continue;
    const Bytes cmd = Command(code);
    // Byte by byte.
    CommandAssembler a;
    int undefined = 0;
    std::vector<Bytes> reads;
    for (std::uint8_t b : cmd) reads.push_back({b});
    auto got = Frame(a, reads, &undefined);
    ASSERT_EQ(got.size(), 1u) << int(code);
    EXPECT_EQ(got[0], cmd);
    // Twice in one read.
    Bytes twice = cmd;
    twice.insert(twice.end(), cmd.begin(), cmd.end());
    got = Frame(a, {twice}, &undefined);
    ASSERT_EQ(got.size(), 2u) << int(code);
    EXPECT_EQ(got[1], cmd);
    EXPECT_EQ(undefined, 0);
  }
}

TEST(CommandAssembler, ReplyOf22BytesIn10And12IsOneCommand) {
  CommandAssembler a;
  int undefined = 0;
  const Bytes cmd = Command(0x20);
  auto got = Frame(a, {Bytes(cmd.begin(), cmd.begin() + 10), Bytes(cmd.begin() + 10, cmd.end())},
                   &undefined);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], cmd);
}

TEST(CommandAssembler, UndefinedCodeDropsTheRestOfTheRead) {
  CommandAssembler a;
  int undefined = 0;
  Bytes read = {0x84, 0x99, 0x84, 0x84};
  auto got = Frame(a, {read}, &undefined);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(undefined, 1);
  // The next read starts clean.
  got = Frame(a, {{0x85}}, &undefined);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], Bytes{0x85});
}

TEST(CommandAssembler, ResetForgetsAPartialCommand) {
  CommandAssembler a;
  int undefined = 0;
  Frame(a, {{0x11, 1, 2}}, &undefined);
  a.Reset();
  auto got = Frame(a, {{0x84}}, &undefined);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], Bytes{0x84});
}

class Decode : public ::testing::Test {
 protected:
  Decode() {
    sys.cmdInfo = &cmd;
    sys.ttyInfo = &tty;
    tty.rxMode = 1;
  }
  void Run(const Bytes& b) { DecodeCommand(b, sys, &cmd, &tty); }

  CMDInfo cmd{};
  TTYInfo tty{};
  SYSInfo sys{};
};

TEST_F(Decode, IdentityReplyOfType10TakesByte11And12Alone) {
  Run({0x01, 0x10, 0x05, 0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0xF0, 0xDE, 0x07, 0x08});
  EXPECT_EQ(cmd.code, 0x07);
  EXPECT_EQ(cmd.machineType, 0x10);
  EXPECT_EQ(cmd.value2, 0x05);
  EXPECT_EQ(cmd.value3, 0x1234);
  EXPECT_EQ(cmd.value5, 0x5678);
  EXPECT_EQ(cmd.value7, 0x9ABC);
  EXPECT_EQ(cmd.value9, 0xDEF0);
  EXPECT_EQ(cmd.value11, 0x08);
  EXPECT_EQ(sys.lastCode, 0x01);
}

TEST_F(Decode, IdentityReplyOfOtherTypeKeepsCodeAndWord11) {
  Run({0x02, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x07, 0x08});
  EXPECT_EQ(cmd.code, 0x02);
  EXPECT_EQ(cmd.machineType, 0x20);
  EXPECT_EQ(cmd.value11, 0x0807);
}

TEST_F(Decode, ProgressRepliesSetCodeCountsAndRotation) {
  Run({0x11, 0x21, 0x33, 0, 0x01, 0x02, 0x03, 0x04});
  EXPECT_EQ(sys.progressCode, 0x11);
  EXPECT_EQ(sys.byte37, 0x21);
  EXPECT_EQ(sys.rotation, 0x33);
  EXPECT_EQ(sys.errorCode, 0);
  EXPECT_EQ(sys.stitchCount, 0x04030201u);
  Run({0x1E, 0x22, 0x09, 0, 0xFF, 0, 0, 0});
  EXPECT_EQ(sys.progressCode, 0x1E);
  EXPECT_EQ(sys.byte37, 0x22);
  EXPECT_EQ(sys.rotation, 0);
  EXPECT_EQ(sys.errorCode, 0x09);
  EXPECT_EQ(sys.stitchCount, 0xFFu);
}

TEST_F(Decode, FileNameReplyFillsNameMemoryAndTail) {
  Bytes b = {0x20, 0x01, 0x02, 0x03, 0x10, 0x20, 0x30, 0x40};
  for (char c : std::string("DESIGN01.10O")) b.push_back(static_cast<std::uint8_t>(c));
  b.push_back(0xAB);
  b.push_back(0xCD);
  ASSERT_EQ(b.size(), 22u);
  std::memset(&sys.fileNameEnd, 0x55, 1);
  Run(b);
  EXPECT_EQ(std::string(sys.fileName, 12), "DESIGN01.10O");
  EXPECT_EQ(sys.fileNameEnd, 0);
  EXPECT_EQ(sys.byte37, 0x01);
  EXPECT_EQ(sys.transferWord, 0x02);
  EXPECT_EQ(sys.byte30, 0x03);
  EXPECT_EQ(sys.memory, 0x40302010u);
  EXPECT_EQ(sys.value20, 0xABu);
  EXPECT_EQ(sys.byte64, 0xCD);
}

TEST_F(Decode, PositionRepliesAreSignExtended) {
  Run({0x21, 0x04, 0, 0, 0xFE, 0xFF, 0x10, 0x00});
  EXPECT_EQ(sys.byte37, 0x04);
  EXPECT_EQ(sys.x, -2);
  EXPECT_EQ(sys.y, 16);
  Run({0x60, 0x07, 0, 0, 0x00, 0x80, 0xFF, 0x7F});
  EXPECT_EQ(sys.byte33, 0x07);
  EXPECT_EQ(sys.x, -32768);
  EXPECT_EQ(sys.y, 32767);
}

TEST_F(Decode, SmallRepliesSetTheirOneField) {
  Run({0x22, 0x44});
  EXPECT_EQ(sys.byte30, 0x44);
  Run({0x2F, 0x01, 0x00, 0x01, 0x00});
  EXPECT_EQ(sys.memory, 0x10001u);
  Run({0x61, 0x66});
  EXPECT_EQ(sys.byte33, 0x66);
  Run({0x6A, 0xF0});
  EXPECT_EQ(sys.value6A, 0xF0);
  Run({0x82, 0, 0x34, 0x12});
  EXPECT_EQ(sys.transferWord, 0x1234);
  Run({'O', 'K', '\r', '\n'});
  EXPECT_EQ(cmd.machineType, 0xFF);
  Run({0x84});
  EXPECT_EQ(sys.lastCode, 0x84);
}

TEST_F(Decode, Reply23FillsTheOptionalRecordOnlyWhenThereIsOne) {
  Bytes b(24);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i);
  b[0] = 0x23;
  SYSInfo before = sys;
  Run(b);
  EXPECT_EQ(sys.lastCode, 0x23);
  sys.lastCode = before.lastCode;
  EXPECT_EQ(std::memcmp(&sys, &before, sizeof sys), 0);

  std::uint8_t rec[60];
  std::memset(rec, 0xEE, sizeof rec);
  sys.reply23 = rec;
  Run(b);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(rec[i], i + 2);
  EXPECT_EQ(rec[12], 0);
  EXPECT_EQ(rec[13], 0);
  EXPECT_EQ(rec[14], 0xEE);  // beyond the cleared bytes
  EXPECT_EQ(rec[16], 14);
  EXPECT_EQ(rec[19], 17);
  EXPECT_EQ(rec[20], 18);
  EXPECT_EQ(rec[21], 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(rec[48 + i], 19 + i);
  EXPECT_EQ(rec[53], 0xEE);
}

TEST_F(Decode, EnquiryCopiesSixBytesWithoutReadingPastItsThree) {
  std::uint8_t copy[24];
  std::memset(copy, 0xEE, sizeof copy);
  tty.rxCopy = copy;
  const std::vector<std::uint8_t> e = {'E', 0x31, 0x32};  // exactly three bytes owned
  Run(e);
  EXPECT_EQ(cmd.machineType, 0x10);
  const std::uint8_t expected[] = {'E', 0x31, 0x32, 0, 0, 0, 0xEE};
  EXPECT_EQ(std::memcmp(copy, expected, sizeof expected), 0);
}

TEST_F(Decode, ShortCommandSetsOnlyTheCode) {
  Run({0x11, 0x21});
  EXPECT_EQ(sys.lastCode, 0x11);
  EXPECT_EQ(sys.progressCode, 0);
}

TEST(ReceiveCopy, IsCutToTheBufferSize) {
  TTYInfo tty{};
  std::uint8_t buffer[8];
  std::memset(buffer, 0xEE, sizeof buffer);
  tty.rxCopy = buffer;
  tty.rxCopySize = 4;
  const std::uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
  CopyToReceiveBuffer(tty, bytes, true);
  const std::uint8_t expected[] = {1, 2, 3, 0, 0xEE};
  EXPECT_EQ(std::memcmp(buffer, expected, sizeof expected), 0);
  CopyToReceiveBuffer(tty, bytes, false);
  EXPECT_EQ(buffer[3], 4);
  EXPECT_EQ(buffer[4], 0xEE);
}

}  // namespace
}  // namespace portlink
