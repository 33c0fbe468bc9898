// The desktop program's reference to the machine server: the server object and, for a server
// in another process, the descriptor its events arrive on while the program is idle.
#pragma once

#include <functional>
#include <memory>

#include "pelsrvapi/pelservice_tlb.h"

// How the server answers: up; stalled (a call ran past its deadline, and every call fails at
// once until the server answers again); lost (its connection closed).
enum class TLinkState { Up, Stalled, Lost };

class TServiceLink {
 public:
  virtual ~TServiceLink() = default;
  virtual IPelSrvObject& Object() = 0;
  // Readable when events wait; -1 when events arrive only during calls.
  virtual int EventFd() const = 0;
  // Hands waiting events to their sinks without blocking. False once the server has gone.
  virtual bool PumpEvents() = 0;
  virtual TLinkState State() const = 0;
  // Asks, without waiting, whether the server still answers; State() tells later.
  virtual void Probe() = 0;
};

// Obtains the server; on failure the result code says why.
using TServiceConnector = std::function<HRESULT(std::unique_ptr<TServiceLink>* out)>;
// Obtains a server again after the link was lost, without blocking: called repeatedly, it
// answers E_PENDING while a server it started has not published itself yet.
using TServiceReattach = std::function<HRESULT(std::unique_ptr<TServiceLink>* out)>;

// The reference published by a running PelService of this user, if it answers.
HRESULT GetPublishedService(std::unique_ptr<TServiceLink>* out);

// Attaches to the running PelService, or starts the registered one ("PelService.PelSrv") and
// attaches once it has published itself.
HRESULT ConnectPelService(std::unique_ptr<TServiceLink>* out);

// The same, one step at a time, for a program that must go on meanwhile.
TServiceReattach ReattachPelService();
