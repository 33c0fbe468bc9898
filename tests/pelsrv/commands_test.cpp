#include <gtest/gtest.h>

#include <vector>

#include "pelsrv/protocol/synccommand.h"

namespace {

std::vector<int> Bytes(const TSyncCommand& c) { return {c.Wire().begin(), c.Wire().end()}; }

}  // namespace

TEST(CommandRecords, EachRecordByteForByte) {
  struct Case {
    const char* what;
    TSyncCommand command;
    std::vector<int> bytes;
  };
  const Case cases[] = {
      {"identity request", MakeCommand(0xD1), {0xD1}},
      {"file-name request", MakeCommand(0xE0), {0xE0}},
      {"progress request", MakeCommand(0xD0), {0xD0}},
      {"group stop", MakeCommand(0xC8), {0xC8}},
      {"withdraw set-up", MakeCommand(0xCC), {0xCC}},
      {"sync mode", MakeCommand(0xC1, 2), {0xC1, 0x02}},
      {"group speed", MakeCommand(0xCA, 80), {0xCA, 80}},
      {"sync set-up, initial speed",
       MakeCommand(0xC0, 7, 0x1234, 0x0056, 500),
       {0xC0, 0x07, 0x32, 0x00, 0x34, 0x12, 0x56, 0x00}},
      {"sync set-up, speed byte keeps the low 8 bits",
       MakeCommand(0xC0, 1, 0xFFFF, 0, 3000),
       {0xC0, 0x01, 300 & 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0x00}},
      {"sync set-up, negative speed divides toward zero",
       MakeCommand(0xC0, 0, 0, 0, -15),
       {0xC0, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00}},
      {"transfer end", MakeTransferEnd(0xBEEF), {0x43, 0x00, 0xEF, 0xBE}},
      {"modem probe", MakeModemProbe(), {0x41, 0x54, 0x0D}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Bytes(c.command), c.bytes) << c.what;
  }
}
