// The desktop program's reference to the machine server: the server object and, for a server
// in another process, the descriptor its events arrive on while the program is idle.
#pragma once

#include <functional>
#include <memory>

#include "pelsrvapi/pelservice_tlb.h"

class TServiceLink {
 public:
  virtual ~TServiceLink() = default;
  virtual IPelSrvObject& Object() = 0;
  // Readable when events wait; -1 when events arrive only during calls.
  virtual int EventFd() const { return -1; }
  // Hands waiting events to their sinks without blocking. False once the server has gone.
  virtual bool PumpEvents() { return true; }
};

// Obtains the server; on failure the result code says why.
using TServiceConnector = std::function<HRESULT(std::unique_ptr<TServiceLink>* out)>;

// The reference published by a running PelService of this user, if it answers.
HRESULT GetPublishedService(std::unique_ptr<TServiceLink>* out);

// Attaches to the running PelService, or starts the registered one ("PelService.PelSrv") and
// attaches once it has published itself.
HRESULT ConnectPelService(std::unique_ptr<TServiceLink>* out);
