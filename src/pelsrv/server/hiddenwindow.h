// The service's hidden window: the target every connection and the serial driver post to. It
// hands each message to the main thread, in order, and there to its handler.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/messagetarget.h"
#include "rpc/socket.h"
#include "rpc/wakeup.h"

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
  // written only by the post that finds the queue empty while the main thread is not taking
  // work: the posts behind it ride on the same wake, and work posted while the main thread runs
  // queued work is taken in the same turn. (Handing it through Qt's event queue would hide the
  // hand-over inside Qt from the thread checker, which sees only what this program's own code
  // synchronises.)
  //
  // A peer that answers at once (a machine pulling a transfer's blocks, each asked for by the
  // frame the main thread has just sent) would cost a descriptor write, a poll and a read per
  // answer. So when the last work came within kShortWait of the main thread running out, the
  // main thread sleeps that long on a futex of its own for more, which the next post wakes, before
  // it goes back to Qt's loop. While the work before came within kSpin of such a wait, it watches
  // for the next for kSpin before it sleeps: that spares both threads their futex calls and the
  // main thread its wake. A window with nothing to do costs no processor time, and one whose
  // peer answers slowly sleeps at once. A turn ends after kTurn at most, so Qt's own events get
  // theirs; progress events held meanwhile (rpc::WakeHold) go out at its end.
  void Invoke(std::function<void()> f);
  // Descriptor writes so far, one per wake (any thread).
  std::uint64_t Wakes() const { return wakes_; }
  // Asks the program to end (any thread).
  void PostClose();

  // The window procedure (main thread).
  void Handle(const platform::Message& message);

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kShortWait = std::chrono::milliseconds(1);
  static constexpr Clock::duration kTurn = std::chrono::milliseconds(5);
  static constexpr Clock::duration kSpin = std::chrono::microseconds(100);

  // Runs the queued work, and what is posted while it runs, for one turn (main thread, woken
  // by the descriptor).
  void RunQueued();
  // Runs one turn's work; whether work is left for the next turn.
  bool RunTurn();
  // Sleeps until work is posted or kShortWait has passed (main thread, in a turn).
  void WaitBriefly();
  void WriteWake();

  std::function<void(const platform::Message&)> handler_;
  rpc::UniqueFd wake_;
  std::unique_ptr<QSocketNotifier> wakeNotifier_;
  std::mutex queueMutex_;
  std::deque<std::function<void()>> queue_;
  bool running_ = false;  // the main thread takes posted work without a wake (under the lock)
  bool waiting_ = false;  // ... and sleeps on `arrived_` for it (under the lock)
  rpc::Wakeup arrived_;
  bool spin_ = false;           // the last brief wait ended within kSpin (main thread)
  Clock::time_point ranOut_{};  // when the main thread last ran out of work (main thread)
  std::atomic<std::uint64_t> wakes_{0};
  platform::TargetRegistration registration_;
};
