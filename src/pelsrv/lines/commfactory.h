// Builds the connection a TConnInfo asks for: TCP/IP or a serial line.
#pragma once

#include <memory>
#include <string>

#include "pelsrv/lines/connthread.h"
#include "pelsrv/protocol/commbase.h"
#include "platform/messagetarget.h"

class TCommTcpip;
class TCommSerial;

struct TCommParams {
  platform::TargetId window = 0;  // where the transports post
  IPelSrvEvents* owner = nullptr;
  ISyncGroup* group = nullptr;
  TDevNo devNo = 0;
  TCookie cookie = 0;
  std::string hostName;
  TConnInfo info{};
  std::string logFileName;
  pelsrv::TcpTimeouts tcpTimeouts;
};

// The connection, owned, with a typed view of its transport.
struct TCreatedComm {
  std::unique_ptr<TCommBase> comm;
  TCommTcpip* tcp = nullptr;
  TCommSerial* serial = nullptr;

  explicit operator bool() const { return comm != nullptr; }
};

// Opens the connection and loads its machine colours; empty when it could not be opened (a
// serial port that is missing, busy or on a device number that is no Portlink slot).
TCreatedComm CreateComm(const TCommParams& params);
