// The hand-over file "param.txt": its exact bytes, and reading it back, whole or damaged.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hoopdesk/startup/paramfile.h"
#include "platform/fileutil.h"

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
                    DecodeCase{"CarriageReturnKept", "1\0\0\0a\r\n"s, {"a\r"}}),
    [](const auto& info) { return std::string(info.param.name); });

class ParamFileOnDisk : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("paramfile-test-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    path_ = folder_ / "param.txt";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_;
  std::filesystem::path path_;
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
