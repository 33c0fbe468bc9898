// The server object's answers for connections it does not have, its message texts, and the
// integers clients pass.
#include "pelsrv/server/pelsrvimpl.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "pelsrv/lines/pelmain.h"
#include "pelsrv/server/dirlist.h"
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

// Every integer a client passes is checked against its range before the server computes with
// it; under the sanitizers an overflow here would end the test.
TEST_F(PelSrvImplTest, IntegersAtTheEndsOfTheirRangeAreRefusedOrHarmless) {
  TConnInfo tcp{};
  tcp.tcpip = 1;
  tcp.b1 = 127;
  tcp.b4 = 1;
  tcp.port = htons(1);  // nothing listens there: the connection just stays offline
  TConnInfo serial{};
  serial.port = 0xFFFF;
  serial.baudRate = 0xFFFF;
  int32_t cookie = 7;
  for (int32_t devNo : {INT32_MIN, -1, 0xFFFF, INT32_MAX}) {
    for (const TConnInfo& info : {tcp, serial}) {
      EXPECT_EQ(impl_->Connect(devNo, "m", info, &cookie), E_INVALIDARG) << devNo;
      EXPECT_EQ(cookie, 0);
    }
  }
  int32_t count = -1;
  EXPECT_EQ(impl_->MachineCount(&count), S_OK);
  EXPECT_EQ(count, 0);
  ASSERT_EQ(impl_->Connect(0xFFFE, "m", tcp, &cookie), S_OK);

  for (int32_t v : {INT32_MIN, -1, INT32_MAX}) {
    int32_t out = 0;
    EXPECT_EQ(impl_->GetCookie(v, &out), S_OK);
    EXPECT_EQ(impl_->GetModel(v, &out), S_OK);
    std::string text;
    EXPECT_EQ(impl_->GetImageFile(v, &text), S_FALSE);
    EXPECT_EQ(impl_->ErrMessage(v, &text), S_OK);
    EXPECT_EQ(impl_->MachineColor(cookie, v, &out), E_INVALIDARG);
    EXPECT_EQ(impl_->StitchColor(cookie, v, &out), E_INVALIDARG);
    EXPECT_EQ(impl_->ChangeColor(cookie, v, 0), E_INVALIDARG);
    EXPECT_EQ(impl_->ChangeColor(cookie, 0, v), E_INVALIDARG);
    EXPECT_EQ(impl_->SyncChangeSpeed(v), S_OK);
    uint8_t status = 0;
    uint32_t stitch = 0;
    EXPECT_EQ(impl_->OnTimer(cookie, v, &status, &stitch, &out), S_OK);
  }
  std::vector<uint8_t> jpeg;
  uint32_t size = 0;
  EXPECT_EQ(impl_->GetTraceImage(cookie, 0xFF, 0xFF, &jpeg, &size), S_OK);
}
