// TPelSrvImpl: the server object behind IPelSrv. A thin layer: each method finds the
// connection its cookie (or list position) names in the connection manager and asks it, or
// asks the folder listing and the image makers. Main thread only.
#pragma once

#include <functional>

#include "pelsrvapi/pelservice_tlb.h"

class TCommBase;
class TDirList;
class TPelMain;
namespace rpc {
class SinkList;
}

class TPelSrvImpl : public IPelSrvObject {
 public:
  // sinks: the connection point; the connections fire their events through it, so it outlives
  // the object. requestClose: ends the program (posts the close message to the hidden window).
  TPelSrvImpl(TPelMain& main, TDirList& dirs, rpc::SinkList& sinks,
              std::function<void()> requestClose);

  HRESULT Advise(IPelSrvEvents* sink, std::uint32_t* cookie) override;
  HRESULT Unadvise(std::uint32_t cookie) override;

  HRESULT MachineCount(std::int32_t* Value) override;
  HRESULT GetMachineState(std::int32_t dwCookie, std::string* addr, std::uint8_t* state,
                          std::int32_t* nErr) override;
  HRESULT GetImage(const std::string& file, std::vector<std::uint8_t>* strm,
                   std::uint32_t* size) override;
  HRESULT GetImageFile(std::int32_t index, std::string* name) override;
  HRESULT ImageFileCount(std::int32_t* Value) override;
  HRESULT GetTraceImage(std::int32_t dwCookie, std::uint8_t bSewing, std::uint8_t bSmall,
                        std::vector<std::uint8_t>* strm, std::uint32_t* size) override;
  HRESULT SetDirectory(const std::string& dir) override;
  HRESULT Exit() override;
  HRESULT LoadSysColors() override;
  HRESULT Connect(std::int32_t devNo, const std::string& hostName, TConnInfo param,
                  std::int32_t* dwCookie) override;
  HRESULT Disconnect(std::int32_t dwCookie) override;
  HRESULT GetState(std::int32_t dwCookie, TSewingState* state) override;
  HRESULT IsSending(std::int32_t dwCookie, std::int32_t* retVal) override;
  HRESULT SendStart(std::int32_t dwCookie) override;
  HRESULT GetProgress(std::int32_t dwCookie, std::uint8_t* state, std::int32_t* nPos,
                      std::int32_t* nMax, std::int32_t* nError, std::uint16_t* nRot,
                      std::uint8_t* nNeedleNo, std::int32_t* nRemain) override;
  HRESULT StitchColorCount(std::int32_t dwCookie, std::int32_t* Value) override;
  HRESULT GetCookie(std::int32_t devNo, std::int32_t* dwCookie) override;
  HRESULT LoadStitch(std::int32_t dwCookie, const std::string& name) override;
  HRESULT MachineColorCount(std::int32_t dwCookie, std::int32_t* Value) override;
  HRESULT ChangeColor(std::int32_t dwCookie, std::int32_t fromIndex, std::int32_t toIndex) override;
  HRESULT MachineColor(std::int32_t dwCookie, std::int32_t index, std::int32_t* Value) override;
  HRESULT StitchColor(std::int32_t dwCookie, std::int32_t index, std::int32_t* Value) override;
  HRESULT SendStartStream(std::int32_t dwCookie, platform::MemStream* strm) override;
  HRESULT ErrMessage(std::int32_t code, std::string* Value) override;
  HRESULT DisconnectAll() override;
  HRESULT SyncChangeSpeed(std::int32_t nSpeed) override;
  HRESULT OnTimer(std::int32_t dwCookie, std::int32_t nTimerTick, std::uint8_t* curStatus,
                  std::uint32_t* curStitchNum, std::int32_t* nErrorCode) override;
  HRESULT ClearError(std::int32_t dwCookie) override;
  HRESULT SewingFilename(std::int32_t dwCookie, std::string* Value) override;
  HRESULT GetModel(std::int32_t devNo, std::int32_t* model) override;

 private:
  TCommBase* Find(std::int32_t cookie) const;

  TPelMain& main_;
  TDirList& dirs_;
  rpc::SinkList& sinks_;
  std::function<void()> requestClose_;
};
