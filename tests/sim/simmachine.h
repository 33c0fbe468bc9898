// A simulated sewing machine: the machine side of the protocol, for tests. It cuts the server's
// bytes into commands by their first byte (1-, 2-, 3-, 4- and 8-byte records, 521-byte frames),
// answers the identity, file-name and progress requests, pulls a design block by block, rebuilds
// the native record stream from the frames, and sews with rising progress replies. A persona
// chooses how it misbehaves.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/bytepipe.h"

namespace sim {

enum class Wire {
  kSerial,  // record lengths of a serial line
  kTcp,     // TCP/IP lengths (0x60 carries 11 payload bytes)
};

enum class Persona {
  kNormal,
  kBusy,          // 0x1F instead of pulling block `atBlock`
  kRejecting,     // 0x1F to the file-name and progress requests while idle
  kMemoryFull,    // 0x2F to the header frame
  kAlarm,         // 0x1E with `alarmCode` half way through sewing and to progress requests
  kBlockAgain,    // 0x85 once after block `atBlock`
  kStopsPulling,  // no reply after block `atBlock`
  kEndsEarly,     // 0x83 after block `atBlock`
  kTruncated,     // answers the file-name request with a cut record, then falls silent
  kSilent,        // never answers
  kModem,         // a modem: echoes "AT" and answers OK, nothing else
  kSyncGroup,     // acknowledges a sync set-up 0xC0 with 0x6D
};

struct TSimConfig {
  Persona persona = Persona::kNormal;
  Wire wire = Wire::kSerial;
  std::uint8_t machineType = 0x01;
  std::uint8_t needleCount = 15;
  std::uint8_t syncFlag = 0;
  std::uint16_t transferWord = 0x2A5C;
  std::int32_t atBlock = 1;
  std::uint8_t alarmCode = 6;
  std::uint32_t sewStep = 100;    // stitches per progress reply while sewing
  std::uint32_t memory = 500000;  // remaining memory reported, in stitches
  std::string heldName;           // design held at start ("" none)
  bool enquiresOnProbe = false;   // answers the modem probe "AT" with its enquiry 'E'
  // The payload of the identity reply 0x01 as sent, in place of the one made from the fields
  // above (version words, model bytes).
  std::optional<std::array<std::uint8_t, 12>> identity;
};

// One record as the machine sews it: its kind (control byte & 0x1F) and the needle position
// that the moves up to it sum to, from (0, 0) at the first record.
struct TSewnRecord {
  std::uint8_t kind = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const TSewnRecord&, const TSewnRecord&) = default;
};

// What the header frame of the last transfer announced.
struct TReceivedHeader {
  std::string fileName;
  std::int16_t right = 0, left = 0, topNegated = 0, bottomNegated = 0;
  std::uint32_t total = 0;
  std::uint16_t colorCount = 0;
  std::vector<std::uint8_t> colors;  // the first min(colorCount, 100) entries
  std::uint16_t machineNumber = 0;
  std::string title;
};

class TSimMachine {
 public:
  TSimMachine(TSimConfig config, IBytePipe& line);

  // Bytes from the server, in any cutting.
  void Receive(std::span<const std::uint8_t> bytes);

  // Replies the machine starts by itself.
  void Enquire();        // 'E': asks the server to identify it
  void OfferTransfer();  // 0x82 with the transfer word: ready to receive a design
  void StartSewing();    // sews the held design with the next Tick calls
  // One step of sewing; false when the machine is not sewing.
  bool Tick();
  void SendKeepAlive();  // 0x16
  // From now on the machine behaves as `persona`, acting at block `atBlock`: a stalled or fallen
  // silent machine that recovers, or stalls again further on.
  void SetPersona(Persona persona, std::int32_t atBlock = 1);
  // Any reply record: the code and its payload, written in the wire's length.
  void SendReply(std::uint8_t code, std::span<const std::uint8_t> payload = {});
  // A progress reply (0x11, 0x12, 0x13, 0x1E) with the needle, byte 2 and the stitch number.
  void SendProgressReply(std::uint8_t code, std::uint8_t second, std::uint32_t stitch);

  // What the machine saw.
  const std::vector<std::vector<std::uint8_t>>& Commands() const { return commands_; }
  std::vector<std::uint8_t> CommandCodes() const;
  const std::vector<std::string>& Faults() const { return faults_; }
  const TReceivedHeader& Header() const { return header_; }
  // The native record stream rebuilt from the data frames: 3 bytes per announced record, and
  // for machine type 0x20 the leading start record in front of them.
  const std::vector<std::uint8_t>& RebuiltStream() const { return stream_; }
  // Every record of the rebuilt stream with the position the machine sews it at.
  std::vector<TSewnRecord> RebuiltPositions() const;
  std::int32_t FramesReceived() const { return frames_; }
  std::int32_t BlocksRepeated() const { return repeats_; }
  bool TransferComplete() const { return transferComplete_; }
  bool Sewing() const { return sewing_; }
  // Stopped by the alarm of its persona.
  bool Alarmed() const { return alarmed_; }
  // Its operator has cleared the alarm: the machine sews on from where it stopped, reporting its
  // progress without an error, and behaves normally again.
  void RecoverFromAlarm();
  // The held design's stitch total (0 without one).
  std::uint32_t HeldTotal() const { return heldTotal_; }
  // Stitches sewn per Tick from now on.
  void SetSewStep(std::uint32_t step) { config_.sewStep = step; }
  const std::string& HeldName() const { return heldName_; }
  std::uint32_t SewnStitches() const { return sewn_; }

 private:
  std::size_t CommandLength(std::uint8_t code) const;
  void HandleCommand(std::span<const std::uint8_t> command);
  void HandleHeader(std::span<const std::uint8_t> frame);
  void HandleData(std::span<const std::uint8_t> frame);
  void HandleTransferEnd(std::span<const std::uint8_t> command);
  bool FrameIntact(std::span<const std::uint8_t> frame);
  void PullNext(std::int32_t index);
  void SendIdentity();
  void SendFileName();
  void SendProgress();
  void Fault(std::string text);
  bool Mute() const { return config_.persona == Persona::kSilent || silent_; }

  TSimConfig config_;
  IBytePipe& line_;
  std::vector<std::uint8_t> pending_;
  std::vector<std::vector<std::uint8_t>> commands_;
  std::vector<std::string> faults_;

  bool receiving_ = false;
  bool transferComplete_ = false;
  bool askedAgain_ = false;
  bool silent_ = false;
  std::uint16_t word_ = 0;
  std::int32_t blocks_ = 0;
  std::int32_t lastIndex_ = -1;
  std::int32_t frames_ = 0;
  std::int32_t repeats_ = 0;
  TReceivedHeader header_;
  std::vector<std::uint8_t> stream_;

  std::string heldName_;
  std::uint32_t heldTotal_ = 0;
  bool sewing_ = false;
  bool alarmed_ = false;
  std::uint32_t sewn_ = 0;
  std::uint8_t needle_ = 1;
};

}  // namespace sim
