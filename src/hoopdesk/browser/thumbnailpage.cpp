#include "hoopdesk/browser/thumbnailpage.h"

int TThumbnailPage::SlotOf(int index) const {
  if (index < 0) return -1;
  const int slot = index - FileIndex(0);
  return slot >= 0 && slot < kSlots ? slot : -1;
}

QString TThumbnailPage::Caption(const QString& fileName) {
  QString caption = fileName;
  caption.chop(4);
  return caption.left(kCaptionLength);
}

QRect TThumbnailPage::ImageRect(int slot) {
  const int x = slot % kColumns == 0 ? 16 : 140;
  return QRect(QPoint(x, 10 + kRowPitch * (slot / kColumns)), kImageSize);
}

QRect TThumbnailPage::LabelRect(int slot) {
  const QRect image = ImageRect(slot);
  return QRect(image.left(), image.top() + 110, image.width(), 14);
}

TPanelPartPlaces PlacePanelPart(int partWidth, QSize container, int barWidth, int buttonWidth) {
  const int h = container.height();
  return {QPoint((partWidth - container.width()) / 2, 8),
          QRect(container.width() - barWidth, 0, barWidth, h),
          QPoint((partWidth - buttonWidth) / 2, h + 23)};
}
