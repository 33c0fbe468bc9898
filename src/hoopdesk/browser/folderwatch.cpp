#include "hoopdesk/browser/folderwatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cstring>

namespace {

constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                  IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr int kMaxNames = 4096;  // beyond this the change is still signalled, names dropped

}  // namespace

TFolderWatch::TFolderWatch(QObject* parent) : QObject(parent) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &TFolderWatch::Read);
}

TFolderWatch::~TFolderWatch() {
  notifier_.reset();
  if (fd_ >= 0) ::close(fd_);
}

void TFolderWatch::Stop() {
  if (fd_ >= 0 && wd_ >= 0) inotify_rm_watch(fd_, wd_);
  wd_ = -1;
  Read();
  signalled_ = false;
  names_.clear();
}

bool TFolderWatch::Watch(const QString& folder) {
  Stop();
  if (fd_ < 0) return false;
  wd_ = inotify_add_watch(fd_, folder.toLocal8Bit().constData(), kEvents | IN_ONLYDIR);
  return wd_ >= 0;
}

QSet<QString> TFolderWatch::Take() {
  signalled_ = false;
  return std::exchange(names_, {});
}

void TFolderWatch::Read() {
  if (fd_ < 0) return;
  alignas(inotify_event) std::array<char, 16384> buffer;
  bool any = false;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
    if (n <= 0) break;
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      inotify_event event;
      std::memcpy(&event, buffer.data() + at, sizeof event);
      const ssize_t next = at + static_cast<ssize_t>(sizeof event) + event.len;
      if (next > n) break;
      // A queue that overflowed lost events of unknown names: the folder is read again.
      if (event.wd == wd_ || (event.mask & IN_Q_OVERFLOW) != 0) {
        any = true;
        if (event.len > 0 && names_.size() < kMaxNames) {
          const char* name = buffer.data() + at + sizeof event;
          names_.insert(
              QString::fromLocal8Bit(name, static_cast<qsizetype>(strnlen(name, event.len))));
        }
      }
      at = next;
    }
  }
  if (any && !signalled_) {
    signalled_ = true;
    emit signalled();
  }
}
