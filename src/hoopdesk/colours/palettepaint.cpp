#include "hoopdesk/colours/palettepaint.h"

#include <QPainter>
#include <QString>

#include "shared/colorinfo.h"

namespace {

constexpr int kHitHeight = 32;
constexpr COLORREF kSelectionBlue = 0xFF0000;

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

int PaletteHeight(int count) { return kPaletteRowPitch * count + 4; }

int PaletteRowAt(int x, int y, int width) {
  if (x < 0 || x > width || y < kPaletteRowTop) return -1;
  const int r = (y - kPaletteRowTop) / kPaletteRowPitch;
  return (y - kPaletteRowTop) - kPaletteRowPitch * r <= kHitHeight ? r : -1;
}

QImage SwatchImage(COLORREF color, std::int32_t background, bool marked) {
  const TSwatchBitmap swatch = MakeColorSwatch(kSwatchIconId, color, background, marked);
  QImage image(swatch.Pixels.data(), swatch.Width, swatch.Height, swatch.Width * 4,
               QImage::Format_ARGB32);
  return image.copy();  // owns its pixels beyond the swatch's life
}

void PaintPaletteRows(QPainter& p, const TColorInfo& palette, int selected, int width) {
  const QColor blue = ToQColor(kSelectionBlue);
  for (int i = 0; i < palette.GetCount(); ++i) {
    const int y = kPaletteRowTop + kPaletteRowPitch * i;
    const bool sel = i == selected;
    if (sel) p.fillRect(QRect(0, y - 4, width, kPaletteRowPitch), blue);
    p.setPen(sel ? Qt::white : Qt::black);
    const int textTop = y + 10;
    p.drawText(QRect(0, textTop, 60, 20), Qt::AlignHCenter | Qt::AlignTop, QString::number(i + 1));
    p.drawText(QRect(78, textTop, std::max(0, width - 80), 20), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(palette.GetLabel(i)));
    const std::int32_t bg = sel ? static_cast<std::int32_t>(kSelectionBlue) : kButtonFaceBackground;
    p.drawImage(38, y, SwatchImage(palette.GetColor(i), bg));
  }
}
