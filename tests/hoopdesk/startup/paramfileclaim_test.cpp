// A second start adding to an unread "param.txt" while the running program may take it at any
// moment: whichever rename comes first wins, and no argument of either start is lost.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "hoopdesk/startup/paramfile.h"
#include "hoopdesk/startup/paramfileclaim.h"
#include "scratchfolder.h"

namespace {

using TArgs = std::vector<std::string>;

enum class Step {
  Take,          // the running program reads the file
  Claim,         // the second start claims it
  Merge,         // ... and adds "/later.dst" to it
  MergeTooMany,  // ... and tries to add more than the count field holds
  Drop,          // ... and lets the claim go
};

struct InterleavingCase {
  const char* name;
  std::vector<Step> steps;
  bool claimed;
  std::vector<TArgs> takes;  // what each take opened
  friend void PrintTo(const InterleavingCase& c, std::ostream* os) { *os << c.name; }
};

class ClaimAndTake : public testing::TestWithParam<InterleavingCase> {
 protected:
  TScratchFolder scratch_;
  const std::filesystem::path& folder_ = scratch_.path();
  const std::filesystem::path path_ = folder_ / "param.txt";
};

TEST_P(ClaimAndTake, NoArgumentIsLost) {
  ASSERT_TRUE(TParamFile::Write(path_, {"/earlier.dst"}));
  std::optional<TParamFileClaim> claim;
  bool claimed = false;
  std::vector<TArgs> takes;
  std::string error;
  for (const Step step : GetParam().steps) {
    switch (step) {
      case Step::Take:
        takes.emplace_back();
        TParamFile::Read(path_, [&](const std::string& a) { takes.back().push_back(a); });
        break;
      case Step::Claim:
        claim = TParamFileClaim::Claim(path_, &error);
        claimed = claim.has_value();
        EXPECT_EQ(error, "") << "a file taken meanwhile is no error";
        break;
      case Step::Merge:
        ASSERT_TRUE(claim);
        EXPECT_TRUE(claim->Merge({"/later.dst"}, &error)) << error;
        break;
      case Step::MergeTooMany:
        ASSERT_TRUE(claim);
        EXPECT_FALSE(claim->Merge(TArgs(TParamFile::kMaxArguments, "/x"), &error));
        EXPECT_NE(error.find("no room"), std::string::npos) << error;
        break;
      case Step::Drop:
        claim.reset();
        break;
    }
  }
  EXPECT_EQ(claimed, GetParam().claimed);
  EXPECT_EQ(takes, GetParam().takes);
  claim.reset();
  EXPECT_TRUE(std::filesystem::is_empty(folder_)) << "a file left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClaimAndTake,
    testing::Values(
        // The take wins: the claim finds nothing and the second start writes a file of its own.
        InterleavingCase{
            "TakenBeforeTheClaim", {Step::Take, Step::Claim}, false, {{"/earlier.dst"}}},
        // The claim wins: the take in between finds nothing, the next one gets both starts'.
        InterleavingCase{"TakeWhileClaimed",
                         {Step::Claim, Step::Take, Step::Merge, Step::Take},
                         true,
                         {{}, {"/earlier.dst", "/later.dst"}}},
        InterleavingCase{"MergedBeforeTheTake",
                         {Step::Claim, Step::Merge, Step::Take, Step::Take},
                         true,
                         {{"/earlier.dst", "/later.dst"}, {}}},
        // A merge that cannot be done gives the earlier start's file back as it was.
        InterleavingCase{"NoRoomGivesTheFileBack",
                         {Step::Claim, Step::MergeTooMany, Step::Take, Step::Drop, Step::Take},
                         true,
                         {{}, {"/earlier.dst"}}},
        InterleavingCase{
            "DroppedUnmerged", {Step::Claim, Step::Drop, Step::Take}, true, {{"/earlier.dst"}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
