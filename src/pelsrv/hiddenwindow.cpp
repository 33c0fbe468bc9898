#include "pelsrv/hiddenwindow.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {

// Adapts the message registry to the window: a delivered message becomes a queued call on the
// main thread. Qt drops queued calls to a window that has been destroyed.
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
    : handler_(std::move(handler)), registration_(std::make_shared<WindowTarget>(this)) {}

HiddenWindow::~HiddenWindow() { registration_.Reset(); }

void HiddenWindow::Invoke(std::function<void()> f) {
  QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
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
