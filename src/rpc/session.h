#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "rpc/frame.h"
#include "rpc/socket.h"

namespace rpc {

// One client connection on the server side. A reader thread cuts the incoming stream into
// frames and hands calls to a callback; a writer thread sends queued frames in order, so the
// server's main thread never blocks on a slow client. Answers to events are matched to the
// event they answer by sequence number.
class Session {
 public:
  using FrameHandler = std::function<void(Frame)>;

  Session(UniqueFd fd, uint64_t id);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  // Starts the threads. onFrame runs on the reader thread for every call frame; onClosed runs
  // once, on the reader thread, when the connection has ended (either side).
  void Start(FrameHandler onFrame, std::function<void()> onClosed);

  // Queues a whole frame (any thread). Dropped once the connection has ended.
  void Send(std::vector<uint8_t> frame);

  // An event that wants an answer: its sequence number and a future for the answer's payload
  // (empty when the connection ends first).
  uint32_t NextEventSeq();
  std::future<std::vector<uint8_t>> ExpectAnswer(uint32_t seq);
  void ForgetAnswer(uint32_t seq);

  // Sends what is queued, then ends the connection and joins the threads.
  void Close();

  uint64_t id() const { return id_; }

 private:
  void ReadLoop();
  void WriteLoop();
  void Shutdown();
  void FailAnswers();

  UniqueFd fd_;
  const uint64_t id_;
  FrameHandler onFrame_;
  std::function<void()> onClosed_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::vector<uint8_t>> queue_;
  bool closing_ = false;
  bool ended_ = false;
  uint32_t eventSeq_ = 0;
  std::map<uint32_t, std::promise<std::vector<uint8_t>>> answers_;

  std::thread reader_;
  std::thread writer_;
};

}  // namespace rpc
