// TPanelImage: a picture that looks the same enabled or not. A disabled machine panel takes no
// drops or clicks, but its picture is the panel manager's to draw, not the style's to grey.
#pragma once

#include <QLabel>

class TPanelImage : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
