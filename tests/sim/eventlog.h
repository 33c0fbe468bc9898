// An IPelSrvEvents that writes every event as one line of text, in order, for tests to compare.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "pelsrvapi/pelservice_tlb.h"

namespace sim {

class TEventLog final : public IPelSrvEvents {
 public:
  void OnStatusChange(std::int32_t dwCookie, std::uint8_t state) override;
  void OnSendProgress(std::int32_t dwCookie, std::int32_t ratio) override;
  void OnSendStop(std::int32_t dwCookie, std::int32_t state) override;
  void OnProgress(std::int32_t dwCookie, std::uint8_t state, std::int32_t nPos, std::int32_t nMax,
                  std::int32_t nError, std::uint16_t nRot, std::uint8_t nNeedleNo) override;
  void OnFilenameAck(std::int32_t dwCookie, const std::string& name, std::int32_t nRemain,
                     std::int32_t& nTotal) override;
  // Logs the event; when answers are held, keeps `done` in heldAnswers instead of answering.
  void AskFilenameAck(std::int32_t dwCookie, const std::string& name, std::int32_t nRemain,
                      std::int32_t nTotal, std::function<void(std::int32_t)> done) override;
  void OnComplete(std::int32_t dwCookie, std::int32_t bNormal, std::int32_t needleNo) override;
  void OnSyncSetup(std::int32_t nSyncMode, std::int32_t dwCookie, std::int32_t bSync) override;
  void OnSendStart(std::int32_t dwCookie) override;

  // The events so far, and forgets them.
  std::vector<std::string> Take() { return std::exchange(events_, {}); }
  const std::vector<std::string>& Events() const { return events_; }
  // Events of one kind ("SendProgress", ...), in order.
  std::vector<std::string> Only(const std::string& kind) const;

  // The total a client answers to OnFilenameAck (non-zero: load the named design).
  std::int32_t filenameTotal = 0;
  // A client that answers OnFilenameAck later: the answers not given yet.
  bool holdAnswers = false;
  std::vector<std::function<void(std::int32_t)>> heldAnswers;

 private:
  void Add(std::string line) { events_.push_back(std::move(line)); }
  std::vector<std::string> events_;
};

}  // namespace sim
