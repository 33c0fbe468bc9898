#include "pelsrv/protocol/commbase.h"

#include "pelsrv/protocol/machinetext.h"
#include "pelsrv/protocol/syncgroup.h"
#include "pelsrvapi/machinemessages.h"
#include "platform/datafolder.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

namespace {

constexpr int kMachineColorCount = 15;

}  // namespace

TCommBase::TCommBase(IPelSrvEvents* owner, TDevNo devNo, TCookie cookie, ISyncGroup* group)
    : owner_(owner),
      group_(group),
      cookie_(cookie),
      devNo_(devNo),
      sendDesign_(std::make_shared<TStitchItem>()),
      secondDesign_(std::make_unique<TStitchItem>()),
      machineColors_(std::make_unique<TColorInfo>()) {
  status_.machineNumber = static_cast<std::uint16_t>(devNo + 1);
}

TCommBase::~TCommBase() = default;

void TCommBase::SendCommand(std::uint8_t code) { PutCommand(MakeCommand(code)); }

void TCommBase::SendCommand(std::uint8_t code, std::uint8_t value) {
  PutCommand(MakeCommand(code, value));
}

void TCommBase::SendCommand(std::uint8_t code, std::uint8_t value, std::uint16_t word1,
                            std::uint16_t word2, std::int32_t speed) {
  PutCommand(MakeCommand(code, value, word1, word2, speed));
}

void TCommBase::PreviewReply(const TReplyRecord&) {}

std::int32_t TCommBase::PollTimer(std::int32_t tick, std::uint8_t& status, std::uint32_t& stitch,
                                  std::int32_t& error) {
  status = 0;
  stitch = 0;
  error = 0;
  if (state_ == SEW_ERROR) {
    status = status_.lastProgressCode;
    stitch = status_.currentStitch;
    error = error_;
  }
  if ((error_ == 296 || error_ == 297 || error_ == 298) && tick % 10 == 0) {
    SendCommand(kCmdProgressRequest);
  }
  return state_;
}

void TCommBase::ResetProgress(bool forgetDesign) {
  if (forgetDesign) {
    sendDesign_ = std::make_shared<TStitchItem>();
    designLoaded_ = false;
  }
  progress_ = TProgress{};
}

std::string TCommBase::ColorSectionName() const {
  // A network machine's name comes from outside: one that could break the colour-table file or
  // meet another section is written in a safe form.
  if (canReconnect_) return NetworkColorSection(GetName());
  return "MacColor" + std::to_string(devNo_ + 1);
}

bool TCommBase::LoadMachineColors() {
  machineColors_->SetFileName(platform::DataPath("SysColor.dat").string());
  machineColors_->LoadColors(ColorSectionName(), kMachineColorCount);
  return machineColors_->GetCount() == kMachineColorCount;
}

void TCommBase::ResizeMachineColors(std::int32_t count) {
  while (machineColors_->GetCount() > count) machineColors_->Delete(machineColors_->GetCount() - 1);
  while (machineColors_->GetCount() < count) {
    TSTITCH_COLOR entry;
    entry.Color = BuiltinColor(machineColors_->GetCount());
    machineColors_->Insert(-1, entry);
  }
}

TSewingState TCommBase::EffectiveState() const {
  if (!online_) return SEW_OFFLINE;
  if (state_ == SEW_IDLE && status_.currentStitch != 0) return SEW_PAUSED;
  return state_;
}

bool TCommBase::IsSyncCapable() const {
  return (identity_.machineType == 0x10 || identity_.machineType == 0x20) &&
         identity_.syncFlags != 0;
}

bool TCommBase::SkipsSyncMode() const {
  return status_.lastReceivedCode == 0x6D && status_.lastCommandWritten != kCmdSyncSetup;
}

bool TCommBase::IsSewingNow() const { return status_.lastProgressCode == 0x11; }

void TCommBase::SetError(std::int32_t id) {
  if (id != error_) LogError(id);
  error_ = id;
}

void TCommBase::ClearError() {
  error_ = 0;
  state_ = SEW_IDLE;
}

void TCommBase::SendSyncStop(std::uint8_t code) {
  if (code == kCmdGroupStop || (code == kCmdWithdrawSetup && lastQueuedCommand_ == kCmdSyncSetup)) {
    SendCommand(code);
  }
}

void TCommBase::SendIdentityRequest() { SendCommand(kCmdIdentityRequest); }

void TCommBase::FireStatusChange(std::uint8_t state) {
  if (owner_) owner_->OnStatusChange(cookie_, state);
}

void TCommBase::LineChanged() {
  if (online_) {
    SettleState();
  } else {
    // The line broke under a transfer: it failed, and the client hears why.
    if (sending_) FailTransfer(kMsgDisconnected);
    if (owner_) owner_->OnSendProgress(cookie_, 0);
    state_ = SEW_OFFLINE;
    sendDesign_ = std::make_shared<TStitchItem>();
    designLoaded_ = false;
    sewingFileName_.clear();
  }
  FireStatusChange(static_cast<std::uint8_t>(state_));
}

void TCommBase::SettleState() {
  switch (state_) {
    case SEW_SEWING:
      state_ = SEW_PAUSED;
      break;
    case SEW_PAUSED:
      if (status_.currentStitch == 0) {
        state_ = SEW_IDLE;
        LogSewingAborted();
      }
      break;
    default:
      state_ = (status_.currentStitch == 0 || sending_ || status_.lastProgressCode == 0x13)
                   ? SEW_IDLE
                   : SEW_PAUSED;
      break;
  }
}

std::filesystem::path SendFolderPath(const std::string& name) {
  return platform::DataPath("SendData") / name;
}

std::shared_ptr<TStitchItem> TCommBase::DesignNamed(const std::string& name) const {
  if (sentDesign_ && !name.empty() && name == sentName_) {
    return std::make_shared<TStitchItem>(*sentDesign_);
  }
  // The name comes from the machine; only a plain name inside the send folder is opened.
  if (!IsSafeDesignName(name)) return nullptr;
  auto design = std::make_shared<TStitchItem>();
  if (!design->Load(SendFolderPath(name).string(), *machineColors_)) return nullptr;
  return design;
}

bool TCommBase::LoadTraceDesign() {
  if (designLoaded_) return true;
  std::shared_ptr<TStitchItem> design = DesignNamed(sewingFileName_);
  // A failed load leaves the design being sewn, its total and its trace as they were.
  if (!design) return false;
  design->ColorMatch(machineColors_.get());
  progress_.nMax = design->GetStitchSize(identity_.machineType);
  // Replaced, not changed in place: a running transfer keeps the design it started with.
  sendDesign_ = std::move(design);
  designLoaded_ = true;
  return true;
}

bool TCommBase::LoadSecondDesign(const std::filesystem::path& path) {
  auto design = std::make_unique<TStitchItem>();
  secondLoaded_ = design->Load(path.string(), *machineColors_);
  if (secondLoaded_) design->ColorMatch(machineColors_.get());
  secondStitchSize_ = secondLoaded_ ? design->GetStitchSize(identity_.machineType) : 0;
  secondDesign_ = std::move(design);
  return secondLoaded_;
}
