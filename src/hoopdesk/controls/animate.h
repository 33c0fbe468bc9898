// TAnimate: the animation control a TAniButton shows while it is active. It plays one of the
// program's clips, named by resource id, in a loop.
#pragma once

#include <QTimer>
#include <QWidget>

class TAnimate : public QWidget {
  Q_OBJECT

 public:
  // The transfer animation on the machine panels' send buttons.
  static constexpr int kTransferClip = 136;

  explicit TAnimate(QWidget* parent);

  // Chooses the clip; false, and nothing to play, for an id that names none.
  bool Open(int resId);
  // Plays the open clip from its first frame; nothing without one.
  void Play();
  void Stop();
  bool IsActive() const { return timer_.isActive(); }
  int Frame() const { return frame_; }
  static int FrameCount(int resId);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void NextFrame();

  QTimer timer_;
  int clip_ = 0;
  int frame_ = 0;
};
