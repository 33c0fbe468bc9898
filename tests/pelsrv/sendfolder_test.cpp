// Designs the connection loads by a name the machine gives: only plain names inside the send
// folder, and never in place of the design a running transfer is sending.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "protocol_fixture.h"
#include "shared/frmmarlow.h"

namespace prototest {
namespace {

class SendFolder : public LinkFixture {
 protected:
  void SetUp() override {
    home_ = std::filesystem::temp_directory_path() /
            ("pellora-sendfolder-" + std::to_string(::getpid()));
    std::filesystem::remove_all(home_);
    std::filesystem::create_directories(home_ / "SendData");
    ::setenv("PELLORA_HOME", home_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("PELLORA_HOME");
    std::filesystem::remove_all(home_);
  }
  // Writes a native design of `stitches` records at `path` (".10o" and ".00o"); read back it
  // has two records more, the file's start and end.
  void Write(const std::filesystem::path& path, int stitches) {
    auto design = MakeDesign(stitches, 100);
    ASSERT_TRUE(TStitchFormatMarlow::Save(path.string(), *design, nullptr));
  }
  std::filesystem::path home_;
};

TEST_F(SendFolder, MachineNamedDesignIsLoadedFromTheSendFolderWhenTheClientAsks) {
  Write(home_ / "SendData" / "HELD.10o", 321);
  sim::TSimConfig config;
  config.heldName = "HELD.10o";
  events_.filenameTotal = 1;
  Open(config);
  EXPECT_EQ(Comm().SewingFileName(), "HELD.10o");
  EXPECT_EQ(Comm().SendDesign().GetStitchSize(0), 321 + 2);
}

TEST_F(SendFolder, NamesThatLeaveTheSendFolderAreNotOpened) {
  Write(home_ / "OUT.10o", 50);               // beside the send folder
  Write(home_ / "SendData" / "OUT.10o", 60);  // what a plain name would reach
  events_.filenameTotal = 1;
  sim::TSimConfig config;
  config.persona = sim::Persona::kSilent;
  Open(config);
  for (const char* name : {"../OUT.10o", "..\\OUT.10o", "/tmp/OUT.10o", "OUT\t.10o", ".."}) {
    Comm().HandleReply(FileName(name));
    EXPECT_EQ(Comm().SendDesign().Points.size(), 0u) << name;
    EXPECT_FALSE(Comm().LoadTraceDesign()) << name;
    EXPECT_EQ(Comm().SendDesign().Points.size(), 0u) << name;
  }
  Comm().HandleReply(FileName("OUT.10o"));
  EXPECT_EQ(Comm().SendDesign().GetStitchSize(0), 60 + 2);
}

TEST_F(SendFolder, MachineNameReachesTheClientAsValidUtf8) {
  sim::TSimConfig config;
  config.persona = sim::Persona::kSilent;
  Open(config);
  events_.Take();
  Comm().HandleReply(FileName("%s\xE9%n.10o"));
  EXPECT_EQ(events_.Take(),
            std::vector<std::string>{"FilenameAck(1,\"%s\xEF\xBF\xBD%n.10o\",1000)"});
}

TEST_F(SendFolder, TraceLoadDuringATransferLeavesTheSentDesignAlone) {
  // The file on disk under the sent name differs from what the client handed over.
  Write(home_ / "SendData" / "2609c008.10o", 5000);
  sim::TSimConfig config;
  config.persona = sim::Persona::kStopsPulling;
  config.atBlock = 0;
  Open(config);
  auto design = MakeDesign(400);
  const TStitchItem copy = *design;
  ASSERT_TRUE(Send(std::move(design)));
  ASSERT_TRUE(Comm().IsSending());
  // The trace takes the records being sent, which the machine's stitch numbers count.
  ASSERT_TRUE(Comm().LoadTraceDesign());
  EXPECT_EQ(Comm().Progress().nMax, 400);
  EXPECT_EQ(Comm().SendDesign().Points, copy.Points);
  Comm().HandleReply(TReplyRecord::BareCode(0x84));
  const auto& frame = Machine().Commands().back();
  const auto expected = TStitchFormatMarlow::EncodeRecords(copy);
  EXPECT_EQ(std::vector<std::uint8_t>(frame.begin() + 8, frame.begin() + 520),
            std::vector<std::uint8_t>(expected.begin() + 512, expected.begin() + 1024));
}

TEST_F(SendFolder, FailedTraceLoadKeepsTheDesignItsTotalAndItsTrace) {
  // The transfer ends early: the machine keeps OLD.10o, which the send folder does not hold.
  sim::TSimConfig config;
  config.persona = sim::Persona::kEndsEarly;
  config.heldName = "OLD.10o";
  Open(config);
  events_.filenameTotal = 1;
  Comm().HandleReply(FileName("OLD.10o"));
  ASSERT_TRUE(Send(MakeDesign(1000)));
  ASSERT_EQ(Comm().SewingFileName(), "OLD.10o");
  ASSERT_EQ(Comm().Progress().nMax, 1000);
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_FALSE(Comm().LoadTraceDesign());
    EXPECT_EQ(Comm().SendDesign().GetStitchSize(0), 1000) << "the trace still has a design";
    EXPECT_EQ(Comm().Progress().nMax, 1000);
  }
  // Once the file is there, the trace loads it.
  Write(home_ / "SendData" / "OLD.10o", 30);
  EXPECT_TRUE(Comm().LoadTraceDesign());
  EXPECT_EQ(Comm().Progress().nMax, 30 + 2);
}

TEST_F(SendFolder, SecondDesignLoadsByPath) {
  Write(home_ / "SECOND.10o", 77);
  sim::TSimConfig config;
  config.persona = sim::Persona::kSilent;
  Open(config);
  ASSERT_TRUE(Comm().LoadMachineColors());
  EXPECT_TRUE(Comm().LoadSecondDesign(home_ / "SECOND.10o"));
  EXPECT_TRUE(Comm().SecondLoaded());
  EXPECT_EQ(Comm().SecondDesign().GetStitchSize(0), 77 + 2);
  // Its blocks are matched to the machine's needles.
  for (const TEmbColor& block : Comm().SecondDesign().Colors) {
    EXPECT_LT(block.Index, Comm().MachineColors().GetCount());
  }
  EXPECT_FALSE(Comm().LoadSecondDesign(home_ / "MISSING.10o"));
  EXPECT_FALSE(Comm().SecondLoaded());
}

}  // namespace
}  // namespace prototest
