#include "rpc/pelsrvclient.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <thread>

#include "platform/errorinfo.h"
#include "rpc/dispatch.h"
#include "rpc/marshal.h"
#include "rpc/publication.h"
#include "rpc/rpcserver.h"
#include "rpc/serverconnector.h"

namespace rpc {

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kReadChunk = 256 * 1024;
constexpr size_t kMiB = size_t{1} << 20;

}  // namespace

HRESULT PelSrvClient::ConnectTo(const std::filesystem::path& path,
                                std::unique_ptr<PelSrvClient>* out,
                                std::chrono::milliseconds callTimeout) {
  bool queueFull = false;
  UniqueFd fd = ConnectUnix(path, &queueFull);
  // A server that lets connections pile up unaccepted does not answer either.
  if (!fd.valid()) return queueFull ? RPC_E_TIMEOUT : CO_E_SERVER_EXEC_FAILURE;
  // Talk only to a server of our own user, whoever put the socket there.
  if (PeerUid(fd.get()) != static_cast<int64_t>(::getuid())) return E_ACCESSDENIED;
  auto client = std::make_unique<PelSrvClient>(std::move(fd));
  client->SetCallTimeout(callTimeout);
  // A connection waiting to be accepted holds no reference yet: only the answer to the first
  // call says that the server counts this client (and will not end under it).
  std::vector<uint8_t> reply;
  const HRESULT hr = client->Roundtrip(kCallAttach, {}, &reply);
  if (FAILED(hr)) return hr == RPC_E_DISCONNECTED ? CO_E_SERVER_EXEC_FAILURE : hr;
  *out = std::move(client);
  return S_OK;
}

HRESULT PelSrvClient::Attach(std::unique_ptr<PelSrvClient>* out,
                             std::chrono::milliseconds callTimeout) {
  auto ref = ReadPublication();
  if (!ref) return CO_E_SERVER_EXEC_FAILURE;
  return ConnectTo(ref->socketPath, out, callTimeout);
}

