#include "hoopdesk/startup/terminationsignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace {

// The pipe's write end for the handler; -1 while nobody watches.
std::atomic<int> gWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnTerminationSignal(int signal) {
  const int saved = errno;
  const int fd = gWriteEnd.load(std::memory_order_relaxed);
  if (fd >= 0) {
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request, so a lost byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TTerminationSignals::TTerminationSignals(QObject* parent) : QObject(parent) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd_ = rpc::UniqueFd(fds[0]);
  writeEnd_ = rpc::UniqueFd(fds[1]);
  int none = -1;
  if (!gWriteEnd.compare_exchange_strong(none, writeEnd_.get())) return;

  notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &TTerminationSignals::Drain);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    ::sigaction(kSignals[i], &action, &previous_[i]);
  watching_ = true;
}

TTerminationSignals::~TTerminationSignals() {
  if (!watching_) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    ::sigaction(kSignals[i], &previous_[i], nullptr);
  gWriteEnd.store(-1);
}

void TTerminationSignals::Drain() {
  unsigned char bytes[64];
  ssize_t n = 0;
  while ((n = ::read(readEnd_.get(), bytes, sizeof bytes)) > 0 || (n < 0 && errno == EINTR)) {
    for (ssize_t i = 0; i < n; ++i) emit terminationRequested(bytes[i]);
  }
}
