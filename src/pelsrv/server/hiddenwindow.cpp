#include "pelsrv/server/hiddenwindow.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdint>

namespace {

// Adapts the message registry to the window: a delivered message becomes a queued call on the
// main thread.
class WindowTarget : public platform::MessageTarget {
 public:
  explicit WindowTarget(HiddenWindow* window) : window_(window) {}
  void Deliver(platform::Message message) override {
    window_->Invoke([w = window_, message] { w->Handle(message); });
  }

 private:
  HiddenWindow* window_;
};

}  // namespace

HiddenWindow::HiddenWindow(std::function<void(const platform::Message&)> handler)
    : handler_(std::move(handler)), wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  // Without its descriptor the process could not run at all: fail at once and loudly.
  if (!wake_.valid()) qFatal("cannot make the hidden window's event descriptor");
  wakeNotifier_ = std::make_unique<QSocketNotifier>(wake_.get(), QSocketNotifier::Read);
  QObject::connect(wakeNotifier_.get(), &QSocketNotifier::activated, this,
                   &HiddenWindow::RunQueued);
  registration_ = platform::TargetRegistration(std::make_shared<WindowTarget>(this));
}

HiddenWindow::~HiddenWindow() { registration_.Reset(); }

void HiddenWindow::Invoke(std::function<void()> f) {
  bool first = false;
  {
    std::lock_guard lock(queueMutex_);
    first = queue_.empty();
    queue_.push_back(std::move(f));
  }
  if (!first) return;  // the wake of the work ahead of it is on its way or being handled
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wake_.get(), &one, sizeof one);
  ++wakes_;
}

void HiddenWindow::RunQueued() {
  // The descriptor is read before the queue is taken: a post that finds the queue empty after
  // that writes it again, and its wake is not lost.
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = ::read(wake_.get(), &count, sizeof count);
  // What is queued now runs now; work queued meanwhile wakes the window again and runs on the
  // next wake, after Qt's own events had their turn.
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(queueMutex_);
    batch.swap(queue_);
  }
  for (auto& f : batch) f();
}

void HiddenWindow::PostClose() { platform::Post(Id(), WM_CLOSE, 0, 0); }

void HiddenWindow::Handle(const platform::Message& message) {
  switch (message.msg) {
    case WM_NULL:
      break;  // queued calls run through the event loop itself
    case WM_CLOSE:
      QCoreApplication::exit(0);
      break;
    default:
      if (handler_) handler_(message);
      break;
  }
}
