#include "rpc/remotesink.h"

#include "rpc/dispatch.h"
#include "rpc/marshal.h"

namespace rpc {

template <class... P>
void RemoteSink::Fire(int32_t dispid, void (IPelSrvEvents::*)(P...),
                      std::type_identity_t<P>... args) {
  FrameWriter w;
  w.U32(cookie_);
  WriteIns<P...>(w, args...);
  if (!EventWantsAnswer(dispid)) {
    session_->Send(EncodeFrame(FrameKind::kEvent, session_->NextEventSeq(), dispid, w.bytes()));
    return;
  }
  const uint32_t seq = session_->NextEventSeq();
  auto answer = session_->ExpectAnswer(seq);
  session_->Send(EncodeFrame(FrameKind::kEvent, seq, dispid, w.bytes()));
  if (answer.wait_for(answerTimeout_) != std::future_status::ready) {
    session_->ForgetAnswer(seq);
    return;
  }
  const std::vector<uint8_t> payload = answer.get();
  if (payload.empty()) return;  // the client had no sink for it, or has gone
  // Read into copies first, so a malformed answer changes nothing.
  std::tuple<typename Param<P>::Value...> copies{args...};
  FrameReader r(payload);
  std::apply([&](auto&... c) { ReadOuts<P...>(r, c...); }, copies);
  if (!r.ok() || !r.AtEnd()) return;
  std::apply([&](auto&... c) { ((void)CommitOut<P>(args, c), ...); }, copies);
}

void RemoteSink::OnStatusChange(int32_t dwCookie, uint8_t state) {
  Fire(DISPID_OnStatusChange, &IPelSrvEvents::OnStatusChange, dwCookie, state);
}

void RemoteSink::OnSendProgress(int32_t dwCookie, int32_t ratio) {
  Fire(DISPID_OnSendProgress, &IPelSrvEvents::OnSendProgress, dwCookie, ratio);
}

void RemoteSink::OnSendStop(int32_t dwCookie, int32_t state) {
  Fire(DISPID_OnSendStop, &IPelSrvEvents::OnSendStop, dwCookie, state);
}

void RemoteSink::OnProgress(int32_t dwCookie, uint8_t state, int32_t nPos, int32_t nMax,
                            int32_t nError, uint16_t nRot, uint8_t nNeedleNo) {
  Fire(DISPID_OnProgress, &IPelSrvEvents::OnProgress, dwCookie, state, nPos, nMax, nError, nRot,
       nNeedleNo);
}

void RemoteSink::OnFilenameAck(int32_t dwCookie, const std::string& name, int32_t nRemain,
                               int32_t& nTotal) {
  Fire(DISPID_OnFilenameAck, &IPelSrvEvents::OnFilenameAck, dwCookie, name, nRemain, nTotal);
}

void RemoteSink::OnComplete(int32_t dwCookie, int32_t bNormal, int32_t needleNo) {
  Fire(DISPID_OnComplete, &IPelSrvEvents::OnComplete, dwCookie, bNormal, needleNo);
}

void RemoteSink::OnSyncSetup(int32_t nSyncMode, int32_t dwCookie, int32_t bSync) {
  Fire(DISPID_OnSyncSetup, &IPelSrvEvents::OnSyncSetup, nSyncMode, dwCookie, bSync);
}

void RemoteSink::OnSendStart(int32_t dwCookie) {
  Fire(DISPID_OnSendStart, &IPelSrvEvents::OnSendStart, dwCookie);
}

}  // namespace rpc
