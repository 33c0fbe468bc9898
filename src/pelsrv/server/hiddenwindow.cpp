#include "pelsrv/server/hiddenwindow.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdint>
#include <utility>

#include "rpc/wakehold.h"

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
  bool descriptor = false;
  bool sleeper = false;
  {
    std::lock_guard lock(queueMutex_);
    // The wake of the work ahead of it is on its way or being handled, or the main thread is
    // taking work and finds this too.
    descriptor = queue_.empty() && !running_;
    sleeper = std::exchange(waiting_, false);
    queue_.push_back(std::move(f));
  }
  if (sleeper) {
    arrived_.Post();
  } else if (descriptor) {
    WriteWake();
  }
}

void HiddenWindow::WriteWake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wake_.get(), &one, sizeof one);
  ++wakes_;
}

void HiddenWindow::RunQueued() {
  // The descriptor is read before the queue is taken: a post that finds the queue empty after
  // that writes it again, and its wake is not lost.
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = ::read(wake_.get(), &count, sizeof count);
  bool left = false;
  {
    rpc::WakeHold hold;
    left = RunTurn();
  }
  // What is left waits for the next turn, after Qt's own events.
  if (left) WriteWake();
}

bool HiddenWindow::RunTurn() {
  auto now = Clock::now();
  const auto end = now + kTurn;
  auto ranOut = ranOut_;
  std::deque<std::function<void()>> batch;
  for (;;) {
    {
      std::lock_guard lock(queueMutex_);
      if (queue_.empty() || now >= end) {
        running_ = false;
        const bool left = !queue_.empty();
        // Still at work when the turn ends: the next turn may wait for more as this one did.
        ranOut_ = left ? now : ranOut;
        return left;
      }
      running_ = true;
      batch.swap(queue_);
    }
    // Work that came this soon after the last ran out answers it: more is worth a short wait.
    const bool answersAtOnce = now - ranOut < kShortWait;
    for (auto& f : batch) f();
    batch.clear();
    ranOut = Clock::now();
    if (answersAtOnce && ranOut < end) WaitBriefly();
    now = Clock::now();
  }
}

void HiddenWindow::WaitBriefly() {
  {
    std::lock_guard lock(queueMutex_);
    if (!queue_.empty()) return;
    waiting_ = true;
  }
  // A post that came after the time was up gave a wake that nobody waits for: the next wait
  // takes it and looks at the queue once more for nothing.
  const auto start = Clock::now();
  const bool woken = arrived_.WaitFor(kShortWait, spin_ ? kSpin : Clock::duration::zero());
  spin_ = woken && Clock::now() - start <= kSpin;
  std::lock_guard lock(queueMutex_);
  waiting_ = false;
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
