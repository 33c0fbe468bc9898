#include "hoopdesk/controls/bitmapimage.h"

#include <cstring>

QImage ToQImage(const platform::Bitmap& bitmap) {
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  if (w <= 0 || h <= 0 || bitmap.BitsPerPixel() != 24 || bitmap.Pixels() == nullptr) return {};
  QImage image(w, h, QImage::Format_BGR888);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row =
        bitmap.Pixels() + static_cast<std::size_t>(h - 1 - y) * bitmap.BytesPerRow();
    std::memcpy(image.scanLine(y), row, static_cast<std::size_t>(w) * 3);
  }
  return image;
}
