// A client drives a simulated machine over TCP loopback through a server process: connect,
// send a design, sew it, read its progress and trace, disconnect.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "jpegdecode.h"
#include "platform/errorinfo.h"
#include "platform/memstream.h"
#include "recordingsink.h"
#include "serverprocess.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"
#include "simhost.h"

namespace {

using namespace std::chrono_literals;

// Pumps events until pred holds or the time is up.
template <class Pred>
bool PumpUntil(rpc::PelSrvClient& client, Pred pred, std::chrono::milliseconds limit = 10s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end || !client.ProcessEvents(20)) return pred();
  }
  return true;
}

bool Has(const std::vector<std::string>& events, const std::string& prefix) {
  return std::any_of(events.begin(), events.end(),
                     [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
}

// A square of stitches in one red thread, named as a file of the send folder.
TStitchItem RedDesign(int stitches) {
  TStitchItem design;
  design.Title = "Red";
  design.FileName = "2612a001.10o";
  for (int i = 0; i < stitches; ++i) {
    const int side = i / 25 % 4, step = i % 25 * 20;
    const int x = side == 0 ? step : side == 1 ? 500 : side == 2 ? 500 - step : 0;
    const int y = side == 0 ? 0 : side == 1 ? step : side == 2 ? 500 : 500 - step;
    design.Points.push_back({sfStitch, x, y});
  }
  design.SetRawRect(TRect{0, 0, 500, 500});
  design.SetViewRect(TRect{0, 0, 500, 500});
  TEmbColor red;
  red.Index = 0xFF;
  red.Color = RGB(255, 0, 0);
  design.Colors.push_back(red);
  return design;
}

TEST(EndToEnd, ClientDrivesASimulatedMachineThroughTheServer) {
  ServerWorld world;
  world.Start({});
  auto client = world.Attach();
  ASSERT_NE(client, nullptr) << world.Stderr(1);
  RecordingSink sink;
  sink.totalToGive = 0;
  uint32_t adviseCookie = 0;
  ASSERT_EQ(client->Advise(&sink, &adviseCookie), S_OK);
  ASSERT_EQ(client->DisconnectAll(), S_OK);

  SimHost machine(sim::TSimConfig{});
  int32_t cookie = 0;
  ASSERT_EQ(client->Connect(0, "sim", machine.ConnInfo(), &cookie), S_OK);
  EXPECT_EQ(cookie, 1);
  ASSERT_TRUE(PumpUntil(*client, [&] { return Has(sink.events, "status 1 2"); }))
      << ::testing::PrintToString(sink.events);
  TSewingState state{};
  EXPECT_EQ(client->GetState(cookie, &state), S_OK);
  EXPECT_EQ(state, SEW_IDLE);
  std::string addr;
  uint8_t st = 0;
  int32_t err = -1;
  EXPECT_EQ(client->GetMachineState(cookie, &addr, &st, &err), S_OK);
  EXPECT_EQ(addr, "sim");
  EXPECT_EQ(err, 0);

  // Before any design: an 8 x 8 trace, and no trace for a cookie never handed out.
  std::vector<uint8_t> jpeg;
  uint32_t size = 0;
  ASSERT_EQ(client->GetTraceImage(cookie, 1, 0, &jpeg, &size), S_OK);
  EXPECT_EQ(DecodeJpeg(jpeg).width, 8);
  EXPECT_EQ(client->GetTraceImage(99, 0, 0, &jpeg, &size), S_FALSE);
  EXPECT_EQ(size, 0u);

  // A design stream that is not one is refused and starts nothing.
  platform::MemStream garbage(std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(client->SendStartStream(cookie, &garbage), E_INVALIDARG);
  int32_t sending = -1;
  EXPECT_EQ(client->IsSending(cookie, &sending), S_OK);
  EXPECT_EQ(sending, 0);
  EXPECT_EQ(client->SendStartStream(cookie, nullptr), E_NOINTERFACE);

  // The machine asks for a design; the client answers with one in its stream form.
  // As the desktop program does, the design is also written to the send folder, where the
  // server finds it again by the name the machine acknowledges.
  sink.events.clear();
  TStitchItem red = RedDesign(400);
  std::filesystem::create_directories(world.root() / "home" / "SendData");
  ASSERT_TRUE(TStitchFormatMarlow::Save(
      (world.root() / "home" / "SendData" / red.FileName).string(), red, nullptr));
  const auto design = red.Save();
  sink.onSendStart = [&] { EXPECT_EQ(client->SendStartStream(cookie, design.get()), S_OK); };
  ASSERT_TRUE(machine.Do([](sim::TSimMachine& m) { m.OfferTransfer(); }));
  ASSERT_TRUE(PumpUntil(*client, [&] { return Has(sink.events, "sendstop"); }))
      << ::testing::PrintToString(sink.events);
  // In order: the offer, the progress of the blocks, the normal end, the name acknowledged.
  const auto at = [&](const std::string& prefix) {
    return std::find_if(sink.events.begin(), sink.events.end(),
                        [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }) -
           sink.events.begin();
  };
  ASSERT_TRUE(PumpUntil(*client, [&] { return Has(sink.events, "filename 1 2612a001.10o"); }))
      << ::testing::PrintToString(sink.events);
  EXPECT_LT(at("sendstart 1"), at("sendprogress 1 0"));
  EXPECT_LT(at("sendprogress 1 0"), at("sendstop 1 0"));
  EXPECT_LT(at("sendstop 1 0"), at("filename 1 2612a001.10o"));

  // Sewing: progress replies in order, then the completion.
  sink.events.clear();
  machine.Do([](sim::TSimMachine& m) {
    m.StartSewing();
    while (m.Tick()) {
    }
  });
  ASSERT_TRUE(PumpUntil(*client, [&] { return Has(sink.events, "complete 1 "); }))
      << ::testing::PrintToString(sink.events);
  std::vector<int> positions;
  for (const auto& e : sink.events)
    if (e.rfind("progress 1 17 ", 0) == 0) positions.push_back(std::stoi(e.substr(14)));
  EXPECT_FALSE(positions.empty());
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));

  uint8_t code = 0, needle = 0;
  int32_t pos = 0, max = 0, error = 0, remain = 0;
  uint16_t rot = 0;
  EXPECT_EQ(client->GetProgress(cookie, &code, &pos, &max, &error, &rot, &needle, &remain), S_OK);
  EXPECT_EQ(code, 0x13);
  EXPECT_GE(max, 400);  // with the start and end records the stream form adds
  EXPECT_EQ(pos, max);
  EXPECT_EQ(error, 0);

  // The trace of the sewn design: 128 x 128, white around a square in the machine's red.
  ASSERT_EQ(client->GetTraceImage(cookie, 0, 0, &jpeg, &size), S_OK);
  EXPECT_EQ(size, jpeg.size());
  DecodedJpeg image = DecodeJpeg(jpeg);
  ASSERT_EQ(image.width, 128);
  ASSERT_EQ(image.height, 128);
  int reddish = 0, white = 0;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      const Rgb p = image.At(x, y);
      reddish += p.r > p.g + 60 && p.r > p.b + 60;
      white += p.r > 230 && p.g > 230 && p.b > 230;
    }
  EXPECT_GT(reddish, 50);
  EXPECT_GT(white, 128 * 128 / 2);

  // The folder listing and the preview of the same design file, drawn red.
  ASSERT_EQ(client->SetDirectory((world.root() / "home" / "SendData").string()), S_OK);
  int32_t files = 0;
  EXPECT_EQ(client->ImageFileCount(&files), S_OK);
  EXPECT_EQ(files, 1);
  std::string name;
  EXPECT_EQ(client->GetImageFile(0, &name), S_OK);
  EXPECT_EQ(name, "2612a001.10o");
  ASSERT_EQ(client->GetImage(name, &jpeg, &size), S_OK);
  image = DecodeJpeg(jpeg);
  ASSERT_EQ(image.width, 64);
  reddish = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const Rgb p = image.At(x, y);
      reddish += p.r > p.g + 60 && p.r > p.b + 60;
    }
  EXPECT_GT(reddish, 20);
  EXPECT_EQ(client->GetImage("../../etc/passwd", &jpeg, &size), S_FALSE);
  EXPECT_EQ(size, 0u);

  // Colours: indexes are checked against the palette and the loaded design.
  int32_t colors = 0, value = -1;
  EXPECT_EQ(client->MachineColorCount(cookie, &colors), S_OK);
  EXPECT_EQ(colors, 15);
  EXPECT_EQ(client->MachineColor(cookie, 0, &value), S_OK);
  for (int32_t bad : {-1, 15, 1 << 30}) {
    EXPECT_EQ(client->MachineColor(cookie, bad, &value), E_INVALIDARG) << bad;
    EXPECT_EQ(value, 0);
    EXPECT_EQ(client->StitchColor(cookie, bad, &value), E_INVALIDARG) << bad;
    EXPECT_EQ(client->ChangeColor(cookie, bad, 0), E_INVALIDARG) << bad;
  }
  EXPECT_EQ(client->LoadStitch(cookie, "../SendData/x.10o"), E_INVALIDARG);
  EXPECT_EQ(client->LoadStitch(cookie, name), S_OK);
  EXPECT_EQ(client->StitchColorCount(cookie, &colors), S_OK);
  ASSERT_EQ(colors, 1);
  EXPECT_EQ(client->ChangeColor(cookie, 3, 0), S_OK);
  EXPECT_EQ(client->ChangeColor(cookie, 3, 1), E_INVALIDARG);
  int32_t machine3 = 0;
  EXPECT_EQ(client->MachineColor(cookie, 3, &machine3), S_OK);
  EXPECT_EQ(client->StitchColor(cookie, 0, &value), S_OK);
  EXPECT_EQ(value, machine3);

  // Disconnect keeps the connection in the list; DisconnectAll empties it.
  EXPECT_EQ(client->Disconnect(cookie), S_OK);
  ASSERT_TRUE(PumpUntil(*client, [&] {
    client->GetState(cookie, &state);
    return state == SEW_OFFLINE;
  }));
  int32_t count = 0;
  EXPECT_EQ(client->MachineCount(&count), S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(client->DisconnectAll(), S_OK);
  EXPECT_EQ(client->MachineCount(&count), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(client->Exit(), S_OK);
}

// A server with a client attached and a simulated machine connected to it.
class SendStartTest : public ::testing::Test {
 protected:
  explicit SendStartTest(sim::TSimConfig config = {}) : machine_(config) {}
  void SetUp() override {
    world_.Start({});
    client_ = world_.Attach();
    ASSERT_NE(client_, nullptr) << world_.Stderr(1);
    uint32_t adviseCookie = 0;
    ASSERT_EQ(client_->Advise(&sink_, &adviseCookie), S_OK);
    ASSERT_EQ(client_->Connect(0, "sim", machine_.ConnInfo(), &cookie_), S_OK);
    // The machine's answers to the connection: its state, its design (none) and its progress.
    ASSERT_TRUE(PumpUntil(*client_, [&] { return Has(sink_.events, "progress 1 "); }))
        << ::testing::PrintToString(sink_.events);
    sink_.events.clear();
    designs_ = world_.root() / "designs";
    std::filesystem::create_directories(designs_);
    ASSERT_EQ(client_->SetDirectory(designs_.string()), S_OK);
  }
  void TearDown() override {
    if (client_) client_->Exit();
  }

  // Writes a design file of the folder and loads it as the connection's second design.
  void LoadDesign(const std::string& name, int stitches) {
    TStitchItem design = RedDesign(stitches);
    design.FileName = name;
    ASSERT_TRUE(TStitchFormatMarlow::Save((designs_ / name).string(), design, nullptr));
    ASSERT_EQ(client_->LoadStitch(cookie_, name), S_OK);
  }
  std::string SewingName() {
    std::string name;
    EXPECT_EQ(client_->SewingFilename(cookie_, &name), S_OK);
    return name;
  }
  bool Pump(const std::string& prefix) {
    return PumpUntil(*client_, [&] { return Has(sink_.events, prefix); });
  }

  ServerWorld world_;
  SimHost machine_;
  std::unique_ptr<rpc::PelSrvClient> client_;
  RecordingSink sink_;
  int32_t cookie_ = 0;
  std::filesystem::path designs_;
};

TEST_F(SendStartTest, SendsTheLoadedDesignUnderANewNameWithoutProgressEvents) {
  LoadDesign("red.10o", 400);
  sink_.onSendStart = [&] { EXPECT_EQ(client_->SendStart(cookie_), S_OK); };
  ASSERT_TRUE(machine_.Do([](sim::TSimMachine& m) { m.OfferTransfer(); }));
  ASSERT_TRUE(Pump("sendstop 1 ")) << ::testing::PrintToString(sink_.events);
  EXPECT_TRUE(Has(sink_.events, "sendstop 1 0")) << ::testing::PrintToString(sink_.events);
  ASSERT_TRUE(Pump("filename 1 ")) << ::testing::PrintToString(sink_.events);
  EXPECT_FALSE(Has(sink_.events, "sendprogress")) << ::testing::PrintToString(sink_.events);

  // The machine holds the design under the name made in the send folder, where it is saved.
  const std::string name = SewingName();
  EXPECT_EQ(name.size(), 12u) << name;
  EXPECT_EQ(name.substr(name.size() - 4), ".10o");
  EXPECT_TRUE(Has(sink_.events, "filename 1 " + name)) << ::testing::PrintToString(sink_.events);
  EXPECT_TRUE(std::filesystem::is_regular_file(world_.root() / "home" / "SendData" / name));
  machine_.Do([&](sim::TSimMachine& m) {
    EXPECT_TRUE(m.TransferComplete());
    EXPECT_TRUE(m.Faults().empty()) << ::testing::PrintToString(m.Faults());
    EXPECT_EQ(m.Header().fileName, name);
    EXPECT_EQ(m.Header().title, name);
    EXPECT_GE(m.Header().total, 400u);
    EXPECT_EQ(m.HeldName(), name);
  });
  int32_t sending = -1;
  EXPECT_EQ(client_->IsSending(cookie_, &sending), S_OK);
  EXPECT_EQ(sending, 0);

  // A second send gets a name of its own.
  sink_.events.clear();
  ASSERT_TRUE(machine_.Do([](sim::TSimMachine& m) { m.OfferTransfer(); }));
  ASSERT_TRUE(Pump("sendstop 1 ")) << ::testing::PrintToString(sink_.events);
  ASSERT_TRUE(Pump("filename 1 ")) << ::testing::PrintToString(sink_.events);
  EXPECT_NE(SewingName(), name);
}

// A machine that stops pulling after the second block, so that a transfer stays running.
class SendStartWhileSendingTest : public SendStartTest {
 protected:
  SendStartWhileSendingTest() : SendStartTest(StallingConfig()) {}
  static sim::TSimConfig StallingConfig() {
    sim::TSimConfig config;
    config.persona = sim::Persona::kStopsPulling;
    config.atBlock = 1;
    return config;
  }
};

TEST_F(SendStartWhileSendingTest, ARefusedSendLeavesTheRunningTransferAlone) {
  LoadDesign("big.10o", 2000);
  sink_.onSendStart = [&] { EXPECT_EQ(client_->SendStart(cookie_), S_OK); };
  ASSERT_TRUE(machine_.Do([](sim::TSimMachine& m) { m.OfferTransfer(); }));
  std::uint32_t total = 0;
  ASSERT_TRUE(PumpUntil(*client_, [&] {
    machine_.Do([&](sim::TSimMachine& m) {
      if (m.FramesReceived() >= 3) total = m.Header().total;
    });
    return total != 0;
  }));
  const std::string first = SewingName();
  int32_t sending = 0;
  EXPECT_EQ(client_->IsSending(cookie_, &sending), S_OK);
  ASSERT_EQ(sending, 1);

  // Another design, sent twice over while the first is on its way: busy, and nothing changes.
  LoadDesign("small.10o", 100);
  platform::TakeErrorInfo();
  EXPECT_EQ(client_->SendStart(cookie_), RPC_E_SERVERCALL_RETRYLATER);
  auto info = platform::TakeErrorInfo();
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->description, "Try later again");
  const auto small = RedDesign(100).Save();
  EXPECT_EQ(client_->SendStartStream(cookie_, small.get()), RPC_E_SERVERCALL_RETRYLATER);
  EXPECT_EQ(client_->IsSending(cookie_, &sending), S_OK);
  EXPECT_EQ(sending, 1);
  EXPECT_EQ(SewingName(), first);
  uint8_t code = 0, needle = 0;
  int32_t pos = 0, max = 0, error = 0, remain = 0;
  uint16_t rot = 0;
  EXPECT_EQ(client_->GetProgress(cookie_, &code, &pos, &max, &error, &rot, &needle, &remain), S_OK);
  EXPECT_EQ(static_cast<std::uint32_t>(max), total);
  // A refused send leaves no file behind in the send folder: only the pair of the first.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(world_.root() / "home" / "SendData"))
    files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  const std::string stem = first.substr(0, first.size() - 4);
  EXPECT_EQ(files, (std::vector<std::string>{stem + ".00o", stem + ".10o"}));

  // The machine pulls again: the first design arrives whole.
  ASSERT_TRUE(machine_.Do([](sim::TSimMachine& m) { m.SendReply(0x84); }));
  ASSERT_TRUE(Pump("sendstop 1 ")) << ::testing::PrintToString(sink_.events);
  EXPECT_TRUE(Has(sink_.events, "sendstop 1 0")) << ::testing::PrintToString(sink_.events);
  ASSERT_TRUE(Pump("filename 1 ")) << ::testing::PrintToString(sink_.events);
  EXPECT_TRUE(Has(sink_.events, "filename 1 " + first));
  machine_.Do([&](sim::TSimMachine& m) {
    EXPECT_TRUE(m.TransferComplete());
    EXPECT_TRUE(m.Faults().empty()) << ::testing::PrintToString(m.Faults());
    EXPECT_EQ(m.Header().fileName, first);
    EXPECT_EQ(m.Header().total, total);
    EXPECT_EQ(m.RebuiltStream().size(), 3u * total);
  });
}

}  // namespace
