// Types shared by PelService, its connections and its clients: the connection parameters, the
// machine state, the outcome of a transfer, and the event interface through which the server
// reports machine events. Layouts marked binding cross the process boundary byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/hresult.h"
#include "platform/memstream.h"

// Identity of the type library and its members. The identifiers are fixed once; server and
// clients use the same values.
inline constexpr const char* kPelServiceLibraryName = "PelService";
inline constexpr int kPelServiceLibraryMajor = 1;
inline constexpr int kPelServiceLibraryMinor = 0;
inline constexpr std::uint32_t kPelServiceLibraryLcid = 0x0409;
inline constexpr const char* kPelSrvProgId = "PelService.PelSrv";
inline constexpr const char* kLibidPelService = "{6d3f2a10-5c41-4e8b-9a57-0b2e61c4d701}";
inline constexpr const char* kIidIPelSrv = "{6d3f2a11-5c41-4e8b-9a57-0b2e61c4d701}";
inline constexpr const char* kIidIPelSrvEvents = "{6d3f2a12-5c41-4e8b-9a57-0b2e61c4d701}";
inline constexpr const char* kClsidPelSrv = "{6d3f2a13-5c41-4e8b-9a57-0b2e61c4d701}";
inline constexpr const char* kGuidTConnInfo = "{6d3f2a14-5c41-4e8b-9a57-0b2e61c4d701}";
inline constexpr const char* kGuidTSewingState = "{6d3f2a15-5c41-4e8b-9a57-0b2e61c4d701}";
inline constexpr const char* kGuidTResState = "{6d3f2a16-5c41-4e8b-9a57-0b2e61c4d701}";

// A connection is named by its cookie (handed out from 1 upwards); Connect, GetCookie and
// GetModel take instead the 0-based position in the connection list.
using TCookie = std::int32_t;
using TDevNo = std::int32_t;

// Connection parameters passed by value to IPelSrv::Connect. Layout binding (60 bytes).
struct TConnInfo {
  std::uint16_t tcpip;  // non-zero: TCP/IP; 0: serial line
  std::uint8_t b1;      // IPv4 address a.b.c.d
  std::uint8_t b2;
  std::uint8_t b3;
  std::uint8_t b4;
  std::uint16_t port;      // TCP/IP: network byte order; serial: COM index in the low byte
  std::uint16_t baudRate;  // serial only: 9600, 19200 or 38400
  char name[32];           // machine name text
  char mac[18];            // MAC address text
};
static_assert(sizeof(TConnInfo) == 60);
static_assert(offsetof(TConnInfo, tcpip) == 0);
static_assert(offsetof(TConnInfo, b1) == 2);
static_assert(offsetof(TConnInfo, b4) == 5);
static_assert(offsetof(TConnInfo, port) == 6);
static_assert(offsetof(TConnInfo, baudRate) == 8);
static_assert(offsetof(TConnInfo, name) == 10);
static_assert(offsetof(TConnInfo, mac) == 42);

// The machine's state as a connection and its clients see it.
enum TSewingState : std::int32_t {
  SEW_NO_PORT = 0,
  SEW_OFFLINE = 1,
  SEW_IDLE = 2,
  SEW_SEW_STARTING = 3,
  SEW_SEWING = 4,
  SEW_PAUSED = 5,
  SEW_COMPLETED = 6,
  SEW_ERROR = 7,
  SEW_REJECTED = 8,
};

// Outcome of a design transfer, reported by OnSendStop.
enum TResState : std::int32_t {
  RES_STATE_NORMAL = 0,
  RES_STATE_ERROR = 1,
  RES_STATE_BUSY = 2,
  RES_STATE_CANCELED = 3,
};

// Dispatch ids of the events, in the order of IPelSrvEvents.
enum TPelSrvEventId : std::int32_t {
  DISPID_OnStatusChange = 1,
  DISPID_OnSendProgress = 2,
  DISPID_OnSendStop = 3,
  DISPID_OnProgress = 4,
  DISPID_OnFilenameAck = 5,
  DISPID_OnComplete = 6,
  DISPID_OnSyncSetup = 7,
  DISPID_OnSendStart = 8,
};

