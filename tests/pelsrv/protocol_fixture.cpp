#include "protocol_fixture.h"

#include "pelsrv/protocol/transferframe.h"
#include "platform/bitmap.h"
#include "shared/frmmarlow.h"
#include "shared/traceinfo.h"

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

namespace {

TStitchItem Named(std::vector<TEmbPoint> points) {
  TStitchItem design;
  design.Points = std::move(points);
  design.SetColorCount();
  design.FileName = "2610b004.10o";
  design.Title = "Fidelity";
  return design;
}

// A zig-zag of `n` stitches from (x, y) on.
void AppendZigZag(std::vector<TEmbPoint>& points, std::int32_t x, std::int32_t y, int n) {
  for (int i = 0; i < n; ++i) points.push_back({sfStitch, x += (i % 2 ? -17 : 23), y += i % 3});
}

}  // namespace

std::vector<TFidelityCase> FidelityDesigns() {
  std::vector<TFidelityCase> cases;
  {
    // Start, a jump of +100 in X, a stitch, the end, as a ".10o" file holds them.
    TStitchItem d = Named({});
    TStitchFormatMarlow::ParseDesignFile(
        std::vector<std::uint8_t>{0x8A, 0, 0, 0x90, 0, 0x64, 0x80, 0, 0x0A, 0x87, 0, 0, 0x1A}, d,
        true);
    d.FileName = "2610b004.10o";
    cases.push_back({"a start record, then a jump away from it", d});
  }
  {
    // No start record: the first record is a jump away from home, as a foreign file begins.
    std::vector<TEmbPoint> points = {{sfJump, 2, 61}};
    AppendZigZag(points, 2, 61, 300);
    cases.push_back({"first record a jump away from home", Named(points)});
  }
  {
    std::vector<TEmbPoint> points = {{sfStitch, 10, 10}, {sfStitch, 20, 5}};
    points.push_back({sfColorChange, 300, 300});  // away from the stitches
    points.push_back({sfStitch, 30, 10});
    points.push_back({sfCut, -50, 80});
    points.push_back({sfStitch, 40, -20});
    points.push_back({sfModeOn, 90, 90});
    points.push_back({sfModeJump, 60, -20});
    points.push_back({sfModeOff, -90, 0});
    AppendZigZag(points, 60, -20, 40);
    cases.push_back({"colour change, cut and mode records carrying a move", Named(points)});
  }
  {
    std::vector<TEmbPoint> points = {{sfJump, 40, 40}, {sfJump, 40, 40},   {sfJump, 40, 40},
                                     {sfJump, 40, 40}, {sfStitch, 45, 42}, {sfStitch, 45, 42}};
    for (int k = 0; k < 5; ++k) points.push_back({sfJump, 45, 42});
    AppendZigZag(points, 45, 42, 200);
    cases.push_back({"zero-length repeated jumps and stitches", Named(points)});
  }
  cases.push_back({"long moves and colour changes", *MakeDesign(777, 40, true)});
  // 169 stitches and the stream form's start and end: 171 records, 513 bytes.
  cases.push_back({"the last record in a block of its own", *MakeDesign(169)});
  return cases;
}

TStitchItem ThroughStreamForm(const TStitchItem& design) {
  auto stream = design.Save();
  TStitchItem taken;
  EXPECT_TRUE(taken.Load(stream.get()));
  return taken;
}

std::vector<sim::TSewnRecord> NeedlePositions(const TStitchItem& design) {
  std::vector<sim::TSewnRecord> out;
  const std::vector<std::uint8_t> records = TStitchFormatMarlow::EncodeRecords(design);
  TPoint needle{0, 0};
  for (std::size_t i = 0; i < design.Points.size(); ++i) {
    const TEmbPoint& p = design.Points[i];
    if (i == 0 || IsMovingFunc(p.Func)) needle = {p.X, p.Y};
    out.push_back({static_cast<std::uint8_t>(records[3 * i] & 0x1F), needle.x, needle.y});
  }
  return out;
}

TPoint TraceCross(const TStitchItem& design, std::int32_t stitch) {
  // As the server's trace image draws it: the whole design, then the trace up to the stitch.
  TStitchItem copy = design;
  platform::Bitmap bitmap(128, 128, 24);
  TTraceInfo trace;
  trace.ShowDesign = 1;
  trace.CurStitch = stitch;
  trace.Mode = 0;
  copy.TracePaint(trace, bitmap, 0xFFFFFF, nullptr);
  trace.Mode = 1;
  copy.TracePaint(trace, bitmap, 0xFFFFFF, nullptr);
  return copy.CrossPos;
}

void ExpectRebuiltInPlace(const sim::TSimMachine& machine, const TStitchItem& sent,
                          std::uint8_t type) {
  EXPECT_TRUE(machine.Faults().empty()) << machine.Faults().front();
  EXPECT_TRUE(machine.TransferComplete());
  const auto total = static_cast<std::uint32_t>(sent.GetStitchSize(type));
  EXPECT_EQ(machine.Header().total, total);
  // The stream from record 0 on, every record of it; only the total leaves a start out.
  EXPECT_EQ(machine.RebuiltStream(), TStitchFormatMarlow::EncodeRecords(sent));
  EXPECT_EQ(machine.RebuiltPositions(), NeedlePositions(sent));
  const std::size_t streamBlocks = (3 * sent.Points.size() + 511) / 512;
  EXPECT_EQ(machine.FramesReceived(), 1 + static_cast<std::int32_t>(streamBlocks));
}

void ExpectTraceOnReportedRecord(const TCommBase& comm, const TStitchItem& sent,
                                 std::uint32_t total) {
  EXPECT_TRUE(comm.DesignLoaded());
  EXPECT_EQ(comm.Progress().nMax, static_cast<std::int32_t>(total));
  EXPECT_LE(comm.Progress().nPos, comm.Progress().nMax);
  EXPECT_EQ(comm.SendDesign().Points, sent.Points);
  EXPECT_EQ(TraceCross(comm.SendDesign(), comm.Progress().nPos),
            TraceCross(sent, comm.Progress().nPos));
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
