#include "protocol_fixture.h"

#include "pelsrv/transferframe.h"

namespace prototest {

std::unique_ptr<TStitchItem> MakeDesign(int stitches, int colorEvery, bool longMoves,
                                        bool leadingStart, const std::string& name) {
  auto design = std::make_unique<TStitchItem>();
  if (leadingStart) design->Points.push_back({sfStart, 0, 0});
  std::int32_t x = 0;
  std::int32_t y = 0;
  for (int i = 0; i < stitches; ++i) {
    std::uint8_t func = sfStitch;
    if (colorEvery > 0 && i > 0 && i % colorEvery == 0) {
      func = sfColorChange;
    } else if (longMoves && i % 50 == 25) {
      func = sfJump;
      x += 1000;
      y -= 700;
    } else {
      x += (i % 2 == 0) ? 35 : -20;
      y += (i % 3) - 1;
    }
    design->Points.push_back({func, x, y});
  }
  design->SetColorCount();
  for (int i = 0; i < design->GetColorCount(); ++i) {
    TEmbColor color;
    color.Index = i == 1 ? kNoPaletteIndex : static_cast<std::uint8_t>(i % 20);
    color.Color = RGB(static_cast<std::uint8_t>(i * 40), 0, 0);
    design->SetColor(i, color);
  }
  TRect rect{0, 0, 0, 0};
  for (const TEmbPoint& p : design->Points) {
    rect.left = std::min(rect.left, p.X);
    rect.right = std::max(rect.right, p.X);
    rect.top = std::min(rect.top, p.Y);
    rect.bottom = std::max(rect.bottom, p.Y);
  }
  design->SetRawRect(rect);
  design->FileName = name;
  design->Title = "Test design";
  return design;
}

TReplyRecord Reply(std::uint8_t code, std::vector<std::uint8_t> payload) {
  std::vector<std::uint8_t> bytes(std::max<std::size_t>(SerialReplyLength(code), 1), 0);
  bytes[0] = code;
  for (std::size_t i = 0; i < payload.size() && i + 1 < bytes.size(); ++i) {
    bytes[i + 1] = payload[i];
  }
  return TReplyRecord::FromBytes(bytes);
}

TReplyRecord Progress(std::uint8_t code, std::uint8_t needle, std::uint8_t second,
                      std::uint32_t stitch) {
  std::vector<std::uint8_t> payload(7, 0);
  payload[0] = needle;
  payload[1] = second;
  PutU32(payload, 3, stitch);
  return Reply(code, payload);
}

TReplyRecord FileName(const std::string& name, std::uint32_t memory) {
  std::vector<std::uint8_t> payload(21, 0);
  payload[0] = 3;
  PutU32(payload, 3, memory);
  for (std::size_t i = 0; i < name.size() && i < 12; ++i) {
    payload[7 + i] = static_cast<std::uint8_t>(name[i]);
  }
  return Reply(0x20, payload);
}

TReplyRecord Identity(std::uint8_t type, std::uint8_t needles, std::uint8_t sync) {
  std::vector<std::uint8_t> payload(12, 0);
  payload[0] = type;
  payload[1] = needles;
  payload[11] = sync;
  return Reply(0x01, payload);
}

void LinkFixture::Open(sim::TSimConfig config, ISyncGroup* group) {
  events_.Take();
  link_ = std::make_unique<sim::TSimLink>(config, &events_, 1, 0, group);
  link_->Connect();
}

bool LinkFixture::Send(std::unique_ptr<TStitchItem> design, bool reportProgress) {
  Machine().OfferTransfer();
  Pump();
  const bool started = Comm().StartTransfer(std::move(design), reportProgress);
  Pump();
  return started;
}

int LinkFixture::SewToTheEnd() {
  Machine().StartSewing();
  int ticks = 0;
  while (Machine().Tick()) {
    Pump();
    ++ticks;
  }
  return ticks;
}

}  // namespace prototest
