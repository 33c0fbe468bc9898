// What a connection asks of the list it lives in when a machine takes part in synchronised
// sewing. The connection manager implements it; a connection without one relays nothing.
#pragma once

#include <cstdint>

class TCommBase;

class ISyncGroup {
 public:
  virtual ~ISyncGroup() = default;

  // Number of sync-capable connections in the list (OnSyncSetup's nSyncMode).
  virtual std::int32_t SyncCapableCount() const = 0;
  // Reply 0x60 from `from`: relay the set-up (0xC0) to its group.
  virtual void RelaySyncSetup(TCommBase& from, std::uint8_t mode, std::uint16_t word1,
                              std::uint16_t word2) = 0;
  // Reply 0x61 from `from`: relay the sync mode (0xC1) to its group.
  virtual void RelaySyncMode(TCommBase& from, std::uint8_t value) = 0;
  // Reply 0x68 (code 0xC8) or 0x6C (code 0xCC): SendSyncStop(code) for every member of the group.
  virtual void RelaySyncStop(TCommBase& from, std::uint8_t code) = 0;
  // Reply 0x1E from a sync-capable machine: 0xC8 to every sync-capable connection.
  virtual void StopAllSyncCapable(TCommBase& from) = 0;
};
