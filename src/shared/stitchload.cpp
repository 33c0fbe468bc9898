// The design loader: picks the reader by the file's extension, then takes title and colours
// from the control file beside it and ties each colour block to a palette entry.

#include <array>
#include <string_view>

#include "shared/colorinfo.h"
#include "shared/frmbaldan.h"
#include "shared/frmmarlow.h"
#include "shared/frmtajima.h"
#include "shared/frmzsk.h"
#include "shared/stitch.h"
#include "shared/stitchpath.h"

namespace {

template <class Reader>
bool ReadWith(const std::string& path, TStitchItem& design) {
  Reader reader;
  return reader.GeneratePolylines(path, design, true);
}

// Every stitch-file format the loader knows, by extension. Native files are read from the
// ".10o" file of the pair whichever of the two was named.
struct FormatEntry {
  std::string_view extension;
  bool native;
  bool (*read)(const std::string& path, TStitchItem& design);
};

constexpr std::array kFormats{
    FormatEntry{".10o", true, &ReadWith<TStitchFormatMarlow>},
    FormatEntry{".00o", true, &ReadWith<TStitchFormatMarlow>},
    FormatEntry{".dsb", false, &ReadWith<TStitchFormatBaldan>},
    FormatEntry{".dst", false, &ReadWith<TStitchFormatTajima>},
    FormatEntry{".dsz", false, &ReadWith<TStitchFormatZSK>},
};

const FormatEntry* FindFormat(std::string_view extension) {
  for (const auto& f : kFormats) {
    if (f.extension == extension) return &f;
  }
  return nullptr;
}

// Entry of the palette whose colour equals c exactly; kNoPaletteIndex when none does.
std::uint8_t ExactEntry(const TColorInfo& palette, COLORREF c) {
  const int n = std::min(palette.GetCount(), kBuiltinColorCount);
  for (int j = 0; j < n; ++j) {
    if (palette.GetColor(j) == c) return static_cast<std::uint8_t>(j);
  }
  return kNoPaletteIndex;
}

}  // namespace

bool TStitchItem::Load(const std::string& path, const TColorInfo& palette) {
  clear();
  const FormatEntry* format = FindFormat(FileExtension(path));
  if (format == nullptr) return false;
  const std::string readPath = format->native ? FindSiblingFile(path, ".10o") : path;
  if (!format->read(readPath, *this)) return false;

  TStitchFormatMarlow control;
  const int fromFile = control.ReadColorPattern(readPath, *this);
  // Default entries cycle through the palette's own entries (at most the 60 built-in ones),
  // so a short machine palette never hands out an entry it does not have.
  const int cycle = palette.GetCount() > 0 ? std::min(palette.GetCount(), kBuiltinColorCount)
                                           : kBuiltinColorCount;
  for (int i = 0; i < GetColorCount(); ++i) {
    auto& block = Colors[static_cast<std::size_t>(i)];
    if (i < fromFile) {
      block.Index = ExactEntry(palette, block.Color);
    } else {
      block.Index = static_cast<std::uint8_t>(i % cycle);
      block.Color = palette.GetColor(block.Index);
    }
  }
  return true;
}
