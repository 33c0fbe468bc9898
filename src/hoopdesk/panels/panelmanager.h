// The desktop program's single owner of the link to the machine server and of the machine
// list. Machines are named by their device number, their index in the list, which is also
// their position in the server's connection list: the list is built in the order of the
// Connect calls, after the server's own list was cleared. Server events may arrive during
// any call to the server, so no operation keeps a record across such a call; it looks the
// machine up again by its index.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "hoopdesk/machines/machineentry.h"
#include "hoopdesk/machines/machinelimits.h"
#include "hoopdesk/machines/machinerecord.h"
#include "hoopdesk/machines/machinesource.h"
#include "hoopdesk/machines/tracesink.h"
#include "hoopdesk/panels/earlyevents.h"
#include "hoopdesk/panels/machinelist.h"
#include "hoopdesk/panels/panelredraw.h"
#include "hoopdesk/panels/panelslots.h"
#include "hoopdesk/panels/serverlink.h"
#include "hoopdesk/panels/servicecheck.h"
#include "hoopdesk/panels/servicelink.h"

class QAbstractButton;
class QLabel;
class QPoint;
class QProgressBar;
class QScrollBar;
class QSlider;
class QWidget;
class TPanelHost;
class TPelSrvEvents;
class TStitchItem;

// The machine records and their lookups live in a TMachineList, the Send tab's controls and
// the setters that mirror the records into them in a TPanelSlots; the panel manager ties them
// to the server link, the event sink and the trace window.
class TPanelManager : public TMachineSource {
 public:
  static constexpr int kPaletteSize = 15;

  explicit TPanelManager(TServiceConnector connector = ConnectPelService,
                         TServiceReattach reattach = ReattachPelService());
  virtual ~TPanelManager();
  TPanelManager(const TPanelManager&) = delete;
  TPanelManager& operator=(const TPanelManager&) = delete;

  // The window around the panels and the trace window; borrowed, may be null.
  void SetHost(TPanelHost* host) { host_ = host; }
  void SetTraceSink(TTraceSink* trace) { trace_ = trace; }
  TTraceSink* GetTraceSink() const { return trace_; }

  // The Send tab's shared controls (borrowed) and the speed the track bar starts from.
  void SetSendTabControls(QScrollBar* hScroll, QScrollBar* vScroll, QAbstractButton* sendAllBtn,
                          QLabel* spLbl, QLabel* trackLbl, QSlider* trackBar,
                          std::int32_t rotSpeed) {
    slots_.SetSharedControls(hScroll, vScroll, sendAllBtn, spLbl, trackLbl, trackBar, rotSpeed);
  }
  // The five controls of panel slot 0..5 (borrowed); the send button gets the transfer
  // animation as its "ResId".
  void SetPanelSlot(int slot, QWidget* sendImg, QLabel* lbl, QAbstractButton* sendBtn,
                    QWidget* sewBtn, QProgressBar* progBar) {
    slots_.SetSlot(slot, sendImg, lbl, sendBtn, sewBtn, progBar);
  }

  // ---- Service link ----

  // Obtains the server, advises the event sink and clears the server's connection list. Without
  // a server it shows "PelService is not running: 0x<code>" and returns false, as it does,
  // silently, when the advise fails.
  bool ConnectService();
  // The server interface; null until ConnectService succeeded and while the server does not
  // answer.
  IPelSrv* GetService() const;
  // One look at the server link: a server that stopped answering or went shows one notice and
  // every machine offline; one that answers again, or a new one in place of a dead one, gets
  // the machines connected again (the link's timer looks every 250 ms).
  void WatchServiceLink() { link_.Watch(); }
  // True while the server does not answer: every machine shows offline.
  bool ServiceLinkDown() const { return link_.Down(); }

  // ---- Machine list ----

  // Connects one machine and appends its record. d must be the current machine count, below
  // kMaxMachines. False, with nothing added, when the server could not connect it.
  bool AddMachine(TDevNo d, const TConnInfo& info, const std::string& hostName);
  // Adds the entries in order, each with the next device number, until the list holds
  // kMaxMachines; a machine the server cannot connect takes no number. How many were added.
  int AddMachines(std::span<const TMachineEntry> entries);
  // Connects a known networked machine again; its cookie changes only on success.
  bool ReconnectMachine(TDevNo d);
  // Clears the server's connection list and empties the machine list.
  void RemoveAllMachines();

  int GetMachineCount() const { return machines_.Count(); }
  // The record, or null for an index outside the list. Valid until the next server call.
  TMachineRecord* GetMachine(TDevNo d) { return machines_.Get(d); }
  const TMachineRecord* GetMachine(TDevNo d) const { return machines_.Get(d); }
  // The first machine holding the cookie, or -1.
  int FindMachineByCookie(TCookie cookie) const { return machines_.FindByCookie(cookie); }
  TMachineAddress GetMachineAddress(TDevNo d) const { return machines_.Address(d); }
  // The first machine reached at the port and address discovery reports, or -1.
  int FindMachineByAddress(const TMachineAddress& address) const {
    return machines_.FindByAddress(address);
  }
  // "MacColor" and d + 1: the palette section of a serial machine.
  static std::string MachineSectionName(TDevNo d);
  // The normal sew picture: 132 offline, 133 in the synchronised group, 128 otherwise.
  void UpdateSewImage(TDevNo d);
  int QueuedDesignCount(TDevNo d) const;
  void InvalidateLayoutView();

