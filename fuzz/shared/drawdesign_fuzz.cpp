// Draws arbitrary designs into small bitmaps through every drawing entry: the fitted and the
// rectangle Draw, DrawStitch with arbitrary zoom, offsets and trace positions, and
// TracePaint in every mode. The sanitizers report any write outside a bitmap; the check
// below reports a write into the padding after a row.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/bitmap.h"
#include "shared/colorinfo.h"
#include "shared/drawparam.h"
#include "shared/stitch.h"
#include "shared/traceinfo.h"

namespace {

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Left() const { return size_ - pos_; }
  std::uint8_t U8() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::int32_t I32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(U8()) << (8 * i);
    std::int32_t out;
    std::memcpy(&out, &v, sizeof out);
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

constexpr std::uint8_t kPad = 0xA5;

// Marks every padding byte so that a stray write shows.
void MarkPadding(platform::Bitmap& bmp) {
  std::uint8_t* bits = bmp.Pixels();
  if (bits == nullptr) return;
  const int used = bmp.Width() * bmp.BitsPerPixel() / 8;
  for (int row = 0; row < bmp.Height(); ++row)
    std::memset(bits + row * bmp.BytesPerRow() + used, kPad,
                static_cast<std::size_t>(bmp.BytesPerRow() - used));
}

void CheckPadding(const platform::Bitmap& bmp) {
  const std::uint8_t* bits = bmp.Pixels();
  if (bits == nullptr) return;
  const int used = bmp.Width() * bmp.BitsPerPixel() / 8;
  for (int row = 0; row < bmp.Height(); ++row)
    for (int i = used; i < bmp.BytesPerRow(); ++i)
      if (bits[row * bmp.BytesPerRow() + i] != kPad) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes in(data, size);
  const int width = in.U8() % 40;
  const int height = in.U8() % 40;
  const std::uint8_t format = in.U8();
  platform::Bitmap bmp(
      width, height, (format & 1) ? 32 : 24,
      (format & 2) ? platform::PixelAccess::DeviceOnly : platform::PixelAccess::Direct);
  MarkPadding(bmp);

  TStitchItem design;
  design.Origin = {in.I32(), in.I32()};
  design.Offset = {in.I32(), in.I32()};
  design.ViewRect = {in.I32(), in.I32(), in.I32(), in.I32()};
  design.PenWidth = static_cast<std::int8_t>(in.U8());
  design.CrossPos = {in.I32(), in.I32()};
  design.CrossDrawn = in.U8() & 1;
  design.CrossEnabled = in.U8() & 1;
  const int colours = in.U8() % 8;
  for (int i = 0; i < colours; ++i) {
    const std::uint8_t mark = in.U8() & 1;
    const std::uint8_t index = in.U8();
    const auto colour = static_cast<COLORREF>(in.I32()) & 0xFFFFFF;
    design.Colors.push_back({mark, index, colour, ""});
  }
  TDrawParam p;
  p.Bitmap = &bmp;
  p.XOffset = in.I32();
  p.YOffset = in.I32();
  p.Zoom = in.I32();
  p.First = in.I32();
  p.DrawAll = in.U8();
  p.Seed = static_cast<std::uint32_t>(in.I32());
  const int trace = in.I32();
  TTraceInfo info;
  info.Mode = in.U8() % 4;
  info.FirstPos = in.I32();
  info.CurStitch = in.I32();
  info.ShowDesign = in.U8() & 1;
  while (in.Left() >= 9 && design.Points.size() < 4096) {
    const std::uint8_t func = in.U8() % 12;
    const std::int32_t x = in.I32();
    design.Points.push_back({func, x, in.I32()});
  }

  TColorInfo palette;
  palette.LoadColors("none", 15);
  const TColorInfo* use = (format & 4) ? &palette : nullptr;
  // Small zooms keep huge coordinates cheap for rings; the renderer must cope either way.
  design.DrawStitch(&p, trace, use);
  design.Draw(bmp, (format & 8) != 0, p.First, trace, use);
  design.Draw(bmp, p.XOffset % 64, p.YOffset % 64, width, height, use);
  design.TracePaint(info, bmp, 0x123456, use);
  CheckPadding(bmp);
  return 0;
}
