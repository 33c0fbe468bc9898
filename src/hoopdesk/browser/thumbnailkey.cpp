#include "hoopdesk/browser/thumbnailkey.h"

#include <QHashFunctions>
#include <filesystem>
#include <system_error>

#include "shared/colorinfo.h"
#include "shared/stitchpath.h"

TFileStamp StampOf(const QString& path) {
  namespace fs = std::filesystem;
  const fs::path p(path.toStdString());
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return {};
  const auto modified = fs::last_write_time(p, ec);
  if (ec) return {};
  const auto length = fs::file_size(p, ec);
  if (ec) return {};
  return {static_cast<std::int64_t>(
              std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch())
                  .count()),
          static_cast<std::int64_t>(length), true};
}

std::size_t qHash(const TThumbnailKey& key, std::size_t seed) {
  return qHashMulti(seed, key.path, key.size.width(), key.size.height(), key.design.modified,
                    key.design.length, key.control.modified, key.control.length, key.colours);
}

QByteArray PaletteColours(const TColorInfo& palette) {
  QByteArray out;
  out.reserve(palette.GetCount() * 4);
  for (int i = 0; i < palette.GetCount(); ++i) {
    const COLORREF c = palette.GetColor(i);
    for (int shift = 0; shift < 32; shift += 8) out.append(static_cast<char>((c >> shift) & 0xFF));
  }
  return out;
}

std::optional<TThumbnailKey> ThumbnailKeyFor(const QString& path, QSize size,
                                             const QByteArray& colours) {
  const TFileStamp design = StampOf(path);
  if (!design.exists) return std::nullopt;
  // The same lookup the loader makes, so the key names the control file that is read.
  const QString control = QString::fromStdString(FindSiblingFile(path.toStdString(), ".00o"));
  return TThumbnailKey{path, size, design, control, StampOf(control), colours};
}