// Machine events. The server object implements it to hand each event to every advised sink in
// order; a connection fires through the one it was given (none: no event). The results of the
// original dispatch interface were ignored, so the methods return nothing. Texts are UTF-8.
class IPelSrvEvents {
 public:
  virtual ~IPelSrvEvents() = default;

  // 1: the connection's state changed; state is a TSewingState.
  virtual void OnStatusChange(std::int32_t dwCookie, std::uint8_t state) = 0;
  // 2: per block of a design transfer, 0 to 100.
  virtual void OnSendProgress(std::int32_t dwCookie, std::int32_t ratio) = 0;
  // 3: end of a transfer; state is a TResState.
  virtual void OnSendStop(std::int32_t dwCookie, std::int32_t state) = 0;
  // 4: a sewing progress reply; state is the reply code.
  virtual void OnProgress(std::int32_t dwCookie, std::uint8_t state, std::int32_t nPos,
                          std::int32_t nMax, std::int32_t nError, std::uint16_t nRot,
                          std::uint8_t nNeedleNo) = 0;
  // 5: the machine named the design it holds; a client sets nTotal (it starts at 0) to non-zero
  // to make the server load that design from the send folder.
  virtual void OnFilenameAck(std::int32_t dwCookie, const std::string& name, std::int32_t nRemain,
                             std::int32_t& nTotal) = 0;
  // Event 5 as the server asks it: nTotal is the value so far; done gets the value the sinks
  // leave, at once or later on the same thread. Sinks in other processes answer later; a
  // sink in this process answers through OnFilenameAck at once.
  virtual void AskFilenameAck(std::int32_t dwCookie, const std::string& name, std::int32_t nRemain,
                              std::int32_t nTotal, std::function<void(std::int32_t)> done) {
    OnFilenameAck(dwCookie, name, nRemain, nTotal);
    done(nTotal);
  }
  // 6: sewing completed.
  virtual void OnComplete(std::int32_t dwCookie, std::int32_t bNormal, std::int32_t needleNo) = 0;
  // 7: a machine's status reply; nSyncMode is the number of sync-capable connections.
  virtual void OnSyncSetup(std::int32_t nSyncMode, std::int32_t dwCookie, std::int32_t bSync) = 0;
  // 8: the machine is ready to receive a design.
  virtual void OnSendStart(std::int32_t dwCookie) = 0;
};

// ---- The server object's interface ----

// Dispatch ids of the methods of IPelSrv; they cross the process boundary.
enum TPelSrvMethodId : std::int32_t {
  DISPID_MachineCount = 1,
  DISPID_GetMachineState = 2,
  DISPID_GetImage = 3,
  DISPID_GetImageFile = 4,
  DISPID_ImageFileCount = 5,
  DISPID_GetTraceImage = 6,
  DISPID_SetDirectory = 7,
  DISPID_Exit = 8,
  DISPID_LoadSysColors = 9,
  DISPID_Connect = 10,
  DISPID_Disconnect = 11,
  DISPID_GetState = 12,
  DISPID_IsSending = 13,
  DISPID_SendStart = 14,
  DISPID_GetProgress = 15,
  DISPID_StitchColorCount = 16,
  DISPID_GetCookie = 17,
  DISPID_LoadStitch = 18,
  DISPID_MachineColorCount = 19,
  DISPID_ChangeColor = 20,
  DISPID_MachineColor = 21,
  DISPID_StitchColor = 22,
  DISPID_SendStartStream = 23,
  DISPID_ErrMessage = 24,
  DISPID_DisconnectAll = 25,
  DISPID_SyncChangeSpeed = 26,
  DISPID_OnTimer = 27,
  DISPID_ClearError = 28,
  DISPID_SewingFilename = 29,
  DISPID_GetModel = 30,
};

// The machine server's interface, in DISPID order. Pointer parameters are out values: a method
// sets every one of them on every path. A design stream and an image travel as the bytes they
// hold (null for "no stream"). Texts are UTF-8. Error information goes through
// platform::SetErrorInfo on the calling thread.
class IPelSrv {
 public:
  virtual ~IPelSrv() = default;

