#include "hoopdesk/browser/thumbnailworkers.h"

#include <QThread>
#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace {

// A few threads: a page holds eight designs, and a huge one holds a lot of memory while it is
// read.
constexpr int kMaxThreads = 4;

}  // namespace

struct TThumbnailWorkers::TMailbox {
  std::mutex mutex;  // guards running and results
  std::condition_variable arrived;
  std::vector<TThumbnailKey> running;
  std::vector<TResult> results;
};

TThumbnailWorkers::TThumbnailWorkers(QObject* parent)
    : QObject(parent), mailbox_(std::make_shared<TMailbox>()) {
  pool_.setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, kMaxThreads));
}

TThumbnailWorkers::~TThumbnailWorkers() {
  pool_.clear();
  pool_.waitForDone();
}

void TThumbnailWorkers::Submit(TThumbnailRequest request) {
  pool_.start([this, drawer = drawer_, mailbox = mailbox_, request = std::move(request)] {
    {
      const std::lock_guard lock(mailbox->mutex);
      mailbox->running.push_back(request.key);
    }
    TResult result{request.key, drawer(request)};
    {
      const std::lock_guard lock(mailbox->mutex);
      std::erase(mailbox->running, request.key);
      mailbox->results.push_back(std::move(result));
    }
    mailbox->arrived.notify_all();
    // The destructor waits for this job, so the object is still there.
    emit ready();
  });
}

std::vector<TThumbnailKey> TThumbnailWorkers::DropQueued() {
  pool_.clear();
  const std::lock_guard lock(mailbox_->mutex);
  std::vector<TThumbnailKey> kept = mailbox_->running;
  for (const TResult& result : mailbox_->results) kept.push_back(result.key);
  return kept;
}

std::vector<TThumbnailWorkers::TResult> TThumbnailWorkers::Take() {
  const std::lock_guard lock(mailbox_->mutex);
  return std::exchange(mailbox_->results, {});
}

bool TThumbnailWorkers::WaitForResult(std::optional<TClock::time_point> deadline) {
  std::unique_lock lock(mailbox_->mutex);
  const auto any = [this] { return !mailbox_->results.empty(); };
  if (!deadline) {
    mailbox_->arrived.wait(lock, any);
    return true;
  }
  return mailbox_->arrived.wait_until(lock, *deadline, any);
}
