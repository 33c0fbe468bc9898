// The page of design thumbnails, apart from its widgets: eight slots, two a row, one row every
// 128 pixels. Which file of the list a slot shows and whether it shows one, its caption, the
// slot the selection frame goes round, and where the panel's parts go when it is resized.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class TThumbnailPage {
 public:
  static constexpr int kSlots = 8;
  static constexpr int kColumns = 2;
  static constexpr int kRowPitch = 128;
  static constexpr int kCaptionLength = 12;
  static constexpr QSize kImageSize{100, 108};

  // The page that starts at row `topRow` of a list of `count` files.
  TThumbnailPage(int topRow, int count) : topRow_(topRow), count_(count) {}

  // The file-list index that slot `slot` shows.
  int FileIndex(int slot) const { return topRow_ * kColumns + slot; }
  // A slot shows a thumbnail exactly when the list reaches its index.
  bool Shown(int slot) const { return FileIndex(slot) < count_; }
  // The slot that shows file `index`, -1 for none (-1) or a file off the page.
  int SlotOf(int index) const;

  // A file's caption: its name without the extension's four characters, at most 12 of them.
  static QString Caption(const QString& fileName);
  // Where slot `slot`'s image and its caption lie in the container.
  static QRect ImageRect(int slot);
  static QRect LabelRect(int slot);

 private:
  int topRow_;
  int count_;
};

// Where the parts of the thumbnail panel go: the container of the thumbnails and, below it,
// the "&Color" button, both centred across the panel; the scroll bar along the container's
// right edge.
struct TPanelPartPlaces {
  QPoint container;
  QRect bar;  // in the container
  QPoint colorButton;
  friend bool operator==(const TPanelPartPlaces&, const TPanelPartPlaces&) = default;
};

// The height asked of the container in a panel `partHeight` high; the container keeps it
// within its own limits (TImgContainer::SetHeight).
constexpr int ContainerHeightFor(int partHeight) { return partHeight - 65; }

// The places in a panel `partWidth` wide, for the container of the size it took.
TPanelPartPlaces PlacePanelPart(int partWidth, QSize container, int barWidth, int buttonWidth);
