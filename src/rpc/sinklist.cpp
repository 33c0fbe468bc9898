#include "rpc/sinklist.h"

#include <algorithm>

namespace rpc {

HRESULT SinkList::Advise(IPelSrvEvents* sink, uint32_t* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  if (sinks_.size() >= kMaxSinks) return CONNECT_E_ADVISELIMIT;
  *cookie = nextCookie_++;
  sinks_.push_back({*cookie, sink});
  return S_OK;
}

HRESULT SinkList::Unadvise(uint32_t cookie) {
  auto it = std::find_if(sinks_.begin(), sinks_.end(),
                         [&](const Entry& e) { return e.cookie == cookie; });
  if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
  sinks_.erase(it);
  return S_OK;
}

// One AskFilenameAck on its way through the sinks advised when it began.
struct SinkList::Asking {
  std::vector<uint32_t> cookies;
  size_t next = 0;
  int32_t dwCookie;
  std::string name;
  int32_t nRemain;
  std::function<void(int32_t)> done;
};

IPelSrvEvents* SinkList::Find(uint32_t cookie) const {
  auto it = std::find_if(sinks_.begin(), sinks_.end(),
                         [&](const Entry& e) { return e.cookie == cookie; });
  return it == sinks_.end() ? nullptr : it->sink;
}

void SinkList::AskFilenameAck(int32_t dwCookie, const std::string& name, int32_t nRemain,
                              int32_t nTotal, std::function<void(int32_t)> done) {
  auto asking = std::make_shared<Asking>(Asking{{}, 0, dwCookie, name, nRemain, std::move(done)});
  for (const Entry& e : sinks_) asking->cookies.push_back(e.cookie);
  AskNext(std::move(asking), nTotal);
}

void SinkList::AskNext(std::shared_ptr<Asking> asking, int32_t nTotal) {
  // A sink unadvised meanwhile is left out.
  IPelSrvEvents* sink = nullptr;
  while (!sink && asking->next < asking->cookies.size())
    sink = Find(asking->cookies[asking->next++]);
  if (!sink) {
    asking->done(nTotal);
    return;
  }
  sink->AskFilenameAck(asking->dwCookie, asking->name, asking->nRemain, nTotal,
                       [this, alive = std::weak_ptr<int>(alive_), asking](int32_t total) {
                         if (alive.expired())
                           asking->done(total);
                         else
                           AskNext(asking, total);
                       });
}

template <class F>
void SinkList::ForEach(F&& f) {
  // A sink may be unadvised while an event is handed out (its client went away): walk a copy
  // and skip entries that are gone.
  const std::vector<Entry> snapshot = sinks_;
  for (const Entry& e : snapshot) {
    if (Find(e.cookie)) f(*e.sink);
  }
}

void SinkList::OnStatusChange(int32_t dwCookie, uint8_t state) {
  ForEach([&](IPelSrvEvents& s) { s.OnStatusChange(dwCookie, state); });
}
void SinkList::OnSendProgress(int32_t dwCookie, int32_t ratio) {
  ForEach([&](IPelSrvEvents& s) { s.OnSendProgress(dwCookie, ratio); });
}
void SinkList::OnSendStop(int32_t dwCookie, int32_t state) {
  ForEach([&](IPelSrvEvents& s) { s.OnSendStop(dwCookie, state); });
}
void SinkList::OnProgress(int32_t dwCookie, uint8_t state, int32_t nPos, int32_t nMax,
                          int32_t nError, uint16_t nRot, uint8_t nNeedleNo) {
  ForEach([&](IPelSrvEvents& s) {
    s.OnProgress(dwCookie, state, nPos, nMax, nError, nRot, nNeedleNo);
  });
}
void SinkList::OnFilenameAck(int32_t dwCookie, const std::string& name, int32_t nRemain,
                             int32_t& nTotal) {
  ForEach([&](IPelSrvEvents& s) { s.OnFilenameAck(dwCookie, name, nRemain, nTotal); });
}
void SinkList::OnComplete(int32_t dwCookie, int32_t bNormal, int32_t needleNo) {
  ForEach([&](IPelSrvEvents& s) { s.OnComplete(dwCookie, bNormal, needleNo); });
}
void SinkList::OnSyncSetup(int32_t nSyncMode, int32_t dwCookie, int32_t bSync) {
  ForEach([&](IPelSrvEvents& s) { s.OnSyncSetup(nSyncMode, dwCookie, bSync); });
}
void SinkList::OnSendStart(int32_t dwCookie) {
  ForEach([&](IPelSrvEvents& s) { s.OnSendStart(dwCookie); });
}

}  // namespace rpc
