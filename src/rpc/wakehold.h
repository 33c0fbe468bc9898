#pragma once

#include <memory>
#include <vector>

namespace rpc {

class Session;

// Holds back, on the thread that opens it, the writer wakes of frames that can wait a moment
// (a transfer's progress events, one per block): each session's writer is woken once when the
// hold ends, for all the frames that gathered, instead of once per frame. The thread opens a
// hold around a stretch of work that ends before it rests, so nothing waits longer than that
// stretch. Holds nest; the outermost gives the wakes.
//
// Threads: a hold belongs to the thread that made it; other threads never see it.
class WakeHold {
 public:
  WakeHold();
  ~WakeHold();
  WakeHold(const WakeHold&) = delete;
  WakeHold& operator=(const WakeHold&) = delete;

  // Gives the wakes held so far (the hold stays open).
  void Release();

  // Keeps the session's wake for the hold open on this thread; false when there is none.
  static bool Keep(std::weak_ptr<Session> session);

 private:
  bool outermost_;
  std::vector<std::weak_ptr<Session>> held_;
};

}  // namespace rpc
