// Shared pieces of the protocol tests: a connection joined to a simulated machine, an event
// log, and designs built record by record.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pelsrv/protocol/commbase.h"
#include "pelsrv/protocol/syncgroup.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"
#include "sim/eventlog.h"
#include "sim/simlink.h"

namespace prototest {

// Design of `stitches` stitch records on a zig-zag, with a colour change every `colorEvery`
// records (0: none) and, when `longMoves`, a jump of 1000 units every 50 records.
std::unique_ptr<TStitchItem> MakeDesign(int stitches, int colorEvery = 0, bool longMoves = false,
                                        bool leadingStart = false,
                                        const std::string& name = "2609c008.10o");

// Designs that a machine must sew exactly where they lie, as a client hands them over.
struct TFidelityCase {
  std::string what;
  TStitchItem design;
};
std::vector<TFidelityCase> FidelityDesigns();
// The design as the server takes it from its stream form (IPelSrv::SendStartStream).
TStitchItem ThroughStreamForm(const TStitchItem& design);
// Where a machine sews each record of `design`: its kind and the needle position, which a
// record that does not move leaves where the last moving record put it.
std::vector<sim::TSewnRecord> NeedlePositions(const TStitchItem& design);
// Where the server's trace image puts its cross when the machine reports `stitch`.
TPoint TraceCross(const TStitchItem& design, std::int32_t stitch);

// The machine rebuilt `sent` record for record from the frames, as a machine of `type` takes it,
// at the design's own positions.
void ExpectRebuiltInPlace(const sim::TSimMachine& machine, const TStitchItem& sent,
                          std::uint8_t type);
// The connection traces `sent` (the records the machine holds), its total is the header's, and
// the cross sits on the record of the stitch the machine reported last.
void ExpectTraceOnReportedRecord(const TCommBase& comm, const TStitchItem& sent,
                                 std::uint32_t total);

// The reply record `code` with `payload` as the serial line carries it.
TReplyRecord Reply(std::uint8_t code, std::vector<std::uint8_t> payload = {});
TReplyRecord Progress(std::uint8_t code, std::uint8_t needle, std::uint8_t second,
                      std::uint32_t stitch);
TReplyRecord FileName(const std::string& name, std::uint32_t memory = 1000);
TReplyRecord Identity(std::uint8_t type, std::uint8_t needles, std::uint8_t sync = 0);

// A connection and a simulated machine in one process, with an event log as the owner.
class LinkFixture : public ::testing::Test {
 protected:
  void Open(sim::TSimConfig config, ISyncGroup* group = nullptr);
  sim::TSimMachine& Machine() { return link_->Machine(); }
  sim::TLoopComm& Comm() { return link_->Connection(); }
  int Pump() { return link_->Pump(); }
  // The machine offers a transfer, the client starts it with `design` and the blocks flow.
  bool Send(std::unique_ptr<TStitchItem> design, bool reportProgress = true);
  // Sews until the machine stops; returns the number of ticks.
  int SewToTheEnd();

  sim::TEventLog events_;
  std::unique_ptr<sim::TSimLink> link_;
};

}  // namespace prototest
