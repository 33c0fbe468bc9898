#include "portlink/linewatch.h"

#include "platform/usermessages.h"

namespace portlink {

namespace {

bool operator!=(const COMSTAT& a, const COMSTAT& b) {
  return a.flags != b.flags || a.cbInQue != b.cbInQue || a.cbOutQue != b.cbOutQue;
}

std::uint32_t EventsOfModemChange(std::uint32_t before, std::uint32_t after) {
  const std::uint32_t changed = before ^ after;
  std::uint32_t events = 0;
  if (changed & MS_CTS_ON) events |= EV_CTS;
  if (changed & MS_DSR_ON) events |= EV_DSR;
  if (changed & MS_RLSD_ON) events |= EV_RLSD;
  if (changed & after & MS_RING_ON) events |= EV_RING;
  return events;
}

}  // namespace

void LineWatch::CheckModem(bool forced) {
  TTYInfo* tty = slot_.tty.load();
  if (tty == nullptr) return;
  std::uint32_t status = 0;
  if (std::uint32_t error = port_.ModemStatus(status)) {
    driver_.ReportError(slot_, error, "GetCommModemStatus");
    return;
  }
  if (!forced && modemSeen_ && status == modem_) return;
  if (modemSeen_) ReportEvents(*tty, EventsOfModemChange(modem_, status));
  modemSeen_ = true;
  modem_ = status;
  ReportModem(*tty, status);
}

void LineWatch::ReportModem(TTYInfo& tty, std::uint32_t status) {
  StoreShared(tty.modemStatus, status);
  // DTR follows DSR before the caller hears of the change.
  port_.SetDtr((status & MS_DSR_ON) != 0);
  Driver::PostToCaller(tty, platform::UM_MODEM_STATUS, tty.callerId, status);
}

void LineWatch::ReportEvents(TTYInfo& tty, std::uint32_t events) {
  events &= LoadShared(tty.eventMask);
  if (events == 0) return;
  StoreShared(tty.lastEvent, events);
  Driver::PostStatus(tty, platform::UM_COMM_EVENT, events, slot_.index);
}

void LineWatch::CheckLine(bool forced) {
  TTYInfo* tty = slot_.tty.load();
  if (tty == nullptr) return;
  std::uint32_t errors = 0;
  COMSTAT stat{};
  if (std::uint32_t error = port_.LineStatus(errors, stat)) {
    driver_.ReportError(slot_, error, "ClearCommError");
    return;
  }
  StoreShared(tty->comStat.flags, stat.flags);
  StoreShared(tty->comStat.cbInQue, stat.cbInQue);
  StoreShared(tty->comStat.cbOutQue, stat.cbOutQue);
  if (errors != errors_) {
    errors_ = errors;
    forced = true;
    std::uint32_t events = 0;
    if (errors & (CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_RXOVER)) events |= EV_ERR;
    if (errors & CE_BREAK) events |= EV_BREAK;
    ReportEvents(*tty, events);
  }
  bool report = forced;
  if (stat != stat_) {
    stat_ = stat;
    report = true;
  }
  if (report) Driver::PostStatus(*tty, platform::UM_LINE_STATUS, errors, slot_.index);
}

}  // namespace portlink
