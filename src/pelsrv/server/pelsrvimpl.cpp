#include "pelsrv/server/pelsrvimpl.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "pelsrv/lines/pelmain.h"
#include "pelsrv/protocol/commbase.h"
#include "pelsrv/server/dirlist.h"
#include "pelsrv/server/jpegimage.h"
#include "pelsrv/server/serverimages.h"
#include "pelsrvapi/machinemessages.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/errorinfo.h"
#include "platform/memstream.h"
#include "rpc/sinklist.h"
#include "shared/colorinfo.h"
#include "shared/frmmarlow.h"
#include "shared/getserial.h"
#include "shared/stitch.h"

namespace {

constexpr std::size_t kMaxErrMessage = 127;

// COLORREF (0x00BBGGRR) to 0x00RRGGBB.
std::int32_t SwapRedBlue(COLORREF c) {
  return static_cast<std::int32_t>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}

void SetMessageError(std::int32_t id) {
  platform::SetErrorInfo(
      platform::ErrorInfo{ServiceMessageText(id).substr(0, kMaxErrMessage), "", kIidIPelSrv});
}

HRESULT RefuseTransfer() {
  SetMessageError(kMsgTryLater);
  return RPC_E_SERVERCALL_RETRYLATER;
}

HRESULT ImageResult(const platform::Bitmap& bitmap, std::vector<std::uint8_t>* strm,
                    std::uint32_t* size) {
  auto jpeg = EncodeJpeg(bitmap);
  if (!jpeg) {
    *size = 0;
    return E_FAIL;
  }
  *size = static_cast<std::uint32_t>(jpeg->size());
  *strm = std::move(*jpeg);
  return S_OK;
}

}  // namespace

TPelSrvImpl::TPelSrvImpl(TPelMain& main, TDirList& dirs, rpc::SinkList& sinks,
                         std::function<void()> requestClose)
    : main_(main), dirs_(dirs), sinks_(sinks), requestClose_(std::move(requestClose)) {}

TCommBase* TPelSrvImpl::Find(std::int32_t cookie) const { return main_.FindByCookie(cookie); }

HRESULT TPelSrvImpl::Advise(IPelSrvEvents* sink, std::uint32_t* cookie) {
  return sinks_.Advise(sink, cookie);
}

HRESULT TPelSrvImpl::Unadvise(std::uint32_t cookie) { return sinks_.Unadvise(cookie); }

HRESULT TPelSrvImpl::MachineCount(std::int32_t* Value) {
  *Value = main_.Count();
  return S_OK;
}

HRESULT TPelSrvImpl::GetMachineState(std::int32_t dwCookie, std::string* addr, std::uint8_t* state,
                                     std::int32_t* nErr) {
  if (TCommBase* c = Find(dwCookie)) {
    *addr = c->GetName();
    *state = static_cast<std::uint8_t>(c->EffectiveState());
    *nErr = c->GetError();
  } else {
    addr->clear();
    *state = SEW_OFFLINE;
    *nErr = kMsgDisconnected;
  }
  return S_OK;
}

HRESULT TPelSrvImpl::GetImage(const std::string& file, std::vector<std::uint8_t>* strm,
                              std::uint32_t* size) {
  *size = 0;
  std::filesystem::path path;
  std::error_code ec;
  if (!dirs_.PathOf(file, &path) || !std::filesystem::is_regular_file(path, ec)) return S_FALSE;
  return ImageResult(PreviewBitmap(path, main_.SystemPalette()), strm, size);
}

HRESULT TPelSrvImpl::GetImageFile(std::int32_t index, std::string* name) {
  return dirs_.Name(index, name) ? S_OK : S_FALSE;
}

HRESULT TPelSrvImpl::ImageFileCount(std::int32_t* Value) {
  std::string error;
  if (!dirs_.List(&error)) {
    platform::SetErrorInfo(platform::ErrorInfo{error, kPelSrvProgId, kIidIPelSrv});
    *Value = 0;
    return DISP_E_EXCEPTION;
  }
  *Value = dirs_.Count();
  return S_OK;
}

