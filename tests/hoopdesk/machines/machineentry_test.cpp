// How configured serial slots and machines found on the network become the connection info the
// panel manager connects, and how a machine found again is recognised.
#include <gtest/gtest.h>

#include "addressbytes.h"

#include <array>
#include <cstring>

#include "hoopdesk/machines/machineentry.h"

namespace {

struct SlotCase {
  std::int32_t setting;
  bool filled;
  std::uint16_t port;
};

TEST(SerialSlot, NegativeSixteenBitPortMeansEmpty) {
  const SlotCase cases[] = {{-1, false, 0},     {-7, false, 0},        {0, true, 0},
                            {5, true, 5},       {255, true, 255},      {256, true, 256},
                            {0xFFFF, false, 0}, {0x8000, false, 0},    {0x7FFF, true, 0x7FFF},
                            {0x10003, true, 3}, {-65536 + 2, true, 2}, {70000, true, 4464},
                            {40000, false, 0},  {INT32_MIN, true, 0}};
  for (const SlotCase& c : cases) {
    const auto entry = SerialSlotEntry(c.setting, 38400);
    ASSERT_EQ(entry.has_value(), c.filled) << c.setting;
    if (!entry) continue;
    EXPECT_EQ(entry->info.port, c.port) << c.setting;
    EXPECT_EQ(entry->info.tcpip, 0);
    EXPECT_EQ(entry->info.baudRate, 38400);
    EXPECT_EQ(entry->info.b1 | entry->info.b2 | entry->info.b3 | entry->info.b4, 0);
    EXPECT_TRUE(entry->hostName.empty());
  }
}

TEST(SerialSlot, EmptySlotsAreLeftOutAndTheOrderKept) {
  const std::array<std::int32_t, 6> ports = {-1, 4, 0xFFFF, 0, 2, -1};
  const std::vector<TMachineEntry> entries = SerialSlotEntries(ports, 19200);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].info.port, 4);
  EXPECT_EQ(entries[1].info.port, 0);
  EXPECT_EQ(entries[2].info.port, 2);
  for (const TMachineEntry& entry : entries) EXPECT_EQ(entry.info.baudRate, 19200);
}

TEST(NetworkEntry, PortAndAddressBytesExactlyAsDiscoveryGivesThem) {
  const struct {
    std::uint16_t port;
    std::array<std::uint8_t, 4> bytes;
  } cases[] = {{0x5000, {10, 0, 0, 7}},
               {0x8813, {192, 168, 1, 254}},
               {0, {0, 0, 0, 0}},
               {0xFFFF, {255, 255, 255, 255}}};
  for (const auto& c : cases) {
    const std::uint32_t address = Address(c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3]);
    const TMachineEntry entry = NetworkEntry(c.port, address, "EMB-1");
    EXPECT_EQ(entry.info.tcpip, 1);
    EXPECT_EQ(entry.info.port, c.port);
    EXPECT_EQ(
        (std::array<std::uint8_t, 4>{entry.info.b1, entry.info.b2, entry.info.b3, entry.info.b4}),
        c.bytes);
    EXPECT_EQ(entry.info.baudRate, 0);
    EXPECT_EQ(entry.hostName, "EMB-1");
    // Found again, it is recognised by what discovery reported.
    EXPECT_EQ(MachineAddressOf(entry.info), (TMachineAddress{c.port, address})) << c.port;
  }
}

TEST(NetworkEntry, ASerialMachineHasNoAddress) {
  const TMachineEntry serial = *SerialSlotEntry(3, 9600);
  EXPECT_EQ(MachineAddressOf(serial.info), (TMachineAddress{3, 0}));
}

}  // namespace
