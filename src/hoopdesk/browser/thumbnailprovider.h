// Thumbnails of design files, drawn with the design model and kept by file and size: a file
// that was rewritten (new modification time or length) is drawn again. The cache holds a
// bounded number of pictures, so browsing a large folder does not grow memory without end.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>
#include <list>

class TColorInfo;

class TThumbnailProvider {
 public:
  enum class TStatus { Missing, Failed, Drawn };
  struct TThumbnail {
    TStatus status = TStatus::Missing;
    QImage image;  // blank (background only) when the file could not be read
  };

  static constexpr int kCapacity = 64;

  explicit TThumbnailProvider(const TColorInfo& palette) : palette_(palette) {}

  TThumbnail Get(const QString& path, QSize size);
  int CachedCount() const { return static_cast<int>(cache_.size()); }
  void Clear();
  // Drops every size of one file's picture (the folder watch saw it change).
  void Forget(const QString& path);

 private:
  struct TEntry {
    QString key;
    QDateTime modified;
    qint64 length = 0;
    TThumbnail thumbnail;
  };
  TThumbnail Draw(const QString& path, QSize size) const;

  const TColorInfo& palette_;
  std::list<TEntry> cache_;  // most recently used first
  QHash<QString, std::list<TEntry>::iterator> index_;
};