HRESULT TPelSrvImpl::GetTraceImage(std::int32_t dwCookie, std::uint8_t bSewing, std::uint8_t bSmall,
                                   std::vector<std::uint8_t>* strm, std::uint32_t* size) {
  TCommBase* c = Find(dwCookie);
  if (!c) {
    *size = 0;
    return S_FALSE;
  }
  return ImageResult(TraceBitmap(*c, bSewing, bSmall), strm, size);
}

HRESULT TPelSrvImpl::SetDirectory(const std::string& dir) {
  dirs_.SetDirectory(dir);
  return S_OK;
}

HRESULT TPelSrvImpl::Exit() {
  if (requestClose_) requestClose_();
  return S_OK;
}

HRESULT TPelSrvImpl::LoadSysColors() {
  main_.ReloadSystemPalette();
  return S_OK;
}

HRESULT TPelSrvImpl::Connect(std::int32_t devNo, const std::string& hostName, TConnInfo param,
                             std::int32_t* dwCookie) {
  *dwCookie = 0;
  if (!TPelMain::ValidDevNo(devNo)) return E_INVALIDARG;
  *dwCookie = main_.Connect(devNo, hostName, param, &sinks_);
  return *dwCookie != 0 ? S_OK : S_FALSE;
}

HRESULT TPelSrvImpl::Disconnect(std::int32_t dwCookie) {
  if (TCommBase* c = Find(dwCookie)) c->Close();
  return S_OK;
}

HRESULT TPelSrvImpl::GetState(std::int32_t dwCookie, TSewingState* state) {
  TCommBase* c = Find(dwCookie);
  *state = c ? c->EffectiveState() : SEW_OFFLINE;
  return S_OK;
}

HRESULT TPelSrvImpl::IsSending(std::int32_t dwCookie, std::int32_t* retVal) {
  TCommBase* c = Find(dwCookie);
  *retVal = c && c->IsSending() ? 1 : 0;
  return S_OK;
}

HRESULT TPelSrvImpl::SendStart(std::int32_t dwCookie) {
  TCommBase* c = Find(dwCookie);
  if (!c) return E_FAIL;
  // Asked first, so that a busy answer (which the client retries) leaves no file behind.
  if (!c->CanStartTransfer()) return RefuseTransfer();
  std::string folder, name;
  if (!MakeSerialName(".10o", folder, name)) {
    SetMessageError(kMsgNoRecentDirectory);
    return E_FAIL;
  }
  auto design = std::make_unique<TStitchItem>(c->SecondDesign());
  design->Title = name;
  design->FileName = name;
  if (!TStitchFormatMarlow::Save(folder + name, *design, &c->MachineColors())) {
    // Neither the claimed name nor what was written of the pair stays behind.
    ReleaseSerialName(folder, name);
    return E_FAIL;
  }
  // A running transfer keeps its design: the new one is taken only when the transfer starts.
  if (!c->StartTransfer(std::move(design), false)) return RefuseTransfer();
  return S_OK;
}

HRESULT TPelSrvImpl::GetProgress(std::int32_t dwCookie, std::uint8_t* state, std::int32_t* nPos,
                                 std::int32_t* nMax, std::int32_t* nError, std::uint16_t* nRot,
                                 std::uint8_t* nNeedleNo, std::int32_t* nRemain) {
  const TCommBase* c = Find(dwCookie);
  const TProgress p = c ? c->Progress() : TProgress{};
  *state = p.state;
  *nPos = p.nPos;
  *nMax = p.nMax;
  *nError = p.nError;
  *nRot = static_cast<std::uint16_t>(p.nRot);
  *nNeedleNo = static_cast<std::uint8_t>(p.nNeedleNo);
  *nRemain = p.nRemain;
  return S_OK;
}

HRESULT TPelSrvImpl::StitchColorCount(std::int32_t dwCookie, std::int32_t* Value) {
  const TCommBase* c = Find(dwCookie);
  *Value = c ? c->SecondDesign().GetColorCount() : 0;
  return S_OK;
}

HRESULT TPelSrvImpl::GetCookie(std::int32_t devNo, std::int32_t* dwCookie) {
  const TCommBase* c = main_.GetByPosition(devNo);
  *dwCookie = c ? c->Cookie() : 0;
  return S_OK;
}

HRESULT TPelSrvImpl::LoadStitch(std::int32_t dwCookie, const std::string& name) {
  TCommBase* c = Find(dwCookie);
  if (!c) return S_OK;
  std::filesystem::path path;
  if (!dirs_.PathOf(name, &path)) return E_INVALIDARG;
  c->LoadSecondDesign(path);
  return S_OK;
}

