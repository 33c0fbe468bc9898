// A machine server for desktop tests: it keeps a connection list like PelService's (cookies
// from 1, positions as device numbers), logs every call, answers Connect as a test asks, and
// fires events to the advised sinks from inside its calls, the way real server events arrive
// while the desktop waits for an answer.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "hoopdesk/panels/servicelink.h"
#include "pelsrvapi/pelservice_tlb.h"

class TFakeService : public IPelSrvObject {
 public:
  struct TConnection {
    TCookie cookie;
    TConnInfo info;
    std::string hostName;
    bool open;
  };

  std::vector<std::string> log;
  std::vector<TConnection> connections;  // the server's list; index = device number
  std::map<TCookie, TSewingState> states;
  // Error ids GetMachineState reports for connections (0 when none is given).
  std::map<TCookie, std::int32_t> errorIds;
  // Results of the next Connect calls, in order; S_OK once they are used up.
  std::deque<HRESULT> connectResults;
  // Cookie handed to the next successful Connect; 0 means the next unused one.
  TCookie nextCookie = 0;
  // Results of the next SendStartStream calls, in order; S_OK once they are used up. A started
  // transfer counts as running (IsSending) until the test ends it.
  std::deque<HRESULT> sendResults;
  std::map<TCookie, int> sending;
  // What OnTimer answers for a cookie: status, stitch number, error code.
  std::map<TCookie, std::tuple<uint8_t, uint32_t, int32_t>> timerAnswers;
  // Runs inside every call, after it is logged and before it answers.
  std::function<void(const std::string& call)> during;
  // How the link to this server answers (a test stalls it or cuts it).
  TLinkState linkState = TLinkState::Up;
  int probes = 0;  // link probes asked for
  std::vector<IPelSrvEvents*> sinks;

  // Fires a state event to every sink.
  void FireStatus(TCookie cookie, TSewingState state) {
    for (IPelSrvEvents* sink : std::vector<IPelSrvEvents*>(sinks))
      sink->OnStatusChange(cookie, static_cast<std::uint8_t>(state));
  }
  bool Logged(const std::string& call) const {
    for (const auto& line : log)
      if (line == call) return true;
    return false;
  }

  HRESULT Advise(IPelSrvEvents* sink, uint32_t* cookie) override {
    Call("Advise");
    if (sinks.size() >= 5) return CONNECT_E_ADVISELIMIT;
    sinks.push_back(sink);
    *cookie = static_cast<uint32_t>(sinks.size());
    return S_OK;
  }
  HRESULT Unadvise(uint32_t cookie) override {
    Call("Unadvise " + std::to_string(cookie));
    if (cookie == 0 || cookie > sinks.size() || !sinks[cookie - 1]) return CONNECT_E_NOCONNECTION;
    sinks[cookie - 1] = nullptr;
    std::erase(sinks, nullptr);
    return S_OK;
  }

