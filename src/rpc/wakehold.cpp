#include "rpc/wakehold.h"

#include <algorithm>
#include <utility>

#include "rpc/session.h"

namespace rpc {

namespace {
thread_local WakeHold* open = nullptr;
}  // namespace

WakeHold::WakeHold() : outermost_(open == nullptr) {
  if (outermost_) open = this;
}

WakeHold::~WakeHold() {
  if (!outermost_) return;
  Release();
  open = nullptr;
}

void WakeHold::Release() {
  // A session's wake may queue more (it never does today); take the list first.
  auto held = std::exchange(held_, {});
  for (auto& weak : held) {
    if (auto session = weak.lock()) session->GiveHeldWake();
  }
}

bool WakeHold::Keep(std::weak_ptr<Session> session) {
  if (open == nullptr) return false;
  auto& held = open->held_;
  const bool known = std::any_of(held.begin(), held.end(), [&](const std::weak_ptr<Session>& s) {
    return !s.owner_before(session) && !session.owner_before(s);
  });
  if (!known) held.push_back(std::move(session));
  return true;
}

}  // namespace rpc