HRESULT TPelSrvImpl::MachineColorCount(std::int32_t dwCookie, std::int32_t* Value) {
  const TCommBase* c = Find(dwCookie);
  *Value = c ? c->MachineColors().GetCount() : 0;
  return S_OK;
}

HRESULT TPelSrvImpl::ChangeColor(std::int32_t dwCookie, std::int32_t fromIndex,
                                 std::int32_t toIndex) {
  TCommBase* c = Find(dwCookie);
  if (!c) return S_OK;
  TStitchItem& design = c->SecondDesign();
  const TColorInfo& palette = c->MachineColors();
  if (fromIndex < 0 || fromIndex >= palette.GetCount() || toIndex < 0 ||
      toIndex >= design.GetColorCount())
    return E_INVALIDARG;
  TEmbColor block;
  block.Mark = 0;
  block.Index = static_cast<std::uint8_t>(fromIndex);
  block.Color = palette.GetColor(fromIndex);
  design.SetColor(toIndex, block);
  return S_OK;
}

HRESULT TPelSrvImpl::MachineColor(std::int32_t dwCookie, std::int32_t index, std::int32_t* Value) {
  *Value = 0;
  const TCommBase* c = Find(dwCookie);
  if (!c) return S_OK;
  if (index < 0 || index >= c->MachineColors().GetCount()) return E_INVALIDARG;
  *Value = SwapRedBlue(c->MachineColors().GetColor(index));
  return S_OK;
}

HRESULT TPelSrvImpl::StitchColor(std::int32_t dwCookie, std::int32_t index, std::int32_t* Value) {
  *Value = 0;
  const TCommBase* c = Find(dwCookie);
  if (!c) return S_OK;
  if (index < 0 || index >= c->SecondDesign().GetColorCount()) return E_INVALIDARG;
  *Value = SwapRedBlue(c->SecondDesign().GetColor(index, &c->MachineColors()));
  return S_OK;
}

HRESULT TPelSrvImpl::SendStartStream(std::int32_t dwCookie, platform::MemStream* strm) {
  if (!strm) return E_NOINTERFACE;
  TCommBase* c = Find(dwCookie);
  if (!c) return S_OK;
  auto design = std::make_unique<TStitchItem>();
  if (!design->Load(strm)) return E_INVALIDARG;  // starts nothing
  return c->StartTransfer(std::move(design), true) ? S_OK : RPC_E_SERVERCALL_RETRYLATER;
}

HRESULT TPelSrvImpl::ErrMessage(std::int32_t code, std::string* Value) {
  *Value = ServiceMessageText(code).substr(0, kMaxErrMessage);
  return S_OK;
}

HRESULT TPelSrvImpl::DisconnectAll() {
  main_.DestroyAll();
  return S_OK;
}

HRESULT TPelSrvImpl::SyncChangeSpeed(std::int32_t nSpeed) {
  main_.ChangeCommonSpeed(nSpeed);
  return S_OK;
}

HRESULT TPelSrvImpl::OnTimer(std::int32_t dwCookie, std::int32_t nTimerTick,
                             std::uint8_t* curStatus, std::uint32_t* curStitchNum,
                             std::int32_t* nErrorCode) {
  *curStatus = 0;
  *curStitchNum = 0;
  *nErrorCode = 0;
  if (TCommBase* c = Find(dwCookie))
    c->PollTimer(nTimerTick, *curStatus, *curStitchNum, *nErrorCode);
  return S_OK;
}

HRESULT TPelSrvImpl::ClearError(std::int32_t dwCookie) {
  if (TCommBase* c = Find(dwCookie)) c->ClearError();
  return S_OK;
}

HRESULT TPelSrvImpl::SewingFilename(std::int32_t dwCookie, std::string* Value) {
  const TCommBase* c = Find(dwCookie);
  *Value = c ? c->SewingFileName() : std::string();
  return S_OK;
}

HRESULT TPelSrvImpl::GetModel(std::int32_t devNo, std::int32_t* model) {
  const TCommBase* c = main_.GetByPosition(devNo);
  *model = c ? c->MachineType() : 0;
  return S_OK;
}
