// TPelMain: the one owner of PelService's machine connections. It keeps them in the order they
// were made, hands out their cookies, finds them for the server object and the dispatcher,
// relays the commands of synchronised sewing between them, and keeps what they share: the system
// palette, the common sewing speed, the send folder and the log file name.
//
// Main thread only.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "pelsrv/lines/commfactory.h"
#include "pelsrv/lines/wakeups.h"
#include "pelsrv/protocol/commbase.h"
#include "pelsrv/protocol/syncgroup.h"
#include "platform/fileutil.h"
#include "platform/messagetarget.h"
#include "platform/usermessages.h"
#include "shared/colorinfo.h"

namespace pelsrv {
// Posted by the manager's wake-ups when a running transfer may have waited too long for a block
// request; wParam: the connection's cookie.
inline constexpr std::uint32_t UM_TRANSFER_WATCH = platform::WM_USER + 21;
}  // namespace pelsrv

struct TPelMainOptions {
  pelsrv::TcpTimeouts tcpTimeouts;  // shorter in tests
  // How long every connection's transfer waits for a block request; shorter in tests.
  std::chrono::milliseconds transferTimeout = TTransferWatch::kDefaultLimit;
};

class TPelMain : public ISyncGroup {
 public:
  static constexpr std::int32_t kInitialSpeed = 500;
  static constexpr int kSystemColors = 60;
  static constexpr std::uintmax_t kLogRotateSize = 65536;

  // `window` is the target every connection posts to.
  explicit TPelMain(platform::TargetId window, TPelMainOptions options = {});
  ~TPelMain() override;
  TPelMain(const TPelMain&) = delete;
  TPelMain& operator=(const TPelMain&) = delete;

  std::int32_t Count() const { return static_cast<std::int32_t>(list_.size()); }
  TCommBase* FindByCookie(TCookie cookie) const;
  TCommTcpip* FindTcpByCookie(TCookie cookie) const;
  TCommBase* GetByPosition(std::int32_t position) const;

  // A device number a connection can carry: its machine number (devNo + 1) is 16 bits.
  static bool ValidDevNo(TDevNo devNo) { return devNo >= 0 && devNo < 0xFFFF; }

  // Reuses the offline TCP/IP connection at devNo with the same address, or makes a new one.
  // Returns its cookie, or 0 when no connection could be made (also for a devNo out of range).
  TCookie Connect(TDevNo devNo, const std::string& hostName, const TConnInfo& info,
                  IPelSrvEvents* owner);
  // Destroys every connection (each closes its line); cookies are never handed out again.
  void DestroyAll();
  // UM_TRANSFER_WATCH: ends the connection's transfer if it has waited too long.
  void WatchTransfer(TCookie cookie);

  std::int32_t CommonSpeed() const { return commonSpeed_; }
  // A new common speed goes to every sync-capable machine as 0xCA.
  void ChangeCommonSpeed(std::int32_t speed);

  void ReloadSystemPalette();
  const TColorInfo& SystemPalette() const { return systemPalette_; }

  const std::filesystem::path& LogFileName() const { return logFileName_; }
  const std::filesystem::path& SendFolder() const { return sendFolder_; }

  // ISyncGroup
  std::int32_t SyncCapableCount() const override;
  void RelaySyncSetup(TCommBase& from, std::uint8_t mode, std::uint16_t word1,
                      std::uint16_t word2) override;
  void RelaySyncMode(TCommBase& from, std::uint8_t value) override;
  void RelaySyncStop(TCommBase& from, std::uint8_t code) override;
  void StopAllSyncCapable(TCommBase& from) override;

 private:
  struct Entry {
    std::unique_ptr<TCommBase> comm;
    TCommTcpip* tcp = nullptr;
    TCommSerial* serial = nullptr;
  };

  bool SerialSlotInUse(TDevNo devNo) const;
  // Members of `from`'s group that are not sewing, for the set-up and mode relays.
  template <typename Send>
  void ForIdleGroupMembers(const TCommBase& from, Send send);

  const platform::TargetId window_;
  const TPelMainOptions options_;
  std::filesystem::path logFileName_;
  std::filesystem::path sendFolder_;
  std::int32_t commonSpeed_ = kInitialSpeed;
  TColorInfo systemPalette_;
  // Before the list: the connections ask it for wake-ups until they are gone.
  pelsrv::TWakeUps transferWakeUps_;
  std::vector<Entry> list_;
  TCookie nextCookie_ = 1;
};

using platform::RotateLog;
