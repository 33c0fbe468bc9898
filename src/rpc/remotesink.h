#pragma once

#include <chrono>
#include <memory>

#include "pelsrv/pelservice_tlb.h"
#include "rpc/session.h"

namespace rpc {

// An IPelSrvEvents sink that lives in a client process: each event becomes a frame on the
// client's connection. Events are queued, never waited for, except OnFilenameAck, whose nTotal
// the server needs: the main thread waits, bounded, for the client's answer; without one the
// value stays as it was.
class RemoteSink : public IPelSrvEvents {
 public:
  RemoteSink(std::shared_ptr<Session> session, std::chrono::milliseconds answerTimeout)
      : session_(std::move(session)), answerTimeout_(answerTimeout) {}

  void set_cookie(uint32_t cookie) { cookie_ = cookie; }
  uint32_t cookie() const { return cookie_; }

  void OnStatusChange(int32_t dwCookie, uint8_t state) override;
  void OnSendProgress(int32_t dwCookie, int32_t ratio) override;
  void OnSendStop(int32_t dwCookie, int32_t state) override;
  void OnProgress(int32_t dwCookie, uint8_t state, int32_t nPos, int32_t nMax, int32_t nError,
                  uint16_t nRot, uint8_t nNeedleNo) override;
  void OnFilenameAck(int32_t dwCookie, const std::string& name, int32_t nRemain,
                     int32_t& nTotal) override;
  void OnComplete(int32_t dwCookie, int32_t bNormal, int32_t needleNo) override;
  void OnSyncSetup(int32_t nSyncMode, int32_t dwCookie, int32_t bSync) override;
  void OnSendStart(int32_t dwCookie) override;

 private:
  template <class... P>
  void Fire(int32_t dispid, void (IPelSrvEvents::*)(P...), std::type_identity_t<P>... args);

  std::shared_ptr<Session> session_;
  std::chrono::milliseconds answerTimeout_;
  uint32_t cookie_ = 0;
};

}  // namespace rpc
