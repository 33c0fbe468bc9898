#include "sim/eventlog.h"

namespace sim {

namespace {

std::string Args(std::initializer_list<long long> values) {
  std::string text;
  for (const long long v : values) {
    if (!text.empty()) text += ",";
    text += std::to_string(v);
  }
  return text;
}

}  // namespace

void TEventLog::OnStatusChange(std::int32_t c, std::uint8_t state) {
  Add("StatusChange(" + Args({c, state}) + ")");
}

void TEventLog::OnSendProgress(std::int32_t c, std::int32_t ratio) {
  Add("SendProgress(" + Args({c, ratio}) + ")");
}

void TEventLog::OnSendStop(std::int32_t c, std::int32_t state) {
  Add("SendStop(" + Args({c, state}) + ")");
}

void TEventLog::OnProgress(std::int32_t c, std::uint8_t state, std::int32_t nPos, std::int32_t nMax,
                           std::int32_t nError, std::uint16_t nRot, std::uint8_t nNeedleNo) {
  Add("Progress(" + Args({c, state, nPos, nMax, nError, nRot, nNeedleNo}) + ")");
}

void TEventLog::OnFilenameAck(std::int32_t c, const std::string& name, std::int32_t nRemain,
                              std::int32_t& nTotal) {
  Add("FilenameAck(" + std::to_string(c) + ",\"" + name + "\"," + std::to_string(nRemain) + ")");
  nTotal = filenameTotal;
}

void TEventLog::AskFilenameAck(std::int32_t c, const std::string& name, std::int32_t nRemain,
                               std::int32_t nTotal, std::function<void(std::int32_t)> done) {
  if (!holdAnswers) return IPelSrvEvents::AskFilenameAck(c, name, nRemain, nTotal, std::move(done));
  std::int32_t ignored = nTotal;
  OnFilenameAck(c, name, nRemain, ignored);
  heldAnswers.push_back(std::move(done));
}

void TEventLog::OnComplete(std::int32_t c, std::int32_t bNormal, std::int32_t needleNo) {
  Add("Complete(" + Args({c, bNormal, needleNo}) + ")");
}

void TEventLog::OnSyncSetup(std::int32_t nSyncMode, std::int32_t c, std::int32_t bSync) {
  Add("SyncSetup(" + Args({nSyncMode, c, bSync}) + ")");
}

void TEventLog::OnSendStart(std::int32_t c) { Add("SendStart(" + std::to_string(c) + ")"); }

std::vector<std::string> TEventLog::Only(const std::string& kind) const {
  std::vector<std::string> lines;
  for (const std::string& line : events_) {
    if (line.compare(0, kind.size() + 1, kind + "(") == 0) lines.push_back(line);
  }
  return lines;
}

}  // namespace sim
