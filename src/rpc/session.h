#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "rpc/frame.h"
#include "rpc/framebudget.h"
#include "rpc/socket.h"
#include "rpc/wakeup.h"

namespace rpc {

// What one client may make the server hold.
struct SessionLimits {
  // Replies and events queued for a client that does not read them; past it the client is
  // dropped.
  size_t maxQueuedBytes = 4u << 20;
  // A large frame, once under way, must keep coming: a client that sends nothing of it for
  // this long is dropped, giving its share of the frame budget back.
  std::chrono::milliseconds stallTimeout{30000};
  // Calls of one client waiting for the main thread; its reader waits while there are more.
  size_t maxWaitingCalls = 64;
};

// What a call holds until it has been handled: its bytes in the budget of all clients and its
// place among the calls its client may have waiting.
struct CallHold {
  std::unique_ptr<FrameBudget::Hold> bytes;
  std::unique_ptr<FrameBudget::Hold> place;
};

// One client connection on the server side. A reader thread cuts the incoming stream into
// frames and hands calls to a callback; a writer thread sends queued frames in order, so the
// server's main thread never blocks on a slow client. The writer is woken only when it sleeps
// with nothing queued, and writes all that has gathered in one go. Answers to events are
// matched to the event they answer by sequence number. Every call holds its bytes in the
// shared frame budget until the callback's receiver lets go of them.
class Session : public std::enable_shared_from_this<Session> {
 public:
  using FrameHandler = std::function<void(Frame, CallHold)>;

  Session(UniqueFd fd, uint64_t id, std::shared_ptr<FrameBudget> budget, SessionLimits limits = {});
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  // Starts the threads. onFrame runs on the reader thread for every call frame; onClosed runs
  // once, on the reader thread, when the connection has ended (either side).
  void Start(FrameHandler onFrame, std::function<void()> onClosed);

  // Queues a whole frame (any thread). Dropped once the connection has ended; a frame that
  // would take the queue past its bound ends the connection.
  void Send(std::vector<uint8_t> frame);
  // The same for a frame that can wait a moment: a sleeping writer is woken when the WakeHold
  // open on this thread ends (at once when there is none, or when the session is not owned by
  // a shared pointer). Frames keep their order with the others either way.
  void SendHeld(std::vector<uint8_t> frame);
  // Wakes the writer for the frames that wait for it (WakeHold).
  void GiveHeldWake();

  // An event that wants an answer: its sequence number, and what to do with the answer's
  // payload when it comes, on the reader thread (an empty payload when the connection ends
  // first; at once when it has ended already).
  using AnswerHandler = std::function<void(std::vector<uint8_t>)>;
  uint32_t NextEventSeq();
  void ExpectAnswer(uint32_t seq, AnswerHandler onAnswer);

  // Sends what is queued, then ends the connection and joins the threads.
  void Close();

  uint64_t id() const { return id_; }
  // Times the sleeping writer was woken (any thread).
  uint64_t WriterWakes() const { return writerWakes_.load(std::memory_order_relaxed); }

 private:
  void ReadLoop();
  bool Deliver(Frame frame, std::unique_ptr<FrameBudget::Hold>* partial);
  bool WaitForBytes();
  bool Stopping();
  void WriteLoop();
  // Queues the frame (under the lock); whether the writer sleeps with it queued.
  bool Queue(std::vector<uint8_t> frame);
  // Wakes the writer when it was found asleep (the flag taken under the lock).
  void WakeWriter(bool asleep);
  void Shutdown();
  void FailAnswers();

  UniqueFd fd_;
  const uint64_t id_;
  std::shared_ptr<FrameBudget> budget_;
  const SessionLimits limits_;
  std::shared_ptr<FrameBudget> waitingCalls_;
  FrameHandler onFrame_;
  std::function<void()> onClosed_;

  std::mutex mutex_;
  Wakeup writerWake_;
  std::vector<std::vector<uint8_t>> queue_;
  size_t queuedBytes_ = 0;
  bool writerAsleep_ = false;  // the writer waits for frames and no wake is on its way
  std::atomic<uint64_t> writerWakes_{0};
  bool closing_ = false;
  bool ended_ = false;
  uint32_t eventSeq_ = 0;
  std::map<uint32_t, AnswerHandler> answers_;

  std::thread reader_;
  std::thread writer_;
};

}  // namespace rpc
