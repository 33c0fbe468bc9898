#include <array>
#include <cstddef>

#include "shared/colorinfo.h"

namespace {

constexpr int kIconSize = 32;
constexpr int kIconBytes = kIconSize * kIconSize * 4;

// A round bobbin of thread: mid grey (the thread colour itself) with a light spot to the
// upper left, a darker rim to the lower right and a soft edge. Rows bottom-up like an icon.
std::array<std::uint8_t, kIconBytes> DrawSwatchIcon() {
  std::array<std::uint8_t, kIconBytes> bits{};
  constexpr int kScale = 16;  // sixteenths of a pixel
  constexpr int kCentre = kIconSize * kScale / 2 - kScale / 2;
  constexpr int kRadius = 15 * kScale;
  for (int row = 0; row < kIconSize; ++row) {
    const int y = kIconSize - 1 - row;  // row 0 of the icon is its bottom line
    for (int x = 0; x < kIconSize; ++x) {
      const int dx = x * kScale - kCentre;
      const int dy = y * kScale - kCentre;
      int d = 0;
      while ((d + 1) * (d + 1) <= dx * dx + dy * dy) ++d;
      int alpha = (kRadius - d) * 255 / kScale;
      alpha = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
      // Light falls from the upper left: brighter above the diagonal, darker below it.
      int grey = 128 - (dx + dy) * 40 / kRadius;
      const int hx = dx + 6 * kScale;
      const int hy = dy + 6 * kScale;
      const int spot = 4 * kScale * 4 * kScale - (hx * hx + hy * hy);
      if (spot > 0) grey += spot * 80 / (4 * kScale * 4 * kScale);
      grey = grey < 0 ? 0 : grey > 255 ? 255 : grey;
      const std::size_t at = static_cast<std::size_t>((row * kIconSize + x) * 4);
      bits[at] = bits[at + 1] = bits[at + 2] = static_cast<std::uint8_t>(grey);
      bits[at + 3] = static_cast<std::uint8_t>(alpha);
    }
  }
  return bits;
}

int Tint(int c, int v) {
  if (v < 128) return (c * v) >> 7;
  if (v == 128) return c;
  return c + (255 - c) * (v - 128) / 128;
}

}  // namespace

std::optional<TIconBits> FindIconBits(int iconId) {
  if (iconId != kSwatchIconId) return std::nullopt;
  static const std::array<std::uint8_t, kIconBytes> icon = DrawSwatchIcon();
  return TIconBits{icon.data(), kIconSize, kIconSize};
}

TSwatchBitmap MakeSwatchFromIcon(const TIconBits& icon, COLORREF color, std::int32_t background,
                                 bool marked) {
  TSwatchBitmap out;
  if (!icon.Bits || icon.Width <= 0 || icon.Height <= 0) return out;
  out.Width = icon.Width;
  out.Height = icon.Height;
  out.Pixels.assign(static_cast<std::size_t>(icon.Width) * icon.Height * 4, 0);

  const int c[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
  const int tint[3] = {marked ? 255 - c[0] : c[0], marked ? 255 - c[1] : c[1],
                       marked ? 255 - c[2] : c[2]};
  const COLORREF bg = marked                                ? color
                      : background == kButtonFaceBackground ? kButtonFaceColor
                                                            : static_cast<COLORREF>(background);
  const int b[3] = {GetBValue(bg), GetGValue(bg), GetRValue(bg)};

  for (int y = 0; y < icon.Height; ++y) {
    const std::uint8_t* src = icon.Bits + static_cast<std::size_t>(y) * icon.Width * 4;
    std::uint8_t* dst =
        out.Pixels.data() + static_cast<std::size_t>(icon.Height - 1 - y) * icon.Width * 4;
    for (int x = 0; x < icon.Width; ++x, src += 4, dst += 4) {
      const int alpha = src[3];
      for (int ch = 0; ch < 3; ++ch) {
        int t = alpha == 0 ? b[ch] : Tint(tint[ch], src[ch]);
        if (alpha > 0 && alpha < 255) t = (t * alpha + b[ch] * (255 - alpha)) / 255;
        dst[ch] = static_cast<std::uint8_t>(t);
      }
      dst[3] = alpha == 0 ? 0 : 255;
    }
  }
  return out;
}

TSwatchBitmap MakeColorSwatch(int iconId, COLORREF color, std::int32_t background, bool marked) {
  if (const std::optional<TIconBits> icon = FindIconBits(iconId))
    return MakeSwatchFromIcon(*icon, color, background, marked);
  TSwatchBitmap empty;
  empty.Width = empty.Height = 32;
  empty.Pixels.assign(32 * 32 * 4, 0);
  return empty;
}
