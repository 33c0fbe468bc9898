#include "hoopdesk/colours/palettepaint.h"

#include <QPainter>
#include <QString>
#include <algorithm>

#include "hoopdesk/colours/colorrows.h"
#include "hoopdesk/colours/colorswatchimage.h"
#include "hoopdesk/controls/colorref.h"
#include "shared/colorinfo.h"

void PaintPaletteRows(QPainter& p, const TColorInfo& palette, int selected, int width,
                      const TPaletteRowStyle& style) {
  const QColor blue = ToQColor(kSelectionBlue);
  for (int i = 0; i < palette.GetCount(); ++i) {
    const int y = ColorRowY(i);
    const bool sel = i == selected;
    if (sel) p.fillRect(ColorRowRect(i, width), blue);
    p.setPen(sel ? Qt::white : Qt::black);
    p.drawText(QRect(20, y + 6, 20, 20), Qt::AlignCenter, QString::number(i + 1));
    p.drawText(QRect(78, y + 6, std::max(0, width - 80), 20), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(palette.GetLabel(i)));
    if (style.hideUnselectable && !palette.GetFlag(i)) continue;
    const std::int32_t bg =
        sel ? static_cast<std::int32_t>(kSelectionBlue) : style.swatchBackground;
    p.drawImage(kColorSwatchX, y, ColorSwatchImage(palette.GetColor(i), bg));
  }
}
