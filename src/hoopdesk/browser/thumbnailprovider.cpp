#include "hoopdesk/browser/thumbnailprovider.h"

#include <QFileInfo>

#include "hoopdesk/controls/bitmapimage.h"
#include "platform/bitmap.h"
#include "shared/stitchlist.h"

TThumbnailProvider::TThumbnail TThumbnailProvider::Draw(const QString& path, QSize size) const {
  platform::Bitmap bitmap(size.width(), size.height());
  TStitch list;
  TStitch::ClearBitmap(bitmap);
  const bool read = list.AddFile(path.toStdString(), palette_, 0, 0) >= 0;
  if (read) list.DrawAll(bitmap);
  return {read ? TStatus::Drawn : TStatus::Failed, ToQImage(bitmap)};
}

TThumbnailProvider::TThumbnail TThumbnailProvider::Get(const QString& path, QSize size) {
  const QFileInfo info(path);
  if (!info.isFile()) return {};
  const QString key = QString("%1|%2x%3").arg(path).arg(size.width()).arg(size.height());
  const QDateTime modified = info.lastModified();
  const qint64 length = info.size();
  if (const auto found = index_.find(key); found != index_.end()) {
    const auto entry = found.value();
    if (entry->modified == modified && entry->length == length) {
      cache_.splice(cache_.begin(), cache_, entry);
      return entry->thumbnail;
    }
    cache_.erase(entry);
    index_.erase(found);
  }
  TThumbnail drawn = Draw(path, size);
  cache_.push_front({key, modified, length, drawn});
  index_.insert(key, cache_.begin());
  if (static_cast<int>(cache_.size()) > kCapacity) {
    index_.remove(cache_.back().key);
    cache_.pop_back();
  }
  return drawn;
}

void TThumbnailProvider::Clear() {
  cache_.clear();
  index_.clear();
}

void TThumbnailProvider::Forget(const QString& path) {
  const QString prefix = path + '|';
  for (auto it = cache_.begin(); it != cache_.end();) {
    if (it->key.startsWith(prefix)) {
      index_.remove(it->key);
      it = cache_.erase(it);
    } else {
      ++it;
    }
  }
}
