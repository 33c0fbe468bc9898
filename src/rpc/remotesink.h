#pragma once

#include <chrono>
#include <memory>

#include "pelsrvapi/pelservice_tlb.h"
#include "rpc/alarms.h"
#include "rpc/session.h"

namespace rpc {

// An IPelSrvEvents sink that lives in a client process: each event becomes a frame on the
// client's connection, queued, never waited for. OnFilenameAck's nTotal comes back through
// AskFilenameAck: its answer settles the question when it comes within the answer time;
// otherwise the value stays as it was. A sink that let the time run out is not waited for
// again until it answers something (its events still go out); the main thread never waits.
class RemoteSink : public IPelSrvEvents {
 public:
  RemoteSink(std::shared_ptr<Session> session, std::chrono::milliseconds answerTimeout,
             MainThreadPost post, Alarms& alarms)
      : session_(std::move(session)),
        answerTimeout_(answerTimeout),
        post_(std::move(post)),
        alarms_(alarms) {}

  void set_cookie(uint32_t cookie) { cookie_ = cookie; }
  uint32_t cookie() const { return cookie_; }

  void OnStatusChange(int32_t dwCookie, uint8_t state) override;
  void OnSendProgress(int32_t dwCookie, int32_t ratio) override;
  void OnSendStop(int32_t dwCookie, int32_t state) override;
  void OnProgress(int32_t dwCookie, uint8_t state, int32_t nPos, int32_t nMax, int32_t nError,
                  uint16_t nRot, uint8_t nNeedleNo) override;
  // Sends the event without waiting: nTotal stays as it is.
  void OnFilenameAck(int32_t dwCookie, const std::string& name, int32_t nRemain,
                     int32_t& nTotal) override;
  void AskFilenameAck(int32_t dwCookie, const std::string& name, int32_t nRemain, int32_t nTotal,
                      std::function<void(int32_t)> done) override;
  void OnComplete(int32_t dwCookie, int32_t bNormal, int32_t needleNo) override;
  void OnSyncSetup(int32_t nSyncMode, int32_t dwCookie, int32_t bSync) override;
  void OnSendStart(int32_t dwCookie) override;

 private:
  // Main thread: whether the client let an answer's time run out and has not answered since.
  struct Hearing {
    bool deaf = false;
  };

  template <class... P>
  std::vector<uint8_t> Body(void (IPelSrvEvents::*)(P...), std::type_identity_t<P>... args);
  // The event's whole frame, with the next sequence number.
  template <class... P>
  std::vector<uint8_t> Event(int32_t dispid, void (IPelSrvEvents::*event)(P...),
                             std::type_identity_t<P>... args);
  template <class... P>
  void Fire(int32_t dispid, void (IPelSrvEvents::*event)(P...), std::type_identity_t<P>... args);

  std::shared_ptr<Session> session_;
  std::chrono::milliseconds answerTimeout_;
  MainThreadPost post_;
  Alarms& alarms_;
  std::shared_ptr<Hearing> hearing_ = std::make_shared<Hearing>();
  uint32_t cookie_ = 0;
};

}  // namespace rpc
