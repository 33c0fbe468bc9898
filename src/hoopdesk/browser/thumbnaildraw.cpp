#include "hoopdesk/browser/thumbnaildraw.h"

#include <exception>

#include "hoopdesk/controls/bitmapimage.h"
#include "platform/bitmap.h"
#include "shared/stitchlist.h"

namespace {

constexpr std::uint32_t kShadeSeed = 1;

}  // namespace

TThumbnail DrawThumbnail(const TThumbnailRequest& request) {
  const QSize size = request.key.size;
  platform::Bitmap bitmap(size.width(), size.height());
  TStitch list;
  TStitch::ClearBitmap(bitmap);
  bool read = false;
  try {
    read = list.AddFile(request.key.path.toStdString(), request.palette, 0, 0) >= 0;
    if (read) list.DrawAll(bitmap, kShadeSeed);
  } catch (const std::exception&) {
    // Out of memory for a huge design on a worker: that file fails, the program goes on.
    read = false;
    TStitch::ClearBitmap(bitmap);
  }
  return {read ? TThumbnailStatus::Drawn : TThumbnailStatus::Failed, ToQImage(bitmap)};
}

QImage BlankThumbnail(QSize size) {
  QImage blank(size, QImage::Format_RGB32);
  blank.fill(Qt::white);
  return blank;
}
