#include "rpc/remotesink.h"

#include "rpc/dispatch.h"
#include "rpc/marshal.h"

namespace rpc {

namespace {

// One file-name question: settled once, by the answer, the time running out or the end of
// the connection. Main thread.
struct Question {
  std::function<void(int32_t)> done;
  int32_t total = 0;
  bool settled = false;

  void Settle(int32_t value) {
    if (settled) return;
    settled = true;
    done(value);
  }
};

// nTotal from an answer's payload; `fallback` when the client had no sink for the event, has
// gone, or answered with something malformed.
int32_t AnsweredTotal(const std::vector<uint8_t>& payload, int32_t fallback) {
  if (payload.empty()) return fallback;
  int32_t total = fallback;
  FrameReader r(payload);
  ReadOuts<int32_t, const std::string&, int32_t, int32_t&>(r, 0, std::string(), 0, total);
  return r.ok() && r.AtEnd() ? total : fallback;
}

}  // namespace

template <class... P>
std::vector<uint8_t> RemoteSink::Body(void (IPelSrvEvents::*)(P...),
                                      std::type_identity_t<P>... args) {
  FrameWriter w;
  w.U32(cookie_);
  WriteIns<P...>(w, args...);
  return w.Take();
}

template <class... P>
std::vector<uint8_t> RemoteSink::Event(int32_t dispid, void (IPelSrvEvents::*event)(P...),
                                       std::type_identity_t<P>... args) {
  return EncodeFrame(FrameKind::kEvent, session_->NextEventSeq(), dispid, Body(event, args...));
}

template <class... P>
void RemoteSink::Fire(int32_t dispid, void (IPelSrvEvents::*event)(P...),
                      std::type_identity_t<P>... args) {
  session_->Send(Event(dispid, event, args...));
}

void RemoteSink::AskFilenameAck(int32_t dwCookie, const std::string& name, int32_t nRemain,
                                int32_t nTotal, std::function<void(int32_t)> done) {
  const auto body = Body(&IPelSrvEvents::OnFilenameAck, dwCookie, name, nRemain, nTotal);
  const uint32_t seq = session_->NextEventSeq();
  if (hearing_->deaf) {
    // The question it let run out is still open: its answer, whenever it comes, makes the
    // sink heard again. Meanwhile nobody waits for it.
    session_->Send(EncodeFrame(FrameKind::kEvent, seq, DISPID_OnFilenameAck, body));
    done(nTotal);
    return;
  }
  auto question = std::make_shared<Question>(Question{std::move(done), nTotal, false});
  auto hearing = hearing_;
  session_->ExpectAnswer(seq, [post = post_, question, hearing](std::vector<uint8_t> payload) {
    post([question, hearing, payload = std::move(payload)] {
      hearing->deaf = false;
      question->Settle(AnsweredTotal(payload, question->total));
    });
  });
  session_->Send(EncodeFrame(FrameKind::kEvent, seq, DISPID_OnFilenameAck, body));
  alarms_.At(Alarms::Clock::now() + answerTimeout_, [question, hearing] {
    if (question->settled) return;
    hearing->deaf = true;
    question->Settle(question->total);
  });
}

void RemoteSink::OnStatusChange(int32_t dwCookie, uint8_t state) {
  Fire(DISPID_OnStatusChange, &IPelSrvEvents::OnStatusChange, dwCookie, state);
}

void RemoteSink::OnSendProgress(int32_t dwCookie, int32_t ratio) {
  // One per block: it may wait for the stretch of work that fired it to end.
  session_->SendHeld(Event(DISPID_OnSendProgress, &IPelSrvEvents::OnSendProgress, dwCookie, ratio));
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
