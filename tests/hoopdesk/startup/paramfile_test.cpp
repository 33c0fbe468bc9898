// The hand-over file "param.txt": its exact bytes, and reading it back, whole or damaged; names
// with a line feed travel in one line.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hoopdesk/startup/paramfile.h"
#include "platform/fileutil.h"
#include "scratchfolder.h"

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(ParamFileBytes, CountPaddedWithZerosThenOneLineFeedPerArgument) {
  using namespace std::string_view_literals;
  EXPECT_EQ(TParamFile::Encode({}), Bytes("0\0\0\0"sv));
  EXPECT_EQ(TParamFile::Encode({"/home/u/rose.10o/2", "", "/tmp/a b.dst"}),
            Bytes("3\0\0\0/home/u/rose.10o/2\n\n/tmp/a b.dst\n"sv));
  const std::vector<std::string> twelve(12, "x");
  EXPECT_EQ(TParamFile::Encode(twelve), Bytes("12\0\0x\nx\nx\nx\nx\nx\nx\nx\nx\nx\nx\nx\n"sv));
}

// What a second start writes for ordinary names is the plain layout, whatever bytes they hold;
// only a name with a line feed or the mark byte is written behind the mark, in hexadecimal.
TEST(ParamFileBytes, OnlyNamesWithALineFeedOrTheMarkAreEncoded) {
  using namespace std::string_view_literals;
  EXPECT_EQ(TParamFile::Encode({"/home/u/100% \xc3\xa9t\xc3\xa9 \t\r.dst", "/x\\y.10o/3"}),
            Bytes("2\0\0\0/home/u/100% \xc3\xa9t\xc3\xa9 \t\r.dst\n/x\\y.10o/3\n"sv));
  EXPECT_EQ(TParamFile::Encode({"/a", "/b\nc.dst/2", "/d\001", "/e"}),
            Bytes("4\0\0\0/a\n\0012f620a632e6473742f32\n\0012f6401\n/e\n"sv));
}

struct RoundTripCase {
  const char* name;
  std::vector<std::string> args;
  friend void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }
};

class ParamFileRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(ParamFileRoundTrip, EveryArgumentComesBackWhole) {
  EXPECT_EQ(TParamFile::Decode(TParamFile::Encode(GetParam().args)), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParamFileRoundTrip,
    testing::Values(RoundTripCase{"LineFeedInName", {"/home/u/two\nlines.10o/2"}},
                    RoundTripCase{"OnlyLineFeeds", {"\n\n"}},
                    RoundTripCase{"LineFeedBetweenOrdinary", {"/a.dst", "/b\n.dst", "", "/c.dsz"}},
                    RoundTripCase{"MarkFirst", {"\0012f61"}},
                    RoundTripCase{"EveryByte", {[] {
                                    std::string all = "/";
                                    for (int b = 1; b < 256; ++b)
                                      all.push_back(static_cast<char>(b));
                                    return all;
                                  }()}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParamFileBytes, AtMostFourDigitsOfArguments) {
  const std::vector<std::string> many(TParamFile::kMaxArguments + 3, "a");
  const auto data = TParamFile::Encode(many);
  EXPECT_EQ(std::string(data.begin(), data.begin() + 4), "9999");
  EXPECT_EQ(TParamFile::Decode(data).size(), TParamFile::kMaxArguments);
}

struct DecodeCase {
  const char* name;
  std::string data;
  std::vector<std::string> args;
  friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }
};

class ParamFileDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(ParamFileDecode, GivesTheArguments) {
  EXPECT_EQ(TParamFile::Decode(Bytes(GetParam().data)), GetParam().args);
}

using std::string_literals::operator""s;
INSTANTIATE_TEST_SUITE_P(
    Cases, ParamFileDecode,
    testing::Values(DecodeCase{"Written", "2\0\0\0a.10o\nb.dst/2\n"s, {"a.10o", "b.dst/2"}},
                    // A corrupt count opens what is there, not 999 empty names.
                    DecodeCase{"CountTooLarge", "999\0a.10o\n"s, {"a.10o"}},
                    DecodeCase{"CountTooLargeNoData", "999\0"s, {}},
                    DecodeCase{"LastLineWithoutEnd", "2\0\0\0a\nb"s, {"a", "b"}},
                    DecodeCase{"EmptyArgument", "2\0\0\0\nb\n"s, {"", "b"}},
                    DecodeCase{"ExtraLinesIgnored", "1\0\0\0a\nb\n"s, {"a"}},
                    DecodeCase{"BlanksBeforeCount", " 1\0\0a\n"s, {"a"}},
                    DecodeCase{"FourDigits", "0002a\nb\n"s, {"a", "b"}},
                    DecodeCase{"NoDigits", "x\0\0\0a\n"s, {}},
                    DecodeCase{"ShortHeader", "1\0"s, {}}, DecodeCase{"Empty", ""s, {}},
                    DecodeCase{"CarriageReturnKept", "1\0\0\0a\r\n"s, {"a\r"}},
                    DecodeCase{"MarkedUpperCase", "1\0\0\0\0012F0A41\n"s, {"/\nA"}},
                    DecodeCase{"MarkAlone", "2\0\0\0\001\n/b\n"s, {"", "/b"}},
                    // Broken hexadecimal is given as it stands: it names no file.
                    DecodeCase{"MarkedOddLength", "1\0\0\0\0012f6\n"s, {"\0012f6"}},
                    DecodeCase{"MarkedNotHex", "1\0\0\0\0012g\n"s, {"\0012g"}},
                    DecodeCase{"MarkInsideOrdinaryLine", "1\0\0\0/a\00141\n"s, {"/a\00141"}}),
    [](const auto& info) { return std::string(info.param.name); });

class ParamFileOnDisk : public testing::Test {
 protected:
  TScratchFolder scratch_;
  const std::filesystem::path& folder_ = scratch_.path();
  const std::filesystem::path path_ = folder_ / "param.txt";
};

TEST_F(ParamFileOnDisk, ReadDeletesTheFileBeforeOpeningAnything) {
  ASSERT_TRUE(TParamFile::Write(path_, {"/a.10o", "/b.dst/2"}));
  std::vector<std::string> opened;
  const int count = TParamFile::Read(path_, [&](const std::string& arg) {
    EXPECT_FALSE(std::filesystem::exists(path_)) << "a waiting second start must be free to go";
    opened.push_back(arg);
  });
  EXPECT_EQ(count, 2);
  EXPECT_EQ(opened, (std::vector<std::string>{"/a.10o", "/b.dst/2"}));
}

// The take renames the file away first: a second start that looks for it meanwhile finds none.
TEST_F(ParamFileOnDisk, ReadTakesTheFileUnderAPrivateName) {
  ASSERT_TRUE(TParamFile::Write(path_, {"/a\nb.10o", "/c.dst"}));
  std::vector<std::string> opened;
  TParamFile::Read(path_, [&](const std::string& arg) { opened.push_back(arg); });
  EXPECT_EQ(opened, (std::vector<std::string>{"/a\nb.10o", "/c.dst"}));
  EXPECT_TRUE(std::filesystem::is_empty(folder_)) << "nothing left behind";
}

TEST_F(ParamFileOnDisk, UnreadableFileIsPutBack) {
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  int calls = 0;
  EXPECT_EQ(TParamFile::Read(path_, [&](const std::string&) { ++calls; }), 0);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(std::filesystem::is_fifo(path_));
}

TEST_F(ParamFileOnDisk, TooLargeAFileIsNotWritten) {
  const std::vector<std::string> huge(3, std::string(TParamFile::kMaxFileSize / 2, 'a'));
  EXPECT_FALSE(TParamFile::Write(path_, huge)) << "the running program would delete it unread";
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(ParamFileOnDisk, WriteReplacesAnOldFileWhole) {
  ASSERT_TRUE(TParamFile::Write(path_, {std::string(300, 'x'), "y"}));
  ASSERT_TRUE(TParamFile::Write(path_, {"z"}));
  const auto data = platform::ReadFileBytes(path_, 1000);
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(data->begin(), data->end()), std::string("1\0\0\0z\n", 6));
}

TEST_F(ParamFileOnDisk, MissingFileOpensNothing) {
  int calls = 0;
  EXPECT_EQ(TParamFile::Read(path_, [&](const std::string&) { ++calls; }), 0);
  EXPECT_EQ(calls, 0);
}

// A path far longer than any line buffer arrives whole and untouched.
TEST_F(ParamFileOnDisk, LongArgumentArrivesWhole) {
  std::string longArg = "/";
  for (int i = 0; longArg.size() < 5000; ++i) longArg += "folder" + std::to_string(i) + "/";
  longArg.resize(5000 - std::string_view("/rose.10o/2").size());
  longArg += "/rose.10o/2";
  ASSERT_EQ(longArg.size(), 5000u);
  ASSERT_TRUE(TParamFile::Write(path_, {"/first.dst", longArg, "/last.dsz"}));
  std::vector<std::string> opened;
  TParamFile::Read(path_, [&](const std::string& arg) { opened.push_back(arg); });
  EXPECT_EQ(opened, (std::vector<std::string>{"/first.dst", longArg, "/last.dsz"}));
}

TEST_F(ParamFileOnDisk, OversizedFileIsDeletedUnread) {
  {
    std::ofstream out(path_, std::ios::binary);
    out << "1\0\0\0" << std::string(TParamFile::kMaxFileSize, 'a');
  }
  int calls = 0;
  EXPECT_EQ(TParamFile::Read(path_, [&](const std::string&) { ++calls; }), 0);
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

}  // namespace
