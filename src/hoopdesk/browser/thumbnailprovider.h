// Thumbnails of design files, kept by what their pictures depend on (TThumbnailKey): a file
// rewritten, its control file rewritten or the colour table changed draws anew. The cache
// holds a bounded number of pictures, so browsing a large folder does not grow memory without
// end. Pictures not cached are drawn on worker threads; the owner may wait for them a short
// while (a page drawn at once looks whole) and gets the rest through `onDrawn` as they come.
// Cache and bookkeeping belong to the owner's thread.
#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <vector>

#include "hoopdesk/browser/thumbnaildraw.h"
#include "hoopdesk/browser/thumbnailkey.h"
#include "hoopdesk/browser/thumbnailworkers.h"

class TColorInfo;

class TThumbnailProvider : public QObject {
  Q_OBJECT
 public:
  using TClock = TThumbnailWorkers::TClock;
  static constexpr int kCapacity = 64;

  explicit TThumbnailProvider(const TColorInfo& palette, QObject* parent = nullptr);

  // The key of the file's picture now, with the palette as it is now; none without a file.
  std::optional<TThumbnailKey> KeyFor(const QString& path, QSize size) const;
  // The cached picture of the key, which becomes the most recently used.
  std::optional<TThumbnail> Cached(const TThumbnailKey& key);
  // Starts drawing the key's picture unless it is under way already.
  void Request(const TThumbnailKey& key);
  // Forgets the requests no worker has begun (pages scrolled past): only what is still asked
  // for is drawn.
  void DropQueued();
  // Takes the pictures drawn, until none of `keys` is under way or the deadline (none: no
  // deadline) passed.
  void WaitFor(const std::vector<TThumbnailKey>& keys, std::optional<TClock::time_point> deadline);
  bool IsDrawing(const TThumbnailKey& key) const { return drawing_.contains(key); }
  int DrawingCount() const { return static_cast<int>(drawing_.size()); }

  int CachedCount() const { return static_cast<int>(cache_.size()); }
  void Clear();
  // Drops every picture of one file (the folder watch saw it change).
  void Forget(const QString& path);
  // Draws with `drawer` from the next request on (tests hold designs back with it).
  void SetDrawer(TThumbnailDrawer drawer) { workers_->SetDrawer(std::move(drawer)); }

  // A picture came back, on the owner's thread; it is cached already.
  std::function<void(const TThumbnailKey&, const TThumbnail&)> onDrawn;

 private:
  struct TEntry {
    TThumbnailKey key;
    TThumbnail thumbnail;
  };
  void TakeResults();
  void Store(const TThumbnailKey& key, const TThumbnail& thumbnail);

  const TColorInfo& palette_;
  std::list<TEntry> cache_;  // most recently used first
  QHash<TThumbnailKey, std::list<TEntry>::iterator> index_;
  QSet<TThumbnailKey> drawing_;
  // Last, so it goes first: its threads are done before the cache they report to goes.
  std::unique_ptr<TThumbnailWorkers> workers_;
};
