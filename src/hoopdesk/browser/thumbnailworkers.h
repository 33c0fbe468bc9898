// Worker threads that draw thumbnails while the window goes on. A request goes in by value and
// its result comes back by value; the owner takes results on its own thread, when `ready` says
// there are some, or by waiting for them a short while.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "hoopdesk/browser/thumbnaildraw.h"

class TThumbnailWorkers : public QObject {
  Q_OBJECT
 public:
  using TClock = std::chrono::steady_clock;
  struct TResult {
    TThumbnailKey key;
    TThumbnail thumbnail;
  };

  explicit TThumbnailWorkers(QObject* parent = nullptr);
  // Requests not begun are dropped; those under way are waited for.
  ~TThumbnailWorkers() override;

  // Draws with `drawer` from the next request on.
  void SetDrawer(TThumbnailDrawer drawer) { drawer_ = std::move(drawer); }
  void Submit(TThumbnailRequest request);
  // The results done so far, in the order they were done.
  std::vector<TResult> Take();
  // Drops the requests not begun yet; the keys of those under way or done and not taken.
  std::vector<TThumbnailKey> DropQueued();
  // Waits until a result is there or the deadline (none: no deadline) passed; true when one is.
  bool WaitForResult(std::optional<TClock::time_point> deadline);

 signals:
  // Emitted from a worker thread when a result was put in; delivered to the owner's thread.
  void ready();

 private:
  struct TMailbox;

  TThumbnailDrawer drawer_ = DrawThumbnail;
  std::shared_ptr<TMailbox> mailbox_;
  QThreadPool pool_;
};
