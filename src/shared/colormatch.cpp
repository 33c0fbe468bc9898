#include "shared/colormatch.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "shared/colorinfo.h"
#include "shared/stitch.h"

namespace {

// One palette entry of a matching run.
struct TCalEntry {
  TLabColor Lab;
  std::uint8_t Flag = 0;
};

}  // namespace

TLabColor ColorToLab(COLORREF color) {
  const double r = std::pow(GetRValue(color) / 255.0, 2.0);
  const double g = std::pow(GetGValue(color) / 255.0, 2.0);
  const double b = std::pow(GetBValue(color) / 255.0, 2.0);
  const double x = 39.33 * r + 36.51 * g + 19.03 * b;
  const double y = 21.23 * r + 70.1 * g + 8.58 * b;
  const double z = 1.82 * r + 11.17 * g + 95.7 * b;
  const double third = 1.0 / 3.0;
  const double fx = std::pow(x / 96.0, third);
  const double fy = std::pow(y / 100.0, third);
  const double fz = std::pow(z / 109.0, third);
  return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

void TStitchItem::ColorMatch(const TColorInfo* palette) {
  // The table follows the palette, up to the entries a block's index byte can name (0xFF
  // means no entry).
  std::vector<TCalEntry> table;
  if (palette != nullptr) {
    const int count = std::min(palette->GetCount(), int{kNoPaletteIndex});
    table.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
      table.push_back({ColorToLab(palette->GetColor(i)),
                       palette->GetFlag(i) ? std::uint8_t{1} : std::uint8_t{0}});
  }
  for (TEmbColor& block : Colors) {
    const TLabColor q = ColorToLab(block.Color);
    std::size_t best = 0;
    double best_distance = 1e38;
    for (std::size_t i = 0; i < table.size(); ++i) {
      if (table[i].Flag == 0) continue;
      const TLabColor& e = table[i].Lab;
      const double d = std::sqrt((e.L - q.L) * (e.L - q.L) + (e.a - q.a) * (e.a - q.a) +
                                 (e.b - q.b) * (e.b - q.b));
      if (d < best_distance) {
        best = i;
        best_distance = d;
      }
    }
    block.Index = static_cast<std::uint8_t>(best);
  }
}
