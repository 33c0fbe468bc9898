// The program's picture for the About dialog: a hoop with a stitched line and the name.
#pragma once

#include <QPixmap>
#include <QSize>

QPixmap AboutPicture(QSize size);
