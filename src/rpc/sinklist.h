#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pelsrvapi/pelservice_tlb.h"

namespace rpc {

// The connection point of the server object: at most five advised IPelSrvEvents sinks, and an
// IPelSrvEvents that hands each event to every one of them in the order they were advised.
// OnFilenameAck's nTotal passes from sink to sink; AskFilenameAck asks the next sink once the
// one before has answered, without waiting on the way. Main thread only.
class SinkList : public IPelSrvEvents, public IPelSrvConnectionPoint {
 public:
  static constexpr size_t kMaxSinks = 5;

  HRESULT Advise(IPelSrvEvents* sink, uint32_t* cookie) override;
  HRESULT Unadvise(uint32_t cookie) override;
  size_t size() const { return sinks_.size(); }

  void OnStatusChange(int32_t dwCookie, uint8_t state) override;
  void OnSendProgress(int32_t dwCookie, int32_t ratio) override;
  void OnSendStop(int32_t dwCookie, int32_t state) override;
  void OnProgress(int32_t dwCookie, uint8_t state, int32_t nPos, int32_t nMax, int32_t nError,
                  uint16_t nRot, uint8_t nNeedleNo) override;
  void OnFilenameAck(int32_t dwCookie, const std::string& name, int32_t nRemain,
                     int32_t& nTotal) override;
  void AskFilenameAck(int32_t dwCookie, const std::string& name, int32_t nRemain, int32_t nTotal,
                      std::function<void(int32_t)> done) override;
  void OnComplete(int32_t dwCookie, int32_t bNormal, int32_t needleNo) override;
  void OnSyncSetup(int32_t nSyncMode, int32_t dwCookie, int32_t bSync) override;
  void OnSendStart(int32_t dwCookie) override;

 private:
  struct Entry {
    uint32_t cookie;
    IPelSrvEvents* sink;
  };
  struct Asking;

  template <class F>
  void ForEach(F&& f);
  IPelSrvEvents* Find(uint32_t cookie) const;
  void AskNext(std::shared_ptr<Asking> asking, int32_t nTotal);

  std::vector<Entry> sinks_;
  uint32_t nextCookie_ = 1;
  // Answers that come after the list has gone find this expired.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace rpc