  // A state or synchronised-group event for a cookie no record holds yet: kept while a Connect
  // call runs, and handed on again once that machine's record exists.
  void HoldEarlyStatus(TCookie cookie, std::uint8_t state) { early_.HoldState(cookie, state); }
  void HoldEarlySync(TCookie cookie, TEarlySync sync) { early_.HoldSync(cookie, sync); }
  // An event of that kind for the cookie was handled: a held one is older and is not replayed.
  void NewerStatusHandled(TCookie cookie) { early_.StateHandled(cookie); }
  void NewerSyncHandled(TCookie cookie) { early_.SyncHandled(cookie); }

  // ---- Sending (senddesign.cpp) ----

  // The folder the send files are written to (with a trailing "/").
  void SetSendFolder(std::string folder) { sendFolder_ = std::move(folder); }
  // Streams design 0 of the machine's queue to it, writing its native files first when it has
  // none yet (once for a synchronised group). The design stays queued until its transfer ends.
  void SendDesign(TDevNo d);
  // Sends on every machine whose send button is enabled, in list order.
  void SendAll();
  // Removes queued design k of machine d (of every group member whose design k is that job).
  void DiscardQueuedDesign(int position, TDevNo d);
  // The stitch total of a send file, for the machine's model; 0 when it cannot be read.
  std::int32_t SendFileStitchTotal(TDevNo d, const std::string& name);

  // ---- Polling and alarms (machinepoll.cpp) ----

  // One poll of every machine: the alarm blink step, and the server's poll of serial machines
  // and of machines in error.
  void PollMachines(std::int32_t pollCount);
  // Starts an alarm (1 machine error, 2 rejected or busy) unless one is set.
  void SetAlarm(TDevNo d, std::int32_t mode);
  // With clear: ends the alarm and clears the server's error; otherwise only acknowledges it.
  void ClearMachineError(TDevNo d, bool clear);
  void BlinkAlarm(TDevNo d, bool phase);
  // The sew button of a slot: the machine information, acknowledging an alarm.
  void SewClick(int slot);
  // The machine information dialog; true when it ended with a reconnected machine.
  bool ShowMachineInfo(TDevNo d);
  void ChangeSpeed(std::int32_t speed);

  // ---- Synchronised group (syncgroup.cpp) ----

  void SyncSetup(std::int32_t mode, TCookie cookie, bool inGroup);
  std::int32_t GetSyncMode() const { return syncMode_; }

  // ---- Panels (panelview.cpp) ----

  // Places the slots and the shared controls for the machine count; a shorter list that
  // cannot start at the first machine in view any more is shown from its last full page.
  void ArrangePanels();
  // Redraws the panels in view at their images' sizes and lines the shared controls up.
  void RefreshPanelImages();
  // Draws the panel of machine d when it is in view: its queue on white, or a silver box
  // while the server reports it without a port, offline or in error. The drawing, with its
  // state query, happens on the next turn of the event loop, once however often it was asked.
  void DrawPanel(TDevNo d);
  // Draws the panels asked for now rather than on the next turn.
  void FlushPanels() { redraw_.Flush(); }
  // How many panel drawings asked the server for a machine's state so far.
  long PanelStateQueries() const { return stateQueries_; }
  // Scrolls the six slots to start at machine first and copies the records into them.
  void ShowMachinesFrom(TDevNo first);
  int SlotToMachine(int slot) const { return slots_.SlotToMachine(slot); }
  int GetFirstVisible() const { return slots_.FirstVisible(); }
  // The machine whose panel lies under the global point and can take a design, or -1.
  int MachineAtPoint(const QPoint& global) const;
  // The queued design under a point of slot's panel image, or -1.
  int DesignAtPoint(int slot, const QPoint& point) const;
  // Sets the queue scroll bar up for the longest queue in view.
  void UpdateQueueScroll();
  // The queue scroll bar moved: redraws the panels in view.
  void QueueScrolled();
  // The machine scroll bar moved to position p.
  void MachinesScrolled(int position) { ShowMachinesFrom(slots_.MachineScrollTo(position)); }

  // ---- Queues (panelqueue.cpp) ----