  HRESULT MachineCount(int32_t* v) override {
    Call("MachineCount");
    *v = static_cast<int32_t>(connections.size());
    return S_OK;
  }
  HRESULT GetMachineState(int32_t c, std::string* addr, uint8_t* state, int32_t* nErr) override {
    Call("GetMachineState " + std::to_string(c));
    const TConnection* conn = Find(c);
    *addr = conn ? "machine-" + std::to_string(c) : "";
    *state = static_cast<uint8_t>(State(c));
    const auto error = errorIds.find(c);
    *nErr = !conn ? 273 : error != errorIds.end() ? error->second : 0;
    return S_OK;
  }
  HRESULT GetImage(const std::string&, std::vector<uint8_t>*, uint32_t*) override {
    return Call("GetImage"), S_FALSE;
  }
  HRESULT GetImageFile(int32_t, std::string*) override { return Call("GetImageFile"), S_FALSE; }
  HRESULT ImageFileCount(int32_t* v) override { return Call("ImageFileCount"), *v = 0, S_OK; }
  HRESULT GetTraceImage(int32_t, uint8_t, uint8_t, std::vector<uint8_t>*, uint32_t*) override {
    return Call("GetTraceImage"), S_FALSE;
  }
  HRESULT SetDirectory(const std::string& dir) override {
    return Call("SetDirectory " + dir), S_OK;
  }
  HRESULT Exit() override { return Call("Exit"), S_OK; }
  HRESULT LoadSysColors() override { return Call("LoadSysColors"), S_OK; }
  HRESULT Connect(int32_t devNo, const std::string& host, TConnInfo p, int32_t* cookie) override {
    Call("Connect " + std::to_string(devNo) + " " + host);
    HRESULT hr = S_OK;
    if (!connectResults.empty()) {
      hr = connectResults.front();
      connectResults.pop_front();
    }
    if (hr != S_OK) {
      *cookie = 0;
      return hr;
    }
    *cookie = nextCookie != 0 ? std::exchange(nextCookie, 0) : ++lastCookie_;
    connections.push_back(TConnection{*cookie, p, host, true});
    states[*cookie] = SEW_IDLE;
    return S_OK;
  }
  HRESULT Disconnect(int32_t c) override {
    Call("Disconnect " + std::to_string(c));
    for (auto& conn : connections)
      if (conn.cookie == c) conn.open = false;
    return S_OK;
  }
  HRESULT GetState(int32_t c, TSewingState* s) override {
    Call("GetState " + std::to_string(c));
    *s = State(c);
    return S_OK;
  }
  HRESULT IsSending(int32_t c, int32_t* r) override {
    Call("IsSending " + std::to_string(c));
    const auto it = sending.find(c);
    *r = it != sending.end() ? it->second : 0;
    return S_OK;
  }
  HRESULT SendStart(int32_t c) override { return Call("SendStart " + std::to_string(c)), S_OK; }
  HRESULT GetProgress(int32_t c, uint8_t* state, int32_t* nPos, int32_t* nMax, int32_t* nError,
                      uint16_t* nRot, uint8_t* nNeedleNo, int32_t* nRemain) override {
    Call("GetProgress " + std::to_string(c));
    *state = 0;
    *nPos = *nMax = *nError = *nRemain = 0;
    *nRot = 0;
    *nNeedleNo = 0;
    return S_OK;
  }
  HRESULT StitchColorCount(int32_t, int32_t* v) override { return *v = 0, S_OK; }
  HRESULT GetCookie(int32_t d, int32_t* v) override {
    *v = d >= 0 && d < static_cast<int32_t>(connections.size()) ? connections[d].cookie : 0;
    return S_OK;
  }
  HRESULT LoadStitch(int32_t, const std::string&) override { return S_OK; }
  HRESULT MachineColorCount(int32_t, int32_t* v) override { return *v = 15, S_OK; }
  HRESULT ChangeColor(int32_t, int32_t, int32_t) override { return S_OK; }
  HRESULT MachineColor(int32_t, int32_t, int32_t* v) override { return *v = 0, S_OK; }
  HRESULT StitchColor(int32_t, int32_t, int32_t* v) override { return *v = 0, S_OK; }
  HRESULT SendStartStream(int32_t c, platform::MemStream*) override {
    Call("SendStartStream " + std::to_string(c));
    HRESULT hr = S_OK;
    if (!sendResults.empty()) {
      hr = sendResults.front();
      sendResults.pop_front();
    }
    if (hr == S_OK && Find(c)) sending[c] = 1;
    return hr;
  }
  HRESULT ErrMessage(int32_t, std::string* v) override { return v->clear(), S_OK; }
  HRESULT DisconnectAll() override {
    Call("DisconnectAll");
    connections.clear();
    return S_OK;
  }
  HRESULT SyncChangeSpeed(int32_t s) override {
    return Call("SyncChangeSpeed " + std::to_string(s)), S_OK;
  }
  HRESULT OnTimer(int32_t c, int32_t tick, uint8_t* st, uint32_t* stitch, int32_t* err) override {
    Call("OnTimer " + std::to_string(c) + " " + std::to_string(tick));
    const auto it = timerAnswers.find(c);
    std::tie(*st, *stitch, *err) =
        it != timerAnswers.end() ? it->second : std::tuple<uint8_t, uint32_t, int32_t>{0, 0, 0};
    return S_OK;
  }
  HRESULT ClearError(int32_t c) override { return Call("ClearError " + std::to_string(c)), S_OK; }
  HRESULT SewingFilename(int32_t, std::string* v) override { return v->clear(), S_OK; }
  HRESULT GetModel(int32_t d, int32_t* m) override {
    Call("GetModel " + std::to_string(d));
    *m = d >= 0 && d < static_cast<int32_t>(connections.size()) ? 0x10 : 0;
    return S_OK;
  }

 private:
  void Call(const std::string& line) {
    log.push_back(line);
    if (during) during(line);
  }
  const TConnection* Find(TCookie c) const {
    for (const auto& conn : connections)
      if (conn.cookie == c) return &conn;
    return nullptr;
  }
  TSewingState State(TCookie c) const {
    const auto it = states.find(c);
    return Find(c) && it != states.end() ? it->second : SEW_OFFLINE;
  }

  TCookie lastCookie_ = 0;
};

// Hands a test's fake server to the code under test; the test keeps the fake.
class TFakeServiceLink : public TServiceLink {
 public:
  explicit TFakeServiceLink(TFakeService& fake) : fake_(fake) {}
  IPelSrvObject& Object() override { return fake_; }
  int EventFd() const override { return -1; }
  bool PumpEvents() override { return fake_.linkState != TLinkState::Lost; }
  TLinkState State() const override { return fake_.linkState; }
  void Probe() override { ++fake_.probes; }

 private:
  TFakeService& fake_;
};

inline TServiceConnector FakeConnector(TFakeService& fake) {
  return [&fake](std::unique_ptr<TServiceLink>* out) {
    *out = std::make_unique<TFakeServiceLink>(fake);
    return S_OK;
  };
}