HRESULT PelSrvClient::Create(std::unique_ptr<PelSrvClient>* out,
                             std::chrono::milliseconds startTimeout) {
  ServerConnector connector(startTimeout);
  for (;;) {
    const HRESULT hr = connector.Poll(out);
    if (hr != E_PENDING) return hr;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void PelSrvClient::SetCallTimeout(std::chrono::milliseconds timeout) {
  callTimeout_ = std::max(timeout, std::chrono::milliseconds::zero());
}

std::chrono::milliseconds PelSrvClient::StreamCallTimeout(size_t streamBytes) const {
  const size_t startedMiB = streamBytes / kMiB + (streamBytes % kMiB != 0);
  return callTimeout_ + kStreamTimeoutPerMiB * static_cast<int64_t>(startedMiB);
}

LinkState PelSrvClient::linkState() const {
  if (!fd_.valid()) return LinkState::kLost;
  return stalled_ || ProbeOverdue() ? LinkState::kStalled : LinkState::kUp;
}

bool PelSrvClient::ProbeOverdue() const { return probe_ != 0 && Clock::now() >= probeDeadline_; }

void PelSrvClient::TakeOverdueProbe() {
  if (!ProbeOverdue()) return;
  Abandon(probe_);
  probe_ = 0;
}

void PelSrvClient::Probe() {
  TakeOverdueProbe();
  if (!fd_.valid() || stalled_ || probe_ != 0) return;
  const uint32_t seq = ++seq_;
  const auto frame = EncodeFrame(FrameKind::kCall, seq, DISPID_MachineCount, {});
  const Deadline deadline = Clock::now() + callTimeout_;
  size_t written = 0;
  if (SendBefore(fd_.get(), frame, deadline, &written) != SendResult::kSent) {
    // As for a call: a frame cut off leaves a stream that can carry no further frame.
    Drop();
    return;
  }
  probe_ = seq;
  probeDeadline_ = deadline;
}

void PelSrvClient::Drop() {
  // The descriptor stays open, shut down, until the client goes: a notifier that watches its
  // number sees the end of the connection, never another file that got the same number.
  if (fd_.valid()) {
    ::shutdown(fd_.get(), SHUT_RDWR);
    dropped_ = std::move(fd_);
  }
  replies_.clear();
  abandoned_.clear();
  stalled_ = false;
  probe_ = 0;
}

void PelSrvClient::Abandon(uint32_t seq) {
  abandoned_.push_back(seq);
  if (abandoned_.size() > kMaxAbandoned) abandoned_.pop_front();
  stalled_ = true;
}

void PelSrvClient::TakeOtherReply(Frame frame) {
  if (std::find(waiting_.begin(), waiting_.end(), frame.seq) != waiting_.end()) {
    replies_[frame.seq] = std::move(frame);
    return;
  }
  if (frame.seq == probe_) {
    probe_ = 0;
    return;
  }
  if (auto it = std::find(abandoned_.begin(), abandoned_.end(), frame.seq);
      it != abandoned_.end()) {
    // The server has worked through the call it held up: new calls no longer queue behind it.
    abandoned_.erase(it);
    stalled_ = false;
  }
  // Anything else answers no call of ours and is dropped.
}

PelSrvClient::Read PelSrvClient::ReadFrame(Frame* frame, int timeoutMs) {
  for (;;) {
    if (auto f = decoder_.Next()) {
      *frame = std::move(*f);
      return Read::kFrame;
    }
    if (!fd_.valid() || decoder_.failed()) {
      Drop();
      return Read::kGone;
    }
    pollfd p{fd_.get(), POLLIN, 0};
    const int rc = ::poll(&p, 1, timeoutMs);
    if (rc < 0 && errno == EINTR) continue;
    if (rc == 0) return Read::kNothingYet;
    if (rc < 0) {
      Drop();
      return Read::kGone;
    }
    chunk_.resize(kReadChunk);
    const ssize_t n = ReadSome(fd_.get(), chunk_);
    if (n <= 0) {
      Drop();
      return Read::kGone;
    }
    decoder_.Feed(std::span(chunk_.data(), static_cast<size_t>(n)));
    // The rest of a frame comes at once; "until one comes" keeps waiting for all of it, and a
    // call asks again with the time it has left.
    if (timeoutMs > 0) timeoutMs = 0;
  }
}

void PelSrvClient::DispatchEvent(const Frame& frame) {
  FrameReader in(frame.payload);
  const uint32_t cookie = in.U32();
  FrameWriter outs;
  bool answered = false;
  auto it = sinks_.find(cookie);
  if (in.ok() && it != sinks_.end())
    answered = InvokeEvent(*it->second, frame.code, in, outs) == Invoked::kDone;
  if (EventWantsAnswer(frame.code) && fd_.valid()) {
    // An empty answer tells the server that no sink took the event.
    const auto answer = EncodeFrame(FrameKind::kEventReply, frame.seq, 0,
                                    answered ? outs.bytes() : std::vector<uint8_t>());
    size_t written = 0;
    if (SendBefore(fd_.get(), answer, Clock::now() + callTimeout_, &written) != SendResult::kSent)
      Drop();
  }
}

bool PelSrvClient::ProcessEvents(int timeoutMs) {
  Frame frame;
  while (ReadFrame(&frame, timeoutMs) == Read::kFrame) {
    if (frame.kind == FrameKind::kEvent) {
      DispatchEvent(frame);
    } else if (frame.kind == FrameKind::kReply) {
      TakeOtherReply(std::move(frame));
    }
    timeoutMs = 0;
  }
  return connected();
}

HRESULT PelSrvClient::Roundtrip(int32_t code, std::span<const uint8_t> ins,
                                std::vector<uint8_t>* reply, std::chrono::milliseconds timeout) {
  platform::SetErrorInfo(std::nullopt);
  if (!fd_.valid()) return RPC_E_DISCONNECTED;
  // The server still holds a call given up: this one would only queue behind it.
  TakeOverdueProbe();
  if (stalled_) return RPC_E_TIMEOUT;
  if (ins.size() > kMaxFrameBody - kBodyHeaderSize) return E_INVALIDARG;
  const Deadline deadline = Clock::now() + timeout;
  const uint32_t seq = ++seq_;
  // The header goes on its own, so a design of megabytes is not copied once more.
  const auto head = EncodeFrameHeader(FrameKind::kCall, seq, code, ins.size());
  size_t written = 0;
  SendResult sent = SendBefore(fd_.get(), head, deadline, &written);
  if (sent == SendResult::kSent) sent = SendBefore(fd_.get(), ins, deadline, &written);
  if (sent == SendResult::kTimedOut) {
    // A server that does not even take the call in time; what went of the frame cannot be
    // taken back, so the stream can carry no further frame.
    Drop();
    return RPC_E_TIMEOUT;
  }
  // A server that refused the connection has answered already and closed it; its answer is
  // still there to read when the call itself can no longer be sent.
  const bool wait = sent == SendResult::kSent;
  waiting_.push_back(seq);
  struct Done {
    std::vector<uint32_t>& waiting;
    ~Done() { waiting.pop_back(); }
  } done{waiting_};
  Frame frame;
  for (;;) {
    if (auto it = replies_.find(seq); it != replies_.end()) {
      frame = std::move(it->second);
      replies_.erase(it);
      break;
    }
    // A nested call found the server stalled: waiting on would only hold the caller longer.
    if (stalled_) {
      Abandon(seq);
      return RPC_E_TIMEOUT;
    }
    const Read got = ReadFrame(&frame, wait ? MillisecondsUntil(deadline) : 0);
    if (got == Read::kGone || (got == Read::kNothingYet && !wait)) {
      Drop();
      return RPC_E_DISCONNECTED;
    }
    if (got == Read::kNothingYet) {
      if (Clock::now() < deadline) continue;
      Abandon(seq);
      platform::SetErrorInfo(std::nullopt);  // nested calls may have left theirs
      return RPC_E_TIMEOUT;
    }
    if (frame.kind == FrameKind::kEvent) {
      DispatchEvent(frame);
      continue;
    }
    if (frame.kind != FrameKind::kReply) {
      Drop();
      return RPC_E_INVALID_DATA;
    }
    if (frame.seq == seq) break;
    TakeOtherReply(std::move(frame));
  }
  platform::SetErrorInfo(std::nullopt);  // nested calls may have left theirs
  FrameReader r(frame.payload);
  const uint8_t hasInfo = r.U8();
  if (hasInfo == 1) {
    platform::ErrorInfo info;
    info.description = r.String();
    info.source = r.String();
    info.interfaceId = r.String();
    if (r.ok()) platform::SetErrorInfo(std::move(info));
  } else if (hasInfo != 0) {
    r.Fail();
  }
  if (!r.ok()) return RPC_E_INVALID_DATA;
  reply->assign(frame.payload.end() - static_cast<std::ptrdiff_t>(r.remaining()),
                frame.payload.end());
  return frame.code;
}

template <class... P>
HRESULT PelSrvClient::Remote(int32_t dispid, HRESULT (IPelSrv::*method)(P...),
                             std::type_identity_t<P>... args) {
  return RemoteWithin<P...>(callTimeout_, dispid, method, args...);
}

template <class... P>
HRESULT PelSrvClient::RemoteWithin(std::chrono::milliseconds timeout, int32_t dispid,
                                   HRESULT (IPelSrv::*)(P...), std::type_identity_t<P>... args) {
  if (!ResetOuts<P...>(args...)) return E_POINTER;
  FrameWriter w;
  WriteIns<P...>(w, args...);
  std::vector<uint8_t> reply;
  const HRESULT hr = Roundtrip(dispid, w.bytes(), &reply, timeout);
  if (hr == RPC_E_DISCONNECTED || hr == RPC_E_TIMEOUT || hr == RPC_E_INVALID_DATA ||
      hr == DISP_E_MEMBERNOTFOUND)
    return hr;
  FrameReader r(reply);
  ReadOuts<P...>(r, args...);
  if (!r.ok() || !r.AtEnd()) {
    ResetOuts<P...>(args...);
    return RPC_E_INVALID_DATA;
  }
  return hr;
}

HRESULT PelSrvClient::Advise(IPelSrvEvents* sink, uint32_t* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  std::vector<uint8_t> reply;
  const HRESULT hr = Roundtrip(kCallAdvise, {}, &reply);
  FrameReader r(reply);
  const uint32_t c = r.U32();
  if (FAILED(hr)) return hr;
  if (!r.ok()) return RPC_E_INVALID_DATA;
  *cookie = c;
  sinks_[c] = sink;
  return hr;
}

HRESULT PelSrvClient::Unadvise(uint32_t cookie) {
  FrameWriter w;
  w.U32(cookie);
  std::vector<uint8_t> reply;
  const HRESULT hr = Roundtrip(kCallUnadvise, w.bytes(), &reply);
  // The sink is the caller's to free after this, so it gets no more events whatever the result.
  sinks_.erase(cookie);
  return hr;
}

HRESULT PelSrvClient::MachineCount(int32_t* Value) {
  return Remote(DISPID_MachineCount, &IPelSrv::MachineCount, Value);
}
HRESULT PelSrvClient::GetMachineState(int32_t dwCookie, std::string* addr, uint8_t* state,
                                      int32_t* nErr) {
  return Remote(DISPID_GetMachineState, &IPelSrv::GetMachineState, dwCookie, addr, state, nErr);
}
HRESULT PelSrvClient::GetImage(const std::string& file, std::vector<uint8_t>* strm,
                               uint32_t* size) {
  return Remote(DISPID_GetImage, &IPelSrv::GetImage, file, strm, size);
}
HRESULT PelSrvClient::GetImageFile(int32_t index, std::string* name) {
  return Remote(DISPID_GetImageFile, &IPelSrv::GetImageFile, index, name);
}
HRESULT PelSrvClient::ImageFileCount(int32_t* Value) {
  return Remote(DISPID_ImageFileCount, &IPelSrv::ImageFileCount, Value);
}
HRESULT PelSrvClient::GetTraceImage(int32_t dwCookie, uint8_t bSewing, uint8_t bSmall,
                                    std::vector<uint8_t>* strm, uint32_t* size) {
  return Remote(DISPID_GetTraceImage, &IPelSrv::GetTraceImage, dwCookie, bSewing, bSmall, strm,
                size);
}
HRESULT PelSrvClient::SetDirectory(const std::string& dir) {
  return Remote(DISPID_SetDirectory, &IPelSrv::SetDirectory, dir);
}
HRESULT PelSrvClient::Exit() { return Remote(DISPID_Exit, &IPelSrv::Exit); }
HRESULT PelSrvClient::LoadSysColors() {
  return Remote(DISPID_LoadSysColors, &IPelSrv::LoadSysColors);
}
HRESULT PelSrvClient::Connect(int32_t devNo, const std::string& hostName, TConnInfo param,
                              int32_t* dwCookie) {
  return Remote(DISPID_Connect, &IPelSrv::Connect, devNo, hostName, param, dwCookie);
}
HRESULT PelSrvClient::Disconnect(int32_t dwCookie) {
  return Remote(DISPID_Disconnect, &IPelSrv::Disconnect, dwCookie);
}
HRESULT PelSrvClient::GetState(int32_t dwCookie, TSewingState* state) {
  return Remote(DISPID_GetState, &IPelSrv::GetState, dwCookie, state);
}
HRESULT PelSrvClient::IsSending(int32_t dwCookie, int32_t* retVal) {
  return Remote(DISPID_IsSending, &IPelSrv::IsSending, dwCookie, retVal);
}
HRESULT PelSrvClient::SendStart(int32_t dwCookie) {
  return Remote(DISPID_SendStart, &IPelSrv::SendStart, dwCookie);
}
HRESULT PelSrvClient::GetProgress(int32_t dwCookie, uint8_t* state, int32_t* nPos, int32_t* nMax,
                                  int32_t* nError, uint16_t* nRot, uint8_t* nNeedleNo,
                                  int32_t* nRemain) {
  return Remote(DISPID_GetProgress, &IPelSrv::GetProgress, dwCookie, state, nPos, nMax, nError,
                nRot, nNeedleNo, nRemain);
}
HRESULT PelSrvClient::StitchColorCount(int32_t dwCookie, int32_t* Value) {
  return Remote(DISPID_StitchColorCount, &IPelSrv::StitchColorCount, dwCookie, Value);
}
HRESULT PelSrvClient::GetCookie(int32_t devNo, int32_t* dwCookie) {
  return Remote(DISPID_GetCookie, &IPelSrv::GetCookie, devNo, dwCookie);
}
HRESULT PelSrvClient::LoadStitch(int32_t dwCookie, const std::string& name) {
  return Remote(DISPID_LoadStitch, &IPelSrv::LoadStitch, dwCookie, name);
}
HRESULT PelSrvClient::MachineColorCount(int32_t dwCookie, int32_t* Value) {
  return Remote(DISPID_MachineColorCount, &IPelSrv::MachineColorCount, dwCookie, Value);
}
HRESULT PelSrvClient::ChangeColor(int32_t dwCookie, int32_t fromIndex, int32_t toIndex) {
  return Remote(DISPID_ChangeColor, &IPelSrv::ChangeColor, dwCookie, fromIndex, toIndex);
}
HRESULT PelSrvClient::MachineColor(int32_t dwCookie, int32_t index, int32_t* Value) {
  return Remote(DISPID_MachineColor, &IPelSrv::MachineColor, dwCookie, index, Value);
}
HRESULT PelSrvClient::StitchColor(int32_t dwCookie, int32_t index, int32_t* Value) {
  return Remote(DISPID_StitchColor, &IPelSrv::StitchColor, dwCookie, index, Value);
}
HRESULT PelSrvClient::SendStartStream(int32_t dwCookie, platform::MemStream* strm) {
  const size_t bytes = strm ? strm->size() : 0;
  if (bytes > kMaxBlob) return E_INVALIDARG;
  // The server parses the whole design before it answers: more time for a larger one.
  return RemoteWithin(StreamCallTimeout(bytes), DISPID_SendStartStream, &IPelSrv::SendStartStream,
                      dwCookie, strm);
}
HRESULT PelSrvClient::ErrMessage(int32_t code, std::string* Value) {
  return Remote(DISPID_ErrMessage, &IPelSrv::ErrMessage, code, Value);
}
HRESULT PelSrvClient::DisconnectAll() {
  return Remote(DISPID_DisconnectAll, &IPelSrv::DisconnectAll);
}
HRESULT PelSrvClient::SyncChangeSpeed(int32_t nSpeed) {
  return Remote(DISPID_SyncChangeSpeed, &IPelSrv::SyncChangeSpeed, nSpeed);
}
HRESULT PelSrvClient::OnTimer(int32_t dwCookie, int32_t nTimerTick, uint8_t* curStatus,
                              uint32_t* curStitchNum, int32_t* nErrorCode) {
  return Remote(DISPID_OnTimer, &IPelSrv::OnTimer, dwCookie, nTimerTick, curStatus, curStitchNum,
                nErrorCode);
}
HRESULT PelSrvClient::ClearError(int32_t dwCookie) {
  return Remote(DISPID_ClearError, &IPelSrv::ClearError, dwCookie);
}
HRESULT PelSrvClient::SewingFilename(int32_t dwCookie, std::string* Value) {
  return Remote(DISPID_SewingFilename, &IPelSrv::SewingFilename, dwCookie, Value);
}
HRESULT PelSrvClient::GetModel(int32_t devNo, int32_t* model) {
  return Remote(DISPID_GetModel, &IPelSrv::GetModel, devNo, model);
}

}  // namespace rpc
