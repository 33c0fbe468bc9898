#include "hoopdesk/browser/thumbnailprovider.h"

#include <algorithm>

#include "shared/colorinfo.h"

TThumbnailProvider::TThumbnailProvider(const TColorInfo& palette, QObject* parent)
    : QObject(parent), palette_(palette), workers_(std::make_unique<TThumbnailWorkers>()) {
  connect(workers_.get(), &TThumbnailWorkers::ready, this, [this] { TakeResults(); });
}

std::optional<TThumbnailKey> TThumbnailProvider::KeyFor(const QString& path, QSize size) const {
  return ThumbnailKeyFor(path, size, PaletteColours(palette_));
}

std::optional<TThumbnail> TThumbnailProvider::Cached(const TThumbnailKey& key) {
  const auto found = index_.find(key);
  if (found == index_.end()) return std::nullopt;
  cache_.splice(cache_.begin(), cache_, found.value());
  return found.value()->thumbnail;
}

void TThumbnailProvider::Request(const TThumbnailKey& key) {
  if (drawing_.contains(key)) return;
  drawing_.insert(key);
  workers_->Submit({key, palette_});
}

void TThumbnailProvider::DropQueued() {
  QSet<TThumbnailKey> kept;
  for (const TThumbnailKey& key : workers_->DropQueued()) kept.insert(key);
  drawing_ = std::move(kept);
}

void TThumbnailProvider::WaitFor(const std::vector<TThumbnailKey>& keys,
                                 std::optional<TClock::time_point> deadline) {
  const auto pending = [&] {
    return std::any_of(keys.begin(), keys.end(),
                       [&](const TThumbnailKey& key) { return drawing_.contains(key); });
  };
  while (pending() && workers_->WaitForResult(deadline)) TakeResults();
}

void TThumbnailProvider::TakeResults() {
  for (TThumbnailWorkers::TResult& result : workers_->Take()) {
    drawing_.remove(result.key);
    Store(result.key, result.thumbnail);
    if (onDrawn) onDrawn(result.key, result.thumbnail);
  }
}

void TThumbnailProvider::Store(const TThumbnailKey& key, const TThumbnail& thumbnail) {
  if (const auto found = index_.find(key); found != index_.end()) {
    cache_.erase(found.value());
    index_.erase(found);
  }
  cache_.push_front({key, thumbnail});
  index_.insert(key, cache_.begin());
  if (static_cast<int>(cache_.size()) > kCapacity) {
    index_.remove(cache_.back().key);
    cache_.pop_back();
  }
}

void TThumbnailProvider::Clear() {
  cache_.clear();
  index_.clear();
}

void TThumbnailProvider::Forget(const QString& path) {
  for (auto it = cache_.begin(); it != cache_.end();) {
    if (it->key.path == path) {
      index_.remove(it->key);
      it = cache_.erase(it);
    } else {
      ++it;
    }
  }
}
