#include "hoopdesk/sendfolder/sendfolderexpiry.h"

#include <gtest/gtest.h>

#include <limits>

#include "shared/stitchpath.h"

namespace {

using FileTime = std::filesystem::file_time_type;
using std::chrono::hours;

const FileTime kNow = FileTime::clock::now();

TEST(SendFolderExpiry, CutOffIsWholeDaysBackAndSaturates) {
  EXPECT_EQ(ExpiryCutOff(kNow, 0), kNow);
  EXPECT_EQ(ExpiryCutOff(kNow, 3), kNow - hours(72));
  EXPECT_EQ(ExpiryCutOff(kNow, -5), kNow);
  // Far beyond what the clock holds: the earliest time, so nothing is older.
  EXPECT_EQ(ExpiryCutOff(kNow, std::numeric_limits<std::int32_t>::max()), FileTime::min());
  EXPECT_EQ(ExpiryCutOff(FileTime::min() + hours(1), 1), FileTime::min());
}

std::vector<TSendFileEntry> Entries(const std::vector<std::pair<const char*, int>>& ageInHours,
                                    int oldFromHours) {
  std::vector<TSendFileEntry> entries;
  for (const auto& [name, age] : ageInHours)
    entries.push_back({name, kNow - hours(age), age > oldFromHours});
  return entries;
}

TEST(SendFolderExpiry, TakesTheOldestWhileBothLimitsAgree) {
  struct Row {
    const char* what;
    std::vector<std::pair<const char*, int>> files;  // name, age in hours
    std::int32_t fileLimit;
    std::vector<std::string> expired;
  };
  const Row rows[] = {
      {"under the limit", {{"a.10o", 100}, {"b.10o", 100}}, 2, {}},
      {"one over", {{"a.10o", 100}, {"b.10o", 100}, {"c.10o", 100}}, 2, {"a.10o"}},
      {"oldest first, not by name",
       {{"2601a001.10o", 80}, {"2609c001.10o", 200}, {"2612a001.10o", 90}},
       1,
       {"2609c001.10o", "2612a001.10o"}},
      {"a new file named first does not stop the purge",
       {{"0000.10o", 1}, {"b.10o", 100}, {"c.10o", 99}},
       1,
       {"b.10o", "c.10o"}},
      {"keeps every file that is not old",
       {{"a.10o", 100}, {"b.10o", 10}, {"c.10o", 100}},
       0,
       {"a.10o", "c.10o"}},
      {"same time in name order without case",
       {{"B.10o", 100}, {"a.10o", 100}, {"C.10o", 100}},
       1,
       {"a.10o", "B.10o"}},
      {"limit 0 takes every old file", {{"a.10o", 100}, {"b.10o", 100}}, 0, {"a.10o", "b.10o"}},
      {"negative limit never runs past the list",
       {{"a.10o", 100}, {"b.10o", 100}},
       -5,
       {"a.10o", "b.10o"}},
      {"lowest limit", {{"a.10o", 100}}, std::numeric_limits<std::int32_t>::min(), {"a.10o"}},
      {"empty", {}, -1, {}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ExpiredSendFiles(Entries(row.files, 72), row.fileLimit), row.expired) << row.what;
}

TEST(SendFolderExpiry, NamesDesignsAndTheirCompanions) {
  EXPECT_TRUE(IsNativeDesignName("2612a001.10o"));
  EXPECT_TRUE(IsNativeDesignName("2612a001.10O"));
  EXPECT_FALSE(IsNativeDesignName(".10o"));
  EXPECT_FALSE(IsNativeDesignName("2612a001.00o"));
  EXPECT_FALSE(IsNativeDesignName("2612a001.10o.bak"));
  EXPECT_FALSE(IsNativeDesignName("2612a001.dst"));  // the browser lists it; the purge leaves it

  const std::string design = "2612a001.10o";
  struct Row {
    const char* name;
    bool companion;
  };
  const Row rows[] = {{"2612a001.00o", true},  {"2612a001.01o", true},   {"2612a001.0xO", true},
                      {"2612A001.00o", false}, {"2612a001.10o", false},  {"2612a001.00x", false},
                      {"2612a002.00o", false}, {"2612a001.00o~", false}, {"12a001.00o", false},
                      {"2612a001.000o", false}};
  for (const Row& row : rows)
    EXPECT_EQ(IsCompanionName(design, row.name), row.companion) << row.name;
}

}  // namespace