  virtual HRESULT MachineCount(std::int32_t* Value) = 0;
  virtual HRESULT GetMachineState(std::int32_t dwCookie, std::string* addr, std::uint8_t* state,
                                  std::int32_t* nErr) = 0;
  virtual HRESULT GetImage(const std::string& file, std::vector<std::uint8_t>* strm,
                           std::uint32_t* size) = 0;
  virtual HRESULT GetImageFile(std::int32_t index, std::string* name) = 0;
  virtual HRESULT ImageFileCount(std::int32_t* Value) = 0;
  virtual HRESULT GetTraceImage(std::int32_t dwCookie, std::uint8_t bSewing, std::uint8_t bSmall,
                                std::vector<std::uint8_t>* strm, std::uint32_t* size) = 0;
  virtual HRESULT SetDirectory(const std::string& dir) = 0;
  virtual HRESULT Exit() = 0;
  virtual HRESULT LoadSysColors() = 0;
  virtual HRESULT Connect(std::int32_t devNo, const std::string& hostName, TConnInfo param,
                          std::int32_t* dwCookie) = 0;
  virtual HRESULT Disconnect(std::int32_t dwCookie) = 0;
  virtual HRESULT GetState(std::int32_t dwCookie, TSewingState* state) = 0;
  virtual HRESULT IsSending(std::int32_t dwCookie, std::int32_t* retVal) = 0;
  virtual HRESULT SendStart(std::int32_t dwCookie) = 0;
  virtual HRESULT GetProgress(std::int32_t dwCookie, std::uint8_t* state, std::int32_t* nPos,
                              std::int32_t* nMax, std::int32_t* nError, std::uint16_t* nRot,
                              std::uint8_t* nNeedleNo, std::int32_t* nRemain) = 0;
  virtual HRESULT StitchColorCount(std::int32_t dwCookie, std::int32_t* Value) = 0;
  virtual HRESULT GetCookie(std::int32_t devNo, std::int32_t* dwCookie) = 0;
  virtual HRESULT LoadStitch(std::int32_t dwCookie, const std::string& name) = 0;
  virtual HRESULT MachineColorCount(std::int32_t dwCookie, std::int32_t* Value) = 0;
  virtual HRESULT ChangeColor(std::int32_t dwCookie, std::int32_t fromIndex,
                              std::int32_t toIndex) = 0;
  virtual HRESULT MachineColor(std::int32_t dwCookie, std::int32_t index, std::int32_t* Value) = 0;
  virtual HRESULT StitchColor(std::int32_t dwCookie, std::int32_t index, std::int32_t* Value) = 0;
  // strm: a stream holding the design's stream form (read from its start); null stands for an
  // object without a stream. The caller keeps the stream.
  virtual HRESULT SendStartStream(std::int32_t dwCookie, platform::MemStream* strm) = 0;
  virtual HRESULT ErrMessage(std::int32_t code, std::string* Value) = 0;
  virtual HRESULT DisconnectAll() = 0;
  virtual HRESULT SyncChangeSpeed(std::int32_t nSpeed) = 0;
  virtual HRESULT OnTimer(std::int32_t dwCookie, std::int32_t nTimerTick, std::uint8_t* curStatus,
                          std::uint32_t* curStitchNum, std::int32_t* nErrorCode) = 0;
  virtual HRESULT ClearError(std::int32_t dwCookie) = 0;
  virtual HRESULT SewingFilename(std::int32_t dwCookie, std::string* Value) = 0;
  virtual HRESULT GetModel(std::int32_t devNo, std::int32_t* model) = 0;
};

// The server object's one connection point, for IPelSrvEvents sinks (at most five in all).
class IPelSrvConnectionPoint {
 public:
  virtual ~IPelSrvConnectionPoint() = default;
  // The sink stays the caller's; CONNECT_E_ADVISELIMIT when five sinks are advised.
  virtual HRESULT Advise(IPelSrvEvents* sink, std::uint32_t* cookie) = 0;
  // CONNECT_E_NOCONNECTION for a cookie that names no sink.
  virtual HRESULT Unadvise(std::uint32_t cookie) = 0;
};

// The server object as the process hosts it: the interface and its connection point.
class IPelSrvObject : public IPelSrv, public IPelSrvConnectionPoint {};
