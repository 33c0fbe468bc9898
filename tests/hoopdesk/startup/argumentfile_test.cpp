// How a command-line or hand-over argument splits into the file to open and the machine to
// queue it on, with the Linux rule that a text naming an existing file is taken whole.
#include <gtest/gtest.h>

#include <set>

#include "hoopdesk/startup/argumentfile.h"

namespace {

struct SplitCase {
  const char* text;
  int machineCount;
  const char* path;
  int machine;
  friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

// Files that exist in the world of these cases.
const std::set<std::string> kExisting = {"/home/u/x/ab", "/home/u/designs/rose/1"};

bool Exists(const std::string& path) { return kExisting.count(path) > 0; }

class SplitArgument : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitArgument, GivesPathAndMachine) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(SplitArgumentFile(c.text, c.machineCount, Exists), (TArgumentFile{c.path, c.machine}))
      << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitArgument,
    testing::Values(
        SplitCase{"/home/u/rose.10o/2", 3, "/home/u/rose.10o", 1},
        SplitCase{"/home/u/rose.10o", 3, "/home/u/rose.10o", kNoMachine},
        // An existing file is opened whole, although its last name looks like a suffix.
        SplitCase{"/home/u/x/ab", 3, "/home/u/x/ab", kNoMachine},
        SplitCase{"/home/u/designs/rose/1", 3, "/home/u/designs/rose/1", kNoMachine},
        // The same text naming nothing: "ab" reads as 0, which means the first machine.
        SplitCase{"/home/u/y/ab", 3, "/home/u/y", 0},
        // The scan meets the slash before the point of the folder name.
        SplitCase{"/home/u/designs.new/rose/1", 3, "/home/u/designs.new/rose", 0},
        // No slash suffix: the scan ends at a point and the text is whole.
        SplitCase{"/home/u/designs.new/rose", 3, "/home/u/designs.new/rose", kNoMachine},
        SplitCase{"rose.10o/", 3, "rose.10o", 0},
        SplitCase{"rose.10o/12345", 3, "rose.10o/12345", kNoMachine},
        SplitCase{"rose.10o/123", 3, "rose.10o", 0},  // beyond the list: the first machine
        SplitCase{"rose.10o/3", 3, "rose.10o", 2}, SplitCase{"rose.10o/ +2", 3, "rose.10o", 1},
        SplitCase{"rose.10o/-1", 3, "rose.10o", 0},
        SplitCase{"rose.10o/2", 0, "rose.10o", 0},  // no machines: index 0, which queues nothing
        SplitCase{"rose/2", 3, "rose", 1},
        // The first character is never examined.
        SplitCase{"/2", 3, "/2", kNoMachine}, SplitCase{"/", 3, "/", kNoMachine},
        SplitCase{"", 3, "", kNoMachine}));

TEST(Automation, OnlyTheExactFirstArgumentSuppressesLoading) {
  EXPECT_TRUE(SuppressesFileLoading({"/Automation"}));
  EXPECT_TRUE(SuppressesFileLoading({"/Automation", "rose.10o"}));
  EXPECT_FALSE(SuppressesFileLoading({"/automation"}));
  EXPECT_FALSE(SuppressesFileLoading({"/AUTOMATION"}));
  EXPECT_FALSE(SuppressesFileLoading({"rose.10o", "/Automation"}));
  EXPECT_FALSE(SuppressesFileLoading({}));
}

TEST(AbsoluteArgument, RelativeTextsFollowTheStartFolder) {
  EXPECT_EQ(MakeArgumentAbsolute("rose.10o/2", "/home/u"), "/home/u/rose.10o/2");
  EXPECT_EQ(MakeArgumentAbsolute("rose.10o/", "/home/u/"), "/home/u/rose.10o/");
  EXPECT_EQ(MakeArgumentAbsolute("../x/rose.dst", "/home/u"), "/home/u/../x/rose.dst");
  EXPECT_EQ(MakeArgumentAbsolute("/tmp/rose.dst", "/home/u"), "/tmp/rose.dst");
  EXPECT_EQ(MakeArgumentAbsolute("", "/home/u"), "");
}

TEST(ExistingFile, FoldersAndMissingPathsAreNoFiles) {
  EXPECT_FALSE(NamesExistingFile("/"));
  EXPECT_FALSE(NamesExistingFile(""));
  EXPECT_FALSE(NamesExistingFile("/no/such/file/anywhere"));
  EXPECT_TRUE(NamesExistingFile("/proc/self/status"));
}

}  // namespace
