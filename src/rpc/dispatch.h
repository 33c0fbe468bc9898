#pragma once

#include <cstdint>

#include "pelsrvapi/pelservice_tlb.h"
#include "rpc/frame.h"

// The tables that map DISPIDs to members: IPelSrv's methods on the server side, the events of
// IPelSrvEvents on the client side.
namespace rpc {

enum class Invoked { kDone, kUnknown, kBadArguments };

// Runs method dispid of obj with the in values from in, writes its out values to out.
Invoked InvokeMethod(IPelSrv& obj, int32_t dispid, FrameReader& in, FrameWriter& out,
                     HRESULT* result);

// Runs event dispid on sink with the values from in, writes its out values to out.
Invoked InvokeEvent(IPelSrvEvents& sink, int32_t dispid, FrameReader& in, FrameWriter& out);

// True for an event whose out value the server waits for (OnFilenameAck).
bool EventWantsAnswer(int32_t dispid);

}  // namespace rpc