  void UpdateSendButtons(TDevNo d, bool all) override;
  // Queues a copy of the design on the machine (on every member of its synchronised group).
  // Taken by value: the caller's design (the layout's) may go while the server is asked or a
  // box is open.
  void QueueDesign(TDevNo d, TDevNo source, TStitchItem design);
  void AddDesign(TDevNo d, TDevNo source, const TStitchItem& design);
  void ClearQueue(TDevNo d);
  void RemoveQueuedDesign(int position, TDevNo d);
  void RedrawAfterQueueChange(TDevNo d);
  std::string GetSewingFile(TDevNo d) const;
  // IPelSrv::GetProgress for the machine, passed on unchanged. Without a record: state,
  // position, error, speed and needle 0; total and memory stay.
  HRESULT GetProgress(TDevNo d, std::uint8_t* state, std::int32_t* position, std::int32_t* total,
                      std::int32_t* error, std::uint16_t* speed, std::uint8_t* needle,
                      std::int32_t* memory) override;
  // Disconnects and removes every machine unless one sews, starts sewing or receives a design,
  // or the server does not answer, so that nobody can tell (forced: always). True when the
  // machines were released.
  bool ReleaseIdleMachines(bool force);

  // TMachineSource: what the trace window reads of the machines.
  bool HasMachine(int machine) const override { return GetMachine(machine) != nullptr; }
  std::string MachineAddress(int machine) const override;
  const TColorInfo* MachinePalette(int machine) const override;
  bool InSyncGroup(int machine) const override;
  std::string SewingFile(int machine) const override { return GetSewingFile(machine); }
  std::string SendFolder() const override { return sendFolder_; }
  std::int32_t MachineModel(int machine) override;

  // ---- The display fields of a record, mirrored into its slot while it is in view ----

  bool IsShown(TDevNo d) const { return slots_.IsShown(d); }
  void SetShown(TDevNo d, bool shown) { slots_.SetShown(d, shown); }
  void SetMachineNumber(TDevNo d, const std::string& text) { slots_.SetMachineNumber(d, text); }
  bool IsOnline(TDevNo d) const { return slots_.IsOnline(d); }
  void SetOnline(TDevNo d, bool online) { slots_.SetOnline(d, online); }
  bool IsEnabled(TDevNo d) const { return slots_.IsEnabled(d); }
  void SetEnabled(TDevNo d, bool enabled) { slots_.SetEnabled(d, enabled); }
  bool CanSend(TDevNo d) const { return slots_.CanSend(d); }
  void SetCanSend(TDevNo d, bool canSend) { slots_.SetCanSend(d, canSend); }
  bool IsMachineBusy(TDevNo d) const { return slots_.IsMachineBusy(d); }
  void SetBusy(TDevNo d, bool busy) { slots_.SetBusy(d, busy); }
  void SetProgress(TDevNo d, std::int32_t percent) { slots_.SetProgress(d, percent); }
  void SetSewImage(TDevNo d, std::uint32_t resId) { slots_.SetSewImage(d, resId); }

 private:
  // The server's state of the machine; offline when the call fails or there is no server.
  TSewingState MachineState(TDevNo d) const;
  // Sets the progress back to 0 after a queue change unless the machine is at work.
  void ResetProgressAfterQueueChange(TDevNo d);
  // Draws machine d's panel now, when it is in view.
  void PaintPanelNow(TDevNo d);

  // IPelSrv::Connect, holding the state events that come for the cookie before it is known.
  bool ConnectMachine(TDevNo d, const std::string& hostName, const TConnInfo& info,
                      TCookie* cookie);
  void LoadPalette(TDevNo d);
  // Every panel back in view and enabled as its machine is online; the speed controls hidden.
  void ShowAllPanels();
  void ReplayEarlyEvents(TCookie cookie);
  // A box of the sending code; while it shows, further sends do nothing.
  void ShowSendBox(std::int32_t messageId, const std::string& detail);
  // The server, while it answers; null otherwise.
  IPelSrvObject* Server() const { return link_.Object(); }
  // Connects a machine at the end of the list: the seed's connection info, host name, palette
  // and queue are kept, its display state starts afresh. False when the server refused it.
  bool AppendMachine(TMachineRecord seed, bool loadPalette);
  // The server stopped answering or went: every machine offline, a running transfer ended.
  void ServiceLost(HRESULT why);
  // It answers again (or a new server took its place).
  void ServiceBack(bool newServer);
  // A stalled server answers again: the machines take the states it holds.
  void ResyncMachines();
  // A machine left unconnected by a link that went during a reconnection gets its connection;
  // false when the server refused it and it left the list.
  bool ConnectWaitingMachine(TDevNo d);
  // A new server took a dead one's place: the sink is advised on it and the machines are
  // connected again in their order, keeping their queues.
  void ReconnectAllMachines();

  TServerLink link_;
  TPanelHost* host_ = nullptr;
  TTraceSink* trace_ = nullptr;
  std::int32_t syncMode_ = 0;
  std::unique_ptr<TPelSrvEvents> sink_;
  TMachineList machines_;
  TPanelSlots slots_{machines_};
  TEarlyEventHold early_{kMaxMachines};
  std::int32_t syncGroupJob_ = 1;
  std::string sendFolder_;
  bool sendBoxOpen_ = false;
  std::string lostNotice_;       // the notice of a server that does not answer, while it shows
  mutable TServiceCheck check_;  // state queries from const hit tests count too
  long stateQueries_ = 0;
  TPanelRedraw redraw_{[this](int d) { PaintPanelNow(d); }};
};
