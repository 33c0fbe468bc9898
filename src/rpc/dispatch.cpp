#include "rpc/dispatch.h"

#include <iterator>

#include "rpc/marshal.h"

namespace rpc {

namespace {

using MethodThunk = Invoked (*)(IPelSrv&, FrameReader&, FrameWriter&, HRESULT*);
using EventThunk = Invoked (*)(IPelSrvEvents&, FrameReader&, FrameWriter&);

template <auto Method>
Invoked CallMethod(IPelSrv& obj, FrameReader& in, FrameWriter& out, HRESULT* result) {
  return InvokeLocal(obj, Method, in, out, result) ? Invoked::kDone : Invoked::kBadArguments;
}

template <auto Event>
Invoked CallEvent(IPelSrvEvents& sink, FrameReader& in, FrameWriter& out) {
  return InvokeLocal(sink, Event, in, out, static_cast<void*>(nullptr)) ? Invoked::kDone
                                                                        : Invoked::kBadArguments;
}

struct MethodEntry {
  int32_t dispid;
  MethodThunk thunk;
};

constexpr MethodEntry kMethods[] = {
    {DISPID_MachineCount, &CallMethod<&IPelSrv::MachineCount>},
    {DISPID_GetMachineState, &CallMethod<&IPelSrv::GetMachineState>},
    {DISPID_GetImage, &CallMethod<&IPelSrv::GetImage>},
    {DISPID_GetImageFile, &CallMethod<&IPelSrv::GetImageFile>},
    {DISPID_ImageFileCount, &CallMethod<&IPelSrv::ImageFileCount>},
    {DISPID_GetTraceImage, &CallMethod<&IPelSrv::GetTraceImage>},
    {DISPID_SetDirectory, &CallMethod<&IPelSrv::SetDirectory>},
    {DISPID_Exit, &CallMethod<&IPelSrv::Exit>},
    {DISPID_LoadSysColors, &CallMethod<&IPelSrv::LoadSysColors>},
    {DISPID_Connect, &CallMethod<&IPelSrv::Connect>},
    {DISPID_Disconnect, &CallMethod<&IPelSrv::Disconnect>},
    {DISPID_GetState, &CallMethod<&IPelSrv::GetState>},
    {DISPID_IsSending, &CallMethod<&IPelSrv::IsSending>},
    {DISPID_SendStart, &CallMethod<&IPelSrv::SendStart>},
    {DISPID_GetProgress, &CallMethod<&IPelSrv::GetProgress>},
    {DISPID_StitchColorCount, &CallMethod<&IPelSrv::StitchColorCount>},
    {DISPID_GetCookie, &CallMethod<&IPelSrv::GetCookie>},
    {DISPID_LoadStitch, &CallMethod<&IPelSrv::LoadStitch>},
    {DISPID_MachineColorCount, &CallMethod<&IPelSrv::MachineColorCount>},
    {DISPID_ChangeColor, &CallMethod<&IPelSrv::ChangeColor>},
    {DISPID_MachineColor, &CallMethod<&IPelSrv::MachineColor>},
    {DISPID_StitchColor, &CallMethod<&IPelSrv::StitchColor>},
    {DISPID_SendStartStream, &CallMethod<&IPelSrv::SendStartStream>},
    {DISPID_ErrMessage, &CallMethod<&IPelSrv::ErrMessage>},
    {DISPID_DisconnectAll, &CallMethod<&IPelSrv::DisconnectAll>},
    {DISPID_SyncChangeSpeed, &CallMethod<&IPelSrv::SyncChangeSpeed>},
    {DISPID_OnTimer, &CallMethod<&IPelSrv::OnTimer>},
    {DISPID_ClearError, &CallMethod<&IPelSrv::ClearError>},
    {DISPID_SewingFilename, &CallMethod<&IPelSrv::SewingFilename>},
    {DISPID_GetModel, &CallMethod<&IPelSrv::GetModel>},
};
static_assert(std::size(kMethods) == 30);

struct EventEntry {
  int32_t dispid;
  EventThunk thunk;
};

constexpr EventEntry kEvents[] = {
    {DISPID_OnStatusChange, &CallEvent<&IPelSrvEvents::OnStatusChange>},
    {DISPID_OnSendProgress, &CallEvent<&IPelSrvEvents::OnSendProgress>},
    {DISPID_OnSendStop, &CallEvent<&IPelSrvEvents::OnSendStop>},
    {DISPID_OnProgress, &CallEvent<&IPelSrvEvents::OnProgress>},
    {DISPID_OnFilenameAck, &CallEvent<&IPelSrvEvents::OnFilenameAck>},
    {DISPID_OnComplete, &CallEvent<&IPelSrvEvents::OnComplete>},
    {DISPID_OnSyncSetup, &CallEvent<&IPelSrvEvents::OnSyncSetup>},
    {DISPID_OnSendStart, &CallEvent<&IPelSrvEvents::OnSendStart>},
};

}  // namespace

Invoked InvokeMethod(IPelSrv& obj, int32_t dispid, FrameReader& in, FrameWriter& out,
                     HRESULT* result) {
  for (const auto& m : kMethods)
    if (m.dispid == dispid) return m.thunk(obj, in, out, result);
  return Invoked::kUnknown;
}

Invoked InvokeEvent(IPelSrvEvents& sink, int32_t dispid, FrameReader& in, FrameWriter& out) {
  for (const auto& e : kEvents)
    if (e.dispid == dispid) return e.thunk(sink, in, out);
  return Invoked::kUnknown;
}

bool EventWantsAnswer(int32_t dispid) { return dispid == DISPID_OnFilenameAck; }

}  // namespace rpc
