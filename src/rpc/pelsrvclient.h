#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "pelsrvapi/pelservice_tlb.h"
#include "rpc/frame.h"
#include "rpc/socket.h"

namespace rpc {

// How the link to the server stands. kStalled: a call went unanswered past its deadline; calls
// fail at once until the server answers the call given up (ProcessEvents reads that answer).
// kLost: the connection has ended; nothing on it works again.
enum class LinkState { kUp, kStalled, kLost };

// A client's reference to the server object: the proxy of IPelSrv and the stub of the
// IPelSrvEvents sinks it advises. Single-threaded, like a COM apartment: every call and every
// event runs on the thread that uses the object. While a call waits for its answer, events
// that arrive are handed to their sinks (a sink may call the server again); between calls the
// owner pumps them with ProcessEvents, for example when fd() becomes readable.
//
// Every call has a deadline, so a server that stopped, hangs or is swapped out never holds its
// client for longer: past it the call returns RPC_E_TIMEOUT with its out values reset and the
// link is kStalled. The answer that comes later is recognised by its sequence number and
// dropped, never taken for another call's.
//
// The reference is given up when the object is destroyed; a server started for clients ends
// when its last one has gone.
class PelSrvClient : public IPelSrvObject {
 public:
  static constexpr std::chrono::milliseconds kDefaultCallTimeout{5000};
  // What SendStartStream gets on top of the call timeout for each started MiB of its stream:
  // the server reads and parses the whole design inside the call.
  static constexpr std::chrono::milliseconds kStreamTimeoutPerMiB{1000};

  // Attaches to the server this user runs, through its published reference;
  // CO_E_SERVER_EXEC_FAILURE when none is published or it has gone, RPC_E_TIMEOUT when it does
  // not answer within callTimeout.
  static HRESULT Attach(std::unique_ptr<PelSrvClient>* out,
                        std::chrono::milliseconds callTimeout = kDefaultCallTimeout);
  // Attaches, or starts the registered server ("PelService.PelSrv" with "/Automation") and
  // attaches once it has published itself, waiting at most startTimeout. A published server
  // that does not answer makes it fail with RPC_E_TIMEOUT at once.
  static HRESULT Create(std::unique_ptr<PelSrvClient>* out,
                        std::chrono::milliseconds startTimeout = std::chrono::seconds(10));
  // Attaches to a server listening on path; the attach and every later call get callTimeout.
  static HRESULT ConnectTo(const std::filesystem::path& path, std::unique_ptr<PelSrvClient>* out,
                           std::chrono::milliseconds callTimeout = kDefaultCallTimeout);

  explicit PelSrvClient(UniqueFd fd) : fd_(std::move(fd)) {}
  PelSrvClient(const PelSrvClient&) = delete;
  PelSrvClient& operator=(const PelSrvClient&) = delete;

  // Readable when something arrived from the server.
  int fd() const { return fd_.get(); }
  // Hands arrived events to their sinks, waiting at most timeoutMs (-1: until one comes) for
  // the first, and takes in late answers: the first to a call given up puts a stalled link
  // back up. False once the server has gone.
  bool ProcessEvents(int timeoutMs);
  bool connected() const { return fd_.valid(); }
  LinkState linkState() const;
  // Asks the server, without waiting, whether it still answers: a cheap call whose answer
  // ProcessEvents takes in. An answer that has not come by the call timeout stalls the link as
  // a call waiting for it would have, so a server that stops while its client makes no calls
  // is noticed too. One probe at a time; nothing while the link is stalled or lost.
  void Probe();

  // The deadline of every later call (negative counts as 0).
  void SetCallTimeout(std::chrono::milliseconds timeout);
  std::chrono::milliseconds callTimeout() const { return callTimeout_; }
  // The deadline SendStartStream has for a stream of streamBytes.
  std::chrono::milliseconds StreamCallTimeout(size_t streamBytes) const;

  HRESULT Advise(IPelSrvEvents* sink, uint32_t* cookie) override;
  HRESULT Unadvise(uint32_t cookie) override;

