// The desktop program's hold on the machine server: the link, the descriptor its events arrive on
// while the program is idle, and a watch of how the server answers. A server that stalls (a call
// ran past its deadline) or dies (its connection closed) is reported once; a stalled server that
// answers again, or a new server attached in place of a dead one, is reported as back. Attaching
// again goes step by step on the watch's timer, so the window goes on meanwhile.
//
// Neither report runs inside a call to the server: both come from the timer or from the
// descriptor's notifier, at the top of an event loop. A server link is never replaced while a
// modal dialog runs: dialogs may hold the server interface for their lifetime.
#pragma once

#include <functional>
#include <memory>

#include "hoopdesk/panels/servicelink.h"

class QSocketNotifier;
class QTimer;

class TServerLink {
 public:
  static constexpr int kWatchIntervalMs = 250;
  // While the link is up the server is asked every this many looks whether it answers, so a
  // server that stops while nothing calls it is noticed as well.
  static constexpr int kProbeEvery = 8;

  struct THandlers {
    // The server stopped answering or went; why says how.
    std::function<void(HRESULT why)> lost;
    // The server answers again. newServer: the link was replaced by one to another server, so
    // nothing the old one knew (advised sinks, connections) exists there.
    std::function<void(bool newServer)> back;
  };

  TServerLink(TServiceConnector connector, TServiceReattach reattach);
  ~TServerLink();
  TServerLink(const TServerLink&) = delete;
  TServerLink& operator=(const TServerLink&) = delete;

  void SetHandlers(THandlers handlers) { handlers_ = std::move(handlers); }

  // The first attach, at start-up; the connector's result.
  HRESULT Attach();
  // True once a link was made, also while it is down.
  bool Held() const { return link_ != nullptr; }
  // The server, while it answers; null without a link and while the link is down.
  IPelSrvObject* Object() const;
  // Down from the report of a loss until the report of the server's return.
  bool Down() const { return down_; }

  // One look at the link (the timer calls it too): reports a loss or a return.
  void Watch();
  // Gives up the link and its watch (the program closes).
  void Release();

 private:
  void PumpEvents();
  void WatchEvents();
  void DropNotifier();
  void TryReattach();
  // A modal dialog runs: it may hold the server interface.
  static bool ModalDialogRunning();

  TServiceConnector connector_;
  TServiceReattach reattach_;
  THandlers handlers_;
  std::unique_ptr<TServiceLink> link_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<QTimer> timer_;
  bool down_ = false;
  bool watching_ = false;  // a report is running: a nested look waits for the next tick
  int looks_ = 0;
};
