// The service's hidden window: the target every connection and the serial driver post to. It
// hands each message to the main thread, in order, and there to its handler.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/messagetarget.h"
#include "rpc/socket.h"

class HiddenWindow : public QObject {
 public:
  static constexpr std::uint32_t WM_NULL = 0x0000;
  static constexpr std::uint32_t WM_CLOSE = 0x0010;

  // handler runs on the main thread for every message but WM_NULL and WM_CLOSE; WM_CLOSE ends
  // the event loop.
  explicit HiddenWindow(std::function<void(const platform::Message&)> handler = {});
  ~HiddenWindow() override;

  void SetHandler(std::function<void(const platform::Message&)> handler) {
    handler_ = std::move(handler);
  }
  platform::TargetId Id() const { return registration_.Id(); }

  // Runs f on the main thread, after what is already posted (any thread). The work waits in
  // a queue of the window's own, under its lock; an event descriptor wakes the main thread,
  // written only by the post that finds the queue empty: the posts behind it ride on the same
  // wake. (Handing it through Qt's event queue would hide the hand-over inside Qt from the
  // thread checker, which sees only what this program's own code synchronises.)
  void Invoke(std::function<void()> f);
  // Descriptor writes so far, one per wake (any thread).
  std::uint64_t Wakes() const { return wakes_; }
  // Asks the program to end (any thread).
  void PostClose();

  // The window procedure (main thread).
  void Handle(const platform::Message& message);

 private:
  // Runs the queued work (main thread, woken by the descriptor).
  void RunQueued();

  std::function<void(const platform::Message&)> handler_;
  rpc::UniqueFd wake_;
  std::unique_ptr<QSocketNotifier> wakeNotifier_;
  std::mutex queueMutex_;
  std::deque<std::function<void()>> queue_;
  std::atomic<std::uint64_t> wakes_{0};
  platform::TargetRegistration registration_;
};
