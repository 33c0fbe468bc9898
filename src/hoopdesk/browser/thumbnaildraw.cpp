#include "hoopdesk/browser/thumbnaildraw.h"

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
  const bool read = list.AddFile(request.key.path.toStdString(), request.palette, 0, 0) >= 0;
  if (read) list.DrawAll(bitmap, kShadeSeed);
  return {read ? TThumbnailStatus::Drawn : TThumbnailStatus::Failed, ToQImage(bitmap)};
}

QImage BlankThumbnail(QSize size) {
  QImage blank(size, QImage::Format_RGB32);
  blank.fill(Qt::white);
  return blank;
}