  HRESULT MachineCount(int32_t* Value) override;
  HRESULT GetMachineState(int32_t dwCookie, std::string* addr, uint8_t* state,
                          int32_t* nErr) override;
  HRESULT GetImage(const std::string& file, std::vector<uint8_t>* strm, uint32_t* size) override;
  HRESULT GetImageFile(int32_t index, std::string* name) override;
  HRESULT ImageFileCount(int32_t* Value) override;
  HRESULT GetTraceImage(int32_t dwCookie, uint8_t bSewing, uint8_t bSmall,
                        std::vector<uint8_t>* strm, uint32_t* size) override;
  HRESULT SetDirectory(const std::string& dir) override;
  HRESULT Exit() override;
  HRESULT LoadSysColors() override;
  HRESULT Connect(int32_t devNo, const std::string& hostName, TConnInfo param,
                  int32_t* dwCookie) override;
  HRESULT Disconnect(int32_t dwCookie) override;
  HRESULT GetState(int32_t dwCookie, TSewingState* state) override;
  HRESULT IsSending(int32_t dwCookie, int32_t* retVal) override;
  HRESULT SendStart(int32_t dwCookie) override;
  HRESULT GetProgress(int32_t dwCookie, uint8_t* state, int32_t* nPos, int32_t* nMax,
                      int32_t* nError, uint16_t* nRot, uint8_t* nNeedleNo,
                      int32_t* nRemain) override;
  HRESULT StitchColorCount(int32_t dwCookie, int32_t* Value) override;
  HRESULT GetCookie(int32_t devNo, int32_t* dwCookie) override;
  HRESULT LoadStitch(int32_t dwCookie, const std::string& name) override;
  HRESULT MachineColorCount(int32_t dwCookie, int32_t* Value) override;
  HRESULT ChangeColor(int32_t dwCookie, int32_t fromIndex, int32_t toIndex) override;
  HRESULT MachineColor(int32_t dwCookie, int32_t index, int32_t* Value) override;
  HRESULT StitchColor(int32_t dwCookie, int32_t index, int32_t* Value) override;
  HRESULT SendStartStream(int32_t dwCookie, platform::MemStream* strm) override;
  HRESULT ErrMessage(int32_t code, std::string* Value) override;
  HRESULT DisconnectAll() override;
  HRESULT SyncChangeSpeed(int32_t nSpeed) override;
  HRESULT OnTimer(int32_t dwCookie, int32_t nTimerTick, uint8_t* curStatus, uint32_t* curStitchNum,
                  int32_t* nErrorCode) override;
  HRESULT ClearError(int32_t dwCookie) override;
  HRESULT SewingFilename(int32_t dwCookie, std::string* Value) override;
  HRESULT GetModel(int32_t devNo, int32_t* model) override;

 private:
  template <class... P>
  HRESULT Remote(int32_t dispid, HRESULT (IPelSrv::*)(P...), std::type_identity_t<P>... args);
  template <class... P>
  HRESULT RemoteWithin(std::chrono::milliseconds timeout, int32_t dispid,
                       HRESULT (IPelSrv::*)(P...), std::type_identity_t<P>... args);
  // Sends a call and waits for its answer until the timeout, dispatching events meanwhile. On
  // success *reply holds the out values (error information already taken off and set on this
  // thread).
  HRESULT Roundtrip(int32_t code, std::span<const uint8_t> ins, std::vector<uint8_t>* reply,
                    std::chrono::milliseconds timeout);
  HRESULT Roundtrip(int32_t code, std::span<const uint8_t> ins, std::vector<uint8_t>* reply) {
    return Roundtrip(code, ins, reply, callTimeout_);
  }
  enum class Read { kFrame, kNothingYet, kGone };
  Read ReadFrame(Frame* frame, int timeoutMs);
  void DispatchEvent(const Frame& frame);
  // A reply that is not the answer the innermost call waits for.
  void TakeOtherReply(Frame frame);
  void Abandon(uint32_t seq);
  bool ProbeOverdue() const;
  // A probe past its deadline counts as a call given up.
  void TakeOverdueProbe();
  void Drop();

  // Calls given up whose answers are still to come; the oldest are forgotten past this.
  static constexpr size_t kMaxAbandoned = 16;

  UniqueFd fd_;
  UniqueFd dropped_;  // the lost connection's descriptor, see Drop()
  FrameDecoder decoder_;
  std::vector<uint8_t> chunk_;
  uint32_t seq_ = 0;
  std::chrono::milliseconds callTimeout_ = kDefaultCallTimeout;
  bool stalled_ = false;
  std::vector<uint32_t> waiting_;      // calls under way, outermost first
  std::deque<uint32_t> abandoned_;     // calls given up, oldest first
  uint32_t probe_ = 0;                 // the probe under way, 0 for none
  Deadline probeDeadline_{};
  std::map<uint32_t, Frame> replies_;  // answers to outer calls that came during nested ones
  std::map<uint32_t, IPelSrvEvents*> sinks_;
};

}  // namespace rpc
