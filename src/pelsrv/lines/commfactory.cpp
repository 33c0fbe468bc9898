#include "pelsrv/lines/commfactory.h"

#include "pelsrv/lines/commserial.h"
#include "pelsrv/lines/commtcpip.h"

TCreatedComm CreateComm(const TCommParams& p) {
  TCreatedComm created;
  if (p.info.tcpip != 0) {
    auto tcp = std::make_unique<TCommTcpip>(p.owner, p.devNo, p.cookie, p.group, p.tcpTimeouts);
    tcp->OpenTcp(p.window, p.hostName, p.info);
    created.tcp = tcp.get();
    created.comm = std::move(tcp);
  } else {
    auto serial = std::make_unique<TCommSerial>(p.owner, p.devNo, p.cookie, p.group);
    const auto comIndex = static_cast<std::uint8_t>(p.info.port & 0xFF);
    if (!serial->OpenSerial(p.window, comIndex, p.logFileName, p.info.baudRate)) return {};
    created.serial = serial.get();
    created.comm = std::move(serial);
  }
  created.comm->LoadMachineColors();
  return created;
}
