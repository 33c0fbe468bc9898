// hoopdesk-grab: saves what the X display shows as a PNG, for end-to-end screenshots.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("usage: hoopdesk-grab OUT.png\n", stderr);
    return 2;
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return 1;
  return screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
