// The desktop program's sink for the server's machine events: each handler finds the machine by
// its cookie and updates its record and panel through the panel manager.
#pragma once

#include <cstdint>
#include <string>

#include "pelsrvapi/pelservice_tlb.h"

class TPanelManager;

class TPelSrvEvents : public IPelSrvEvents {
 public:
  static constexpr std::uint32_t kNotAdvised = 0xFEFEFEFE;

  explicit TPelSrvEvents(TPanelManager& panels) : panels_(panels) {}

  // Advises this sink on the server object; the result of the advise.
  HRESULT Advise(IPelSrvObject& server);
  // Unadvises it (S_OK when it was not advised); the sink counts as not advised afterwards
  // whatever the result.
  HRESULT Unadvise(IPelSrvObject& server);
  bool IsAdvised() const { return cookie_ != kNotAdvised; }

  void OnStatusChange(std::int32_t dwCookie, std::uint8_t state) override;
  void OnSendProgress(std::int32_t dwCookie, std::int32_t ratio) override;
  void OnSendStop(std::int32_t dwCookie, std::int32_t state) override;
  void OnProgress(std::int32_t dwCookie, std::uint8_t state, std::int32_t nPos, std::int32_t nMax,
                  std::int32_t nError, std::uint16_t nRot, std::uint8_t nNeedleNo) override;
  void OnFilenameAck(std::int32_t dwCookie, const std::string& name, std::int32_t nRemain,
                     std::int32_t& nTotal) override;
  void OnComplete(std::int32_t dwCookie, std::int32_t bNormal, std::int32_t needleNo) override;
  void OnSyncSetup(std::int32_t nSyncMode, std::int32_t dwCookie, std::int32_t bSync) override;
  void OnSendStart(std::int32_t dwCookie) override;

 private:
  TPanelManager& panels_;
  std::uint32_t cookie_ = kNotAdvised;
};
