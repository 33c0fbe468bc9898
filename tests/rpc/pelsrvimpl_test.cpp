// The server object's answers for connections it does not have, and its message texts.
#include "pelsrv/pelsrvimpl.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "pelsrv/dirlist.h"
#include "pelsrv/pelmain.h"
#include "rpc/sinklist.h"

namespace {

class PelSrvImplTest : public ::testing::Test {
 protected:
  PelSrvImplTest() {
    char tmpl[] = "/tmp/pellora-impl-XXXXXX";
    home_ = ::mkdtemp(tmpl);
    ::setenv("PELLORA_HOME", home_.c_str(), 1);
    main_ = std::make_unique<TPelMain>(0);
    impl_ = std::make_unique<TPelSrvImpl>(*main_, dirs_, sinks_, [this] { ++closes_; });
  }
  ~PelSrvImplTest() override {
    impl_.reset();
    main_.reset();
    std::filesystem::remove_all(home_);
  }
  std::filesystem::path home_;
  TDirList dirs_;
  rpc::SinkList sinks_;
  int closes_ = 0;
  std::unique_ptr<TPelMain> main_;
  std::unique_ptr<TPelSrvImpl> impl_;
};

TEST_F(PelSrvImplTest, UnknownCookiesGiveTheNeutralAnswers) {
  for (int32_t cookie : {0, 1, -5, 99}) {
    std::string addr = "x";
    uint8_t state = 0;
    int32_t err = 0;
    EXPECT_EQ(impl_->GetMachineState(cookie, &addr, &state, &err), S_OK);
    EXPECT_EQ(addr, "");
    EXPECT_EQ(state, SEW_OFFLINE);
    EXPECT_EQ(err, 273);
    TSewingState s = SEW_IDLE;
    EXPECT_EQ(impl_->GetState(cookie, &s), S_OK);
    EXPECT_EQ(s, SEW_OFFLINE);
    int32_t v = 7;
    EXPECT_EQ(impl_->IsSending(cookie, &v), S_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(impl_->StitchColorCount(cookie, &v), S_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(impl_->MachineColor(cookie, 0, &v), S_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(impl_->SendStart(cookie), E_FAIL);
    platform::MemStream empty;
    EXPECT_EQ(impl_->SendStartStream(cookie, &empty), S_OK);
    EXPECT_EQ(impl_->SendStartStream(cookie, nullptr), E_NOINTERFACE);
    std::string name = "x";
    EXPECT_EQ(impl_->SewingFilename(cookie, &name), S_OK);
    EXPECT_EQ(name, "");
    std::vector<uint8_t> jpeg;
    uint32_t size = 9;
    EXPECT_EQ(impl_->GetTraceImage(cookie, 0, 0, &jpeg, &size), S_FALSE);
    EXPECT_EQ(size, 0u);
  }
  for (int32_t devNo : {-1, 0, 16}) {
    int32_t v = 7;
    EXPECT_EQ(impl_->GetCookie(devNo, &v), S_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(impl_->GetModel(devNo, &v), S_OK);
    EXPECT_EQ(v, 0);
  }
}

TEST_F(PelSrvImplTest, MessageTextsOfTheTableAndNoneOutsideIt) {
  struct Case {
    int32_t id;
    const char* text;
  };
  const Case cases[] = {{256, "Stopped"},
                        {263, "Failed to create a recent directory"},
                        {273, "Connection has been disconnected"},
                        {276, "Try later again"},
                        {284, "Thread break"},
                        {294, "Lower thread run out"},
                        {255, ""},
                        {295, ""},
                        {-1, ""}};
  for (const Case& c : cases) {
    std::string text = "x";
    EXPECT_EQ(impl_->ErrMessage(c.id, &text), S_OK);
    EXPECT_EQ(text, c.text) << c.id;
  }
}

TEST_F(PelSrvImplTest, ExitAsksTheProgramToEnd) {
  EXPECT_EQ(impl_->Exit(), S_OK);
  EXPECT_EQ(closes_, 1);
}

TEST_F(PelSrvImplTest, ImageOfAFileThatIsNotThereIsSFalse) {
  impl_->SetDirectory(home_.string());
  std::vector<uint8_t> jpeg;
  uint32_t size = 5;
  EXPECT_EQ(impl_->GetImage("missing.dst", &jpeg, &size), S_FALSE);
  EXPECT_EQ(size, 0u);
  int32_t count = -1;
  EXPECT_EQ(impl_->ImageFileCount(&count), S_OK);
  EXPECT_EQ(count, 0);
}

}  // namespace
