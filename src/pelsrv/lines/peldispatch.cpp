#include "pelsrv/lines/peldispatch.h"

#include "pelsrv/lines/commtcpip.h"
#include "pelsrv/lines/pelmain.h"
#include "pelsrv/lines/tcplinemessage.h"
#include "pelsrv/protocol/replyrecord.h"
#include "platform/usermessages.h"

namespace {

// A reply comes by value in the payload, or as a bare code in lParam (below 256).
bool ReplyOf(const platform::Message& message, TReplyRecord& record) {
  if (message.payloadSize > 0) {
    record = TReplyRecord::FromBytes(message.Payload());
    return true;
  }
  if (message.lParam < 0 || message.lParam > 0xFF) return false;
  record = TReplyRecord::BareCode(static_cast<std::uint8_t>(message.lParam));
  return true;
}

}  // namespace

bool TPelDispatch::Dispatch(const platform::Message& message) {
  const auto cookie = static_cast<TCookie>(message.wParam);
  switch (message.msg) {
    case platform::UM_RX_COMMAND: {
      TCommBase* comm = main_.FindByCookie(cookie);
      if (TCommTcpip* tcp = main_.FindTcpByCookie(cookie)) {
        if (!tcp->FromCurrentReader(message.lParam)) return true;  // the line it came from is gone
      }
      TReplyRecord record;
      if (comm != nullptr && ReplyOf(message, record)) comm->Receive(record);
      return true;
    }
    case platform::UM_MODEM_STATUS:
      if (TCommBase* comm = main_.FindByCookie(cookie)) comm->LineChanged();
      return true;
    case platform::UM_BLOCK_SENT:
      if (TCommBase* comm = main_.FindByCookie(cookie)) comm->BlockSent();
      return true;
    case pelsrv::UM_TRANSFER_WATCH:
      main_.WatchTransfer(cookie);
      return true;
    case pelsrv::UM_TCP_LINE:
      if (TCommTcpip* tcp = main_.FindTcpByCookie(cookie)) {
        tcp->ReaderMessage(pelsrv::DecodeTcpLine(message.lParam));
      }
      return true;
    default:
      return false;
  }
}
