// Drawing of the design list: thumbnails of one or all designs and the layout view with its
// home mark.

#include <algorithm>
#include <cstdint>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "shared/common.h"
#include "shared/drawparam.h"
#include "shared/intmath.h"
#include "shared/stitchlist.h"

namespace {

std::int32_t Zoomed(std::int64_t v, int zoom) { return intmath::Wrap(v * zoom / 100); }

// DrawStitch parameters for drawing every record at an offset and zoom. The first-record
// field is not read when everything is drawn; 0 keeps it a valid record index.
TDrawParam DrawAllParam(platform::Bitmap& bitmap, std::int32_t x, std::int32_t y, int zoom) {
  TDrawParam p;
  p.Bitmap = &bitmap;
  p.XOffset = x;
  p.YOffset = y;
  p.Zoom = zoom;
  p.First = 0;
  p.DrawAll = 1;
  return p;
}

}  // namespace

TStitch::TStitch() = default;
TStitch::~TStitch() = default;
TStitch::TStitch(TStitch&&) noexcept = default;
TStitch& TStitch::operator=(TStitch&&) noexcept = default;

void TStitch::DrawItem(int i, platform::Bitmap& bitmap, const TColorInfo* palette) {
  if (!Valid(i)) return;
  lastZoom_ = designs_[static_cast<std::size_t>(i)].Draw(bitmap, true, 0, -1, palette);
}

void TStitch::DrawItemAt(int i, platform::Bitmap& bitmap, int x, int y, int width, int height,
                         const TColorInfo* palette) {
  if (!Valid(i)) return;
  lastZoom_ = designs_[static_cast<std::size_t>(i)].Draw(bitmap, x, y, width, height, palette);
}

bool TStitch::DrawAll(platform::Bitmap& bitmap, std::optional<std::uint32_t> seed) {
  const TRect u = GetUnionRect();
  const int bw = bitmap.Width(), bh = bitmap.Height();
  platform::Canvas& canvas = bitmap.GetCanvas();
  canvas.GetBrush().style = platform::BrushStyle::Solid;
  canvas.Rectangle(0, 0, bw, bh);
  const int zoom = FitZoom(u, bw, bh);
  lastZoom_ = zoom;
  if (zoom < 1) return true;
  const TPoint c = CenterPoint(u);
  for (const int index : order_) {
    TStitchItem& d = designs_[static_cast<std::size_t>(index)];
    TDrawParam p = DrawAllParam(
        bitmap, intmath::Wrap(std::int64_t{Zoomed(std::int64_t{d.Offset.x} - c.x, zoom)} + bw / 2),
        intmath::Wrap(std::int64_t{Zoomed(std::int64_t{d.Offset.y} - c.y, zoom)} + bh / 2), zoom);
    p.Seed = seed;
    d.DrawStitch(&p, -1, nullptr);
  }
  return true;
}

void TStitch::DrawLayout(TStitchItem& design, platform::Canvas& target, COLORREF background, int x,
                         int y, int width, int height, const TColorInfo* palette) {
  if (!buffer_) buffer_ = std::make_unique<platform::Bitmap>();
  buffer_->SetSize(width, height);
  platform::Canvas& canvas = buffer_->GetCanvas();
  const platform::Brush backgroundBrush{background, platform::BrushStyle::Solid};
  canvas.SelectBrush(backgroundBrush);
  canvas.FillRect(TRect{0, 0, buffer_->Width(), buffer_->Height()});
  if (!order_.empty()) {
    const TStitchItem& first = designs_[static_cast<std::size_t>(order_.front())];
    const int z = zoom_;
    const TPoint p{Zoomed(first.Offset.x, z), Zoomed(first.Offset.y, z)};
    TDrawParam param = DrawAllParam(*buffer_, p.x, p.y, z);
    design.DrawStitch(&param, -1, palette);
    // The home point: where the first design's (0, 0) lies.
    const TPoint h{intmath::Wrap(std::int64_t{p.x} - Zoomed(intmath::ToPixels(first.Origin.x), z)),
                   intmath::Wrap(std::int64_t{p.y} - Zoomed(intmath::ToPixels(first.Origin.y), z))};
    canvas.SelectBrush(backgroundBrush);
    canvas.Ellipse(h.x - 8, h.y - 8, h.x + 9, h.y + 9);
    canvas.Ellipse(h.x - 5, h.y - 5, h.x + 6, h.y + 6);
    canvas.MoveTo(h.x, h.y - 8);
    canvas.LineTo(h.x, h.y + 8);
    canvas.MoveTo(h.x - 8, h.y);
    canvas.LineTo(h.x + 8, h.y);
  }
  target.Draw(x, y, *buffer_);
}

void TStitch::ClearBitmap(platform::Bitmap& bitmap) {
  platform::Canvas canvas(bitmap);
  canvas.SelectBrush({platform::kWhite, platform::BrushStyle::Solid});
  canvas.FillRect(TRect{0, 0, bitmap.Width(), bitmap.Height()});
}

void TStitch::PaintBuffer(platform::Canvas& canvas) const {
  if (buffer_) canvas.Draw(0, 0, *buffer_);
}
