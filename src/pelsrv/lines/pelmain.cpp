#include "pelsrv/lines/pelmain.h"

#include <fstream>
#include <system_error>

#include "pelsrv/lines/commserial.h"
#include "pelsrv/lines/commtcpip.h"
#include "platform/datafolder.h"

namespace {

bool SameGroup(const TCommBase& member, const TCommBase& from) {
  return &member == &from || member.SewingFileName() == from.SewingFileName();
}

// Bytes 2..7 of the socket-address layout: the port and the IPv4 address.
bool SameAddress(const TConnAddress& address, const TConnInfo& info) {
  const auto* port = reinterpret_cast<const std::uint8_t*>(&info.port);
  return address[2] == port[0] && address[3] == port[1] && address[4] == info.b1 &&
         address[5] == info.b2 && address[6] == info.b3 && address[7] == info.b4;
}

}  // namespace

TPelMain::TPelMain(platform::TargetId window, TPelMainOptions options)
    : window_(window), options_(options), transferWakeUps_(window, pelsrv::UM_TRANSFER_WATCH) {
  logFileName_ = platform::DataPath("pelservice.log");
  sendFolder_ = platform::DataPath("SendData");
  systemPalette_.SetFileName(platform::DataPath("SysColor.dat").string());
  systemPalette_.LoadColors("SysColor", kSystemColors);
  RotateLog(logFileName_, kLogRotateSize);
}

TPelMain::~TPelMain() = default;

TCommBase* TPelMain::FindByCookie(TCookie cookie) const {
  for (const Entry& e : list_) {
    if (e.comm->Cookie() == cookie) return e.comm.get();
  }
  return nullptr;
}

TCommTcpip* TPelMain::FindTcpByCookie(TCookie cookie) const {
  for (const Entry& e : list_) {
    if (e.comm->Cookie() == cookie) return e.tcp;
  }
  return nullptr;
}

TCommBase* TPelMain::GetByPosition(std::int32_t position) const {
  if (position < 0 || position >= Count()) return nullptr;
  return list_[static_cast<std::size_t>(position)].comm.get();
}

bool TPelMain::SerialSlotInUse(TDevNo devNo) const {
  for (const Entry& e : list_) {
    if (e.serial != nullptr && e.serial->PortOpen() && e.serial->DeviceNumber() == devNo) {
      return true;
    }
  }
  return false;
}

TCookie TPelMain::Connect(TDevNo devNo, const std::string& hostName, const TConnInfo& info,
                          IPelSrvEvents* owner) {
  if (!ValidDevNo(devNo)) return 0;
  if (devNo < Count()) {
    Entry& at = list_[static_cast<std::size_t>(devNo)];
    if (at.tcp != nullptr && at.comm->CanReconnect() && !at.comm->IsOnline() &&
        SameAddress(at.comm->GetAddress(), info)) {
      at.tcp->Reconnect();
      return at.comm->Cookie();
    }
  }
  // Portlink has one slot per device number; a second port on a slot in use would take over
  // the first one's records.
  if (info.tcpip == 0 && SerialSlotInUse(devNo)) return 0;

  TCommParams params;
  params.window = window_;
  params.owner = owner;
  params.group = this;
  params.devNo = devNo;
  params.cookie = nextCookie_;
  params.hostName = hostName;
  params.info = info;
  params.logFileName = logFileName_.string();
  params.tcpTimeouts = options_.tcpTimeouts;
  TCreatedComm created = CreateComm(params);
  if (!created) return 0;
  created.comm->SetTransferTimeout(options_.transferTimeout);
  created.comm->SetTransferWake([this, cookie = nextCookie_](TTransferWatch::Clock::time_point at) {
    transferWakeUps_.At(static_cast<std::uintptr_t>(cookie), at);
  });
  list_.push_back(Entry{std::move(created.comm), created.tcp, created.serial});
  return nextCookie_++;
}

void TPelMain::DestroyAll() {
  for (Entry& e : list_) e.comm.reset();
  list_.clear();
}

void TPelMain::WatchTransfer(TCookie cookie) {
  if (TCommBase* comm = FindByCookie(cookie)) {
    comm->CheckTransferTimeout(TTransferWatch::Clock::now());
  }
}

std::int32_t TPelMain::SyncCapableCount() const {
  std::int32_t count = 0;
  for (const Entry& e : list_) {
    if (e.comm->IsSyncCapable()) ++count;
  }
  return count;
}

template <typename Send>
void TPelMain::ForIdleGroupMembers(const TCommBase& from, Send send) {
  for (Entry& e : list_) {
    TCommBase& m = *e.comm;
    if (m.IsSyncCapable() && SameGroup(m, from) && !m.IsSewingNow()) send(m);
  }
}

void TPelMain::RelaySyncSetup(TCommBase& from, std::uint8_t mode, std::uint16_t word1,
                              std::uint16_t word2) {
  ForIdleGroupMembers(
      from, [&](TCommBase& m) { m.SendCommand(kCmdSyncSetup, mode, word1, word2, commonSpeed_); });
}

void TPelMain::RelaySyncMode(TCommBase& from, std::uint8_t value) {
  ForIdleGroupMembers(from, [&](TCommBase& m) {
    if (value == 2 && m.SkipsSyncMode()) return;
    m.SendCommand(kCmdSyncMode, value);
  });
}

void TPelMain::RelaySyncStop(TCommBase& from, std::uint8_t code) {
  for (Entry& e : list_) {
    TCommBase& m = *e.comm;
    if (m.IsSyncCapable() && SameGroup(m, from)) m.SendSyncStop(code);
  }
}

void TPelMain::StopAllSyncCapable(TCommBase&) {
  for (Entry& e : list_) {
    if (e.comm->IsSyncCapable()) e.comm->SendCommand(kCmdGroupStop);
  }
}

void TPelMain::ChangeCommonSpeed(std::int32_t speed) {
  if (speed == commonSpeed_) return;
  commonSpeed_ = speed;
  const auto value = static_cast<std::uint8_t>((speed / 10) & 0xFF);
  for (Entry& e : list_) {
    if (e.comm->IsSyncCapable()) e.comm->SendCommand(kCmdGroupSpeed, value);
  }
}

void TPelMain::ReloadSystemPalette() { systemPalette_.LoadColors("SysColor", kSystemColors); }
