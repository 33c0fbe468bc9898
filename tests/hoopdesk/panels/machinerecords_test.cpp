// The machine list's lookups: by index, by cookie and by the address discovery reports.
#include <gtest/gtest.h>

#include "addressbytes.h"

#include <cstring>

#include "hoopdesk/panels/machinelist.h"

namespace {

TMachineRecord Record(TCookie cookie, const TConnInfo& info, bool inGroup = false) {
  TMachineRecord record;
  record.cookie = cookie;
  record.connInfo = info;
  record.inSyncGroup = inGroup;
  return record;
}

class MachineRecords : public testing::Test {
 protected:
  MachineRecords() {
    list_.Append(Record(5, NetworkEntry(0x8813, Address(192, 168, 0, 5), "a").info, true));
    list_.Append(Record(7, SerialSlotEntry(3, 9600)->info));
    list_.Append(Record(5, NetworkEntry(0x8813, Address(192, 168, 0, 6), "b").info, true));
  }
  TMachineList list_;
};

TEST_F(MachineRecords, IndexesOutsideTheListFindNothing) {
  EXPECT_EQ(list_.Count(), 3);
  for (const int d : {-1, 3, 16}) {
    EXPECT_EQ(list_.Get(d), nullptr) << d;
    EXPECT_EQ(list_.Address(d), TMachineAddress{}) << d;
  }
  ASSERT_NE(list_.Get(1), nullptr);
  EXPECT_EQ(list_.Get(1)->cookie, 7);
}

TEST_F(MachineRecords, TheFirstHolderOfACookieOrAnAddressWins) {
  const struct {
    TCookie cookie;
    int found;
  } cookies[] = {{5, 0}, {7, 1}, {6, -1}, {0, -1}};
  for (const auto& c : cookies) EXPECT_EQ(list_.FindByCookie(c.cookie), c.found) << c.cookie;
  const struct {
    TMachineAddress address;
    int found;
  } addresses[] = {{{0x8813, Address(192, 168, 0, 6)}, 2},
                   {{0x8813, Address(192, 168, 0, 5)}, 0},
                   {{3, 0}, 1},
                   {{0x1388, Address(192, 168, 0, 5)}, -1},  // another port
                   {{4, 0}, -1}};
  for (const auto& c : addresses) EXPECT_EQ(list_.FindByAddress(c.address), c.found);
}

TEST_F(MachineRecords, GroupCountsAndErasing) {
  EXPECT_EQ(list_.SyncGroupSize(), 2);
  EXPECT_FALSE(list_.AnyCanSend());
  list_.Get(1)->canSend = true;
  EXPECT_TRUE(list_.AnyCanSend());
  EXPECT_EQ(list_.Cookies(), (std::vector<TCookie>{5, 7, 5}));
  list_.Erase(3);  // outside: nothing
  list_.Erase(0);
  EXPECT_EQ(list_.Cookies(), (std::vector<TCookie>{7, 5}));
  EXPECT_EQ(list_.SyncGroupSize(), 1);
  const std::vector<TMachineRecord> taken = list_.TakeAll();
  EXPECT_EQ(taken.size(), 2u);
  EXPECT_EQ(list_.Count(), 0);
}

}  // namespace
