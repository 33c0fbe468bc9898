#pragma once

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "pelsrvapi/pelservice_tlb.h"
#include "platform/errorinfo.h"
#include "rpc/sinklist.h"

// A server object whose out values follow from its in values, so a test can compare what a
// client gets through the interface with what the object gives when called directly. It logs
// every call and fires an event from inside Connect, like a connection changing state.
class FakePelSrv : public IPelSrvObject {
 public:
  std::vector<std::string> log;
  rpc::SinkList sinks;
  bool exited = false;

  HRESULT Advise(IPelSrvEvents* sink, uint32_t* cookie) override {
    return sinks.Advise(sink, cookie);
  }
  HRESULT Unadvise(uint32_t cookie) override { return sinks.Unadvise(cookie); }

  HRESULT MachineCount(int32_t* v) override {
    Log("MachineCount");
    *v = 3;
    return S_OK;
  }
  HRESULT GetMachineState(int32_t c, std::string* addr, uint8_t* state, int32_t* nErr) override {
    Log("GetMachineState", c);
    *addr = "host" + std::to_string(c);
    *state = static_cast<uint8_t>(c);
    *nErr = W(int64_t{c} * 10);
    return S_OK;
  }
  HRESULT GetImage(const std::string& file, std::vector<uint8_t>* strm, uint32_t* size) override {
    Log("GetImage", file);
    if (file.empty()) return S_FALSE;  // outs untouched
    strm->assign(file.begin(), file.end());
    *size = static_cast<uint32_t>(file.size());
    return S_OK;
  }
  HRESULT GetImageFile(int32_t index, std::string* name) override {
    Log("GetImageFile", index);
    if (index < 0) return S_FALSE;
    *name = "f" + std::to_string(index) + ".dst";
    return S_OK;
  }
  HRESULT ImageFileCount(int32_t* v) override {
    Log("ImageFileCount");
    if (dir_ == "bad") {
      platform::SetErrorInfo(platform::ErrorInfo{"no such folder", kPelSrvProgId, kIidIPelSrv});
      return DISP_E_EXCEPTION;
    }
    *v = 4;
    return S_OK;
  }
  HRESULT GetTraceImage(int32_t c, uint8_t sew, uint8_t small, std::vector<uint8_t>* strm,
                        uint32_t* size) override {
    Log("GetTraceImage", c, int(sew), int(small));
    *strm = {static_cast<uint8_t>(c), sew, small};
    *size = 3;
    return S_OK;
  }
  HRESULT SetDirectory(const std::string& dir) override {
    Log("SetDirectory", dir);
    dir_ = dir;
    return S_OK;
  }
  HRESULT Exit() override {
    Log("Exit");
    exited = true;
    return S_OK;
  }
  HRESULT LoadSysColors() override {
    Log("LoadSysColors");
    return S_OK;
  }
  HRESULT Connect(int32_t devNo, const std::string& host, TConnInfo p, int32_t* cookie) override {
    Log("Connect", devNo, host, p.tcpip, int(p.b1), int(p.b4), p.port, p.baudRate,
        std::string(p.name, strnlen(p.name, sizeof p.name)));
    if (devNo < 0) return S_FALSE;
    *cookie = W(int64_t{devNo} + 100);
    sinks.OnStatusChange(*cookie, SEW_IDLE);  // arrives while the client waits
    return S_OK;
  }
  HRESULT Disconnect(int32_t c) override { return Log("Disconnect", c), S_OK; }
  HRESULT GetState(int32_t c, TSewingState* s) override {
    Log("GetState", c);
    *s = c == 0 ? SEW_OFFLINE : SEW_SEWING;
    return S_OK;
  }
  HRESULT IsSending(int32_t c, int32_t* r) override {
    Log("IsSending", c);
    *r = c & 1;
    return S_OK;
  }
  HRESULT SendStart(int32_t c) override {
    Log("SendStart", c);
    platform::SetErrorInfo(platform::ErrorInfo{"busy", "", kIidIPelSrv});
    return RPC_E_SERVERCALL_RETRYLATER;
  }
  HRESULT GetProgress(int32_t c, uint8_t* state, int32_t* nPos, int32_t* nMax, int32_t* nError,
                      uint16_t* nRot, uint8_t* nNeedleNo, int32_t* nRemain) override {
    Log("GetProgress", c);
    *state = 0x11;
    *nPos = W(int64_t{c} + 1);
    *nMax = W(int64_t{c} + 2);
    *nError = 3;
    *nRot = 0xABCD;
    *nNeedleNo = 5;
    *nRemain = -7;
    return S_OK;
  }
  HRESULT StitchColorCount(int32_t c, int32_t* v) override {
    return Set("StitchColorCount", c, v, 15);
  }
  HRESULT GetCookie(int32_t d, int32_t* v) override {
    return Set("GetCookie", d, v, W(int64_t{d} + 1));
  }
  HRESULT LoadStitch(int32_t c, const std::string& name) override {
    return Log("LoadStitch", c, name), S_OK;
  }
  HRESULT MachineColorCount(int32_t c, int32_t* v) override {
    return Set("MachineColorCount", c, v, 15);
  }
  HRESULT ChangeColor(int32_t c, int32_t from, int32_t to) override {
    return Log("ChangeColor", c, from, to), S_OK;
  }
  HRESULT MachineColor(int32_t c, int32_t i, int32_t* v) override {
    return Set("MachineColor", W(int64_t{c} * 100 + i), v, W(0x00FF0000 + int64_t{i}));
  }
  HRESULT StitchColor(int32_t c, int32_t i, int32_t* v) override {
    return Set("StitchColor", W(int64_t{c} * 100 + i), v, W(0x0000FF00 + int64_t{i}));
  }
  HRESULT SendStartStream(int32_t c, platform::MemStream* strm) override {
    Log("SendStartStream", c, strm ? static_cast<long>(strm->size()) : -1L,
        strm && strm->size() ? int(strm->Bytes().back()) : -1);
    return strm ? S_OK : E_NOINTERFACE;
  }
  HRESULT ErrMessage(int32_t code, std::string* v) override {
    Log("ErrMessage", code);
    *v = "text " + std::to_string(code);
    return S_OK;
  }
  HRESULT DisconnectAll() override { return Log("DisconnectAll"), S_OK; }
  HRESULT SyncChangeSpeed(int32_t s) override { return Log("SyncChangeSpeed", s), S_OK; }
  HRESULT OnTimer(int32_t c, int32_t tick, uint8_t* st, uint32_t* stitch, int32_t* err) override {
    Log("OnTimer", c, tick);
    if (c == 0) return S_OK;  // nothing written
    *st = 0x1E;
    *stitch = static_cast<uint32_t>(tick) * 3u;
    *err = -1;
    return S_OK;
  }
  HRESULT ClearError(int32_t c) override { return Log("ClearError", c), S_OK; }
  HRESULT SewingFilename(int32_t c, std::string* v) override {
    Log("SewingFilename", c);
    *v = c ? "A0001.10o" : "";
    return S_OK;
  }
  HRESULT GetModel(int32_t d, int32_t* m) override {
    return Set("GetModel", d, m, W(0x10 + int64_t{d}));
  }

 private:
  // Wraps like the 32-bit arithmetic of a caller would, without overflowing.
  static int32_t W(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
  template <class... A>
  void Log(const char* name, const A&... args) {
    std::ostringstream s;
    s << name;
    ((s << ' ' << args), ...);
    log.push_back(s.str());
  }
  HRESULT Set(const char* name, int32_t key, int32_t* out, int32_t value) {
    Log(name, key);
    *out = value;
    return S_OK;
  }

  std::string dir_;
};
