#include "pelsrv/protocol/replyrecord.h"

#include <gtest/gtest.h>

#include "pelsrv/lines/tcpreplies.h"

TEST(ReplyRecord, EveryRecordALineHandsOnHoldsWhatTheHandlerReads) {
  struct Case {
    std::uint8_t code;
    std::size_t serial;
  };
  const Case cases[] = {
      {0x01, 13}, {0x02, 13}, {0x11, 8},  {0x12, 8}, {0x13, 8}, {0x1E, 8}, {0x1F, 1}, {0x20, 22},
      {0x21, 8},  {0x22, 2},  {0x23, 24}, {0x2F, 5}, {0x45, 3}, {0x4F, 4}, {0x60, 8}, {0x61, 2},
      {0x68, 1},  {0x6A, 2},  {0x6C, 1},  {0x6D, 1}, {0x82, 4}, {0x83, 4}, {0x84, 1}, {0x85, 1},
      {0x87, 1},  {0x16, 1},  {0x0D, 2},  {0x41, 5}, {0x99, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SerialReplyLength(c.code), c.serial) << int(c.code);
    if (c.serial) {
      EXPECT_GE(c.serial, ReplyBytesNeeded(c.code)) << int(c.code);
    }
    const pelsrv::TcpReplyShape tcp = pelsrv::TcpReplyShapeOf(c.code);
    const std::size_t tcpLength =
        tcp.handing == pelsrv::ReplyHanding::kRecord ? 1 + tcp.payload : 1;
    if (tcp.handing != pelsrv::ReplyHanding::kIgnore && ReplyBytesNeeded(c.code) > tcpLength) {
      ADD_FAILURE() << "TCP/IP hands on too few bytes for " << int(c.code);
    }
  }
}
TEST(ReplyRecord, FromBytesKeepsAtMostItsCapacity) {
  std::uint8_t big[40] = {0x23};
  EXPECT_EQ(TReplyRecord::FromBytes(big).length, TReplyRecord::kCapacity);
  EXPECT_EQ(TReplyRecord::BareCode(0x84).length, 1u);
  EXPECT_EQ(TReplyRecord::BareCode(0x84).Code(), 0x84);
  EXPECT_EQ(TReplyRecord{}.Code(), 0);
}
