#include <gtest/gtest.h>

#include <cstring>

#include "portlink/portlink.h"

namespace portlink {
namespace {

// The data block of SYSInfo is one contiguous run of bytes in its fixed order: a reply decoded
// into it reads back at the same offsets on every platform.
TEST(Records, SysInfoDataBlockIsContiguous) {
  SYSInfo sys{};
  auto* base = reinterpret_cast<std::uint8_t*>(&sys) + kSysData;
  sys.memory = 0x11223344;
  sys.transferWord = 0xA1B2;
  std::memcpy(sys.fileName, "ABCDEFGHIJKL", 12);
  EXPECT_EQ(base[52 - 12], 0x44);
  EXPECT_EQ(base[55 - 12], 0x11);
  EXPECT_EQ(base[28 - 12], 0xB2);
  EXPECT_EQ(base[0], 'A');
  EXPECT_EQ(base[11], 'L');
}

TEST(Records, DefaultEventMaskIsD8) { EXPECT_EQ(kDefaultEventMask, 0xD8u); }

}  // namespace
}  // namespace portlink
