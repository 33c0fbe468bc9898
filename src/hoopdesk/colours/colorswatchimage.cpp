#include "hoopdesk/colours/colorswatchimage.h"

#include "shared/colorinfo.h"

QImage ColorSwatchImage(COLORREF color, std::int32_t background, bool marked) {
  const TSwatchBitmap swatch = MakeColorSwatch(kSwatchIconId, color, background, marked);
  if (swatch.Width <= 0 || swatch.Height <= 0) return {};
  // Blue, green, red, alpha bytes are QImage's ARGB32 on a little-endian machine.
  const QImage view(swatch.Pixels.data(), swatch.Width, swatch.Height, swatch.Width * 4,
                    QImage::Format_ARGB32);
  return view.copy();
}
