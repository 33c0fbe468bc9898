// Feeds machine bytes through the receive handler, in reads of varying size, and decodes every
// posted command with AnalizeCmd as a caller does.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/messagetarget.h"
#include "platform/usermessages.h"
#include "portlink/driver.h"
#include "portlink/portlink.h"
#include "portlink/receiver.h"

namespace {

// Decodes each command as it arrives; a message carries its bytes, so this is what the
// caller's thread would see.
class Decoder : public platform::MessageTarget {
 public:
  void Deliver(platform::Message m) override {
    if (m.msg == platform::UM_RX_COMMAND && m.payloadSize > 0) AnalizeCmd(m.payload.data(), 0);
  }
};

struct Caller {
  Caller() {
    sys.cmdInfo = &cmd;
    sys.ttyInfo = &tty;
    sys.reply23 = reply23;
    tty.rxCopy = copy;
  }
  std::shared_ptr<Decoder> decoder = std::make_shared<Decoder>();
  platform::TargetRegistration window{decoder};
  portlink::CMDInfo cmd{};
  portlink::TTYInfo tty{};
  portlink::SYSInfo sys{};
  std::uint8_t reply23[53]{};
  std::uint8_t copy[513]{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Caller caller;
  if (size == 0) return 0;
  // The first byte chooses raw or command mode and the size of the reads.
  const std::size_t readSize = (data[0] & 0x3F) + 1;
  caller.tty = portlink::TTYInfo{};
  caller.tty.rxCopy = caller.copy;
  caller.tty.rxMode = (data[0] & 0x40) ? 0 : 1;
  caller.tty.window = caller.window.Id();
  DLLInitialize(&caller.sys);
  portlink::Driver& driver = portlink::TheDriver();
  std::span<const std::uint8_t> rest(data + 1, size - 1);
  while (!rest.empty()) {
    auto read = rest.first(std::min(rest.size(), readSize));
    portlink::HandleReceived(driver, *driver.Bound(0), read);
    rest = rest.subspan(read.size());
  }
  return 0;
}
