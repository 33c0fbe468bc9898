// What a thumbnail's picture depends on: the design file, the control file beside it that
// gives its colours and title, the system palette the colours are matched against, and the
// picture's size. A thumbnail drawn for one key is right for exactly that key, so a rewritten
// design or control file, or a colour table changed in the colour settings, draws anew.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

class TColorInfo;

// One file as it is on disk now; all zero when it is not there.
struct TFileStamp {
  std::int64_t modified = 0;  // nanoseconds since the epoch
  std::int64_t length = 0;
  bool exists = false;
  friend bool operator==(const TFileStamp&, const TFileStamp&) = default;
};

TFileStamp StampOf(const QString& path);

struct TThumbnailKey {
  QString path;  // the design file
  QSize size;
  TFileStamp design;
  QString controlPath;  // the control file the loader reads the colours from
  TFileStamp control;
  QByteArray colours;  // the palette's entries' colours, in order
  friend bool operator==(const TThumbnailKey&, const TThumbnailKey&) = default;
};

std::size_t qHash(const TThumbnailKey& key, std::size_t seed = 0);

// The palette's part of a key: its colours, four bytes each.
QByteArray PaletteColours(const TColorInfo& palette);

// The key of the file's picture as things are now; none when no file is at `path`.
std::optional<TThumbnailKey> ThumbnailKeyFor(const QString& path, QSize size,
                                             const QByteArray& colours);
