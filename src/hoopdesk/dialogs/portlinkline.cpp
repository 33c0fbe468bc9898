#include "hoopdesk/dialogs/portlinkline.h"

#include <chrono>

namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t kSlot = 0;
constexpr int kWaitSteps = 20;
constexpr auto kWaitStep = 100ms;
// No log file is named: the scan logs nothing.
constexpr std::uint16_t kLogLevel = 2;
constexpr std::uint8_t kProbing = 0x3F;
constexpr std::uint8_t kModemAnswer = 0x4F;  // 'O'

}  // namespace

TPortlinkLine::TPortlinkLine()
    : records_(std::make_unique<TRecords>()),
      queue_(std::make_shared<platform::QueueTarget>()),
      window_(queue_) {}

TPortlinkLine::~TPortlinkLine() {
  Close();
  DLLInitialize(nullptr);
}

void TPortlinkLine::Begin(std::uint32_t baudRate) {
  Close();
  *records_ = TRecords{};
  portlink::TTYInfo& tty = records_->tty;
  records_->sys.cmdInfo = &records_->cmd;
  records_->sys.ttyInfo = &tty;
  tty.logLevel = kLogLevel;
  DLLInitialize(&records_->sys);
  SetupSYSInfo(kSlot, &records_->sys);
  tty.window = window_.Id();
  tty.rxMode = 1;
  tty.baudRate = baudRate;
}

bool TPortlinkLine::Find(int comIndex) {
  Close();
  portlink::TTYInfo& tty = records_->tty;
  tty.comIndex = static_cast<std::uint8_t>(comIndex);
  tty.modemStatus = 0;
  const bool usable = FindCommPort(kSlot) == 1;
  // The probe ran on this thread and no port thread runs yet: the status is ours to read.
  dsr_ = usable && (tty.modemStatus & portlink::MS_DSR_ON) != 0;
  return usable;
}

bool TPortlinkLine::Open() {
  Close();
  DropPending();
  modem_ = false;
  records_->cmd.machineType = kProbing;
  records_->tty.callerId = ++callerId_;
  open_ = true;  // even a port whose settings failed is open and must be closed
  return OpenCommPort(kSlot) == 1;
}

void TPortlinkLine::Send(std::span<const std::uint8_t> bytes) {
  if (!open_) return;
  records_->tty.block = bytes.data();
  records_->tty.blockLength = static_cast<std::uint32_t>(bytes.size());
  SendBlockSync(kSlot);
  records_->tty.block = nullptr;
  records_->tty.blockLength = 0;
}

bool TPortlinkLine::Handle(const platform::Message& message) {
  if (message.msg != platform::UM_RX_COMMAND || !open_ || message.wParam != callerId_ ||
      message.payloadSize == 0)
    return false;
  AnalizeCmd(message.payload.data(), kSlot);
  if (message.payload[0] == kModemAnswer) modem_ = true;
  return true;
}

bool TPortlinkLine::WaitForReply(const TPump& pump) {
  for (int i = 0; i < kWaitSteps; ++i) {
    if (pump) pump();
    const auto end = std::chrono::steady_clock::now() + kWaitStep;
    for (auto now = std::chrono::steady_clock::now(); now < end;
         now = std::chrono::steady_clock::now()) {
      const auto m = queue_->Wait(std::chrono::duration_cast<std::chrono::milliseconds>(end - now));
      if (!m) break;
      if (Handle(*m)) return true;
    }
  }
  return false;
}

void TPortlinkLine::DropPending() {
  while (queue_->Wait(0ms)) {
  }
}

void TPortlinkLine::Close() {
  if (!open_) return;
  CloseCommPort(kSlot);
  open_ = false;
  DropPending();
}

portlink::CMDInfo TPortlinkLine::Identity() const { return records_->cmd; }
