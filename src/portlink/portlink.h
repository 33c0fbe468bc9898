#pragma once

// Portlink: the serial line driver library (libportlink.so).
//
// Drives up to six serial lines, addressed by slot 0..5, for a caller that owns a message
// target (platform/messagetarget.h). Everything the library learns it reports by posting
// messages to that target and by writing into three records the caller owns.
//
// Ownership: the caller allocates TTYInfo, SYSInfo and CMDInfo for each port, zeroes them,
// links them (SYSInfo::cmdInfo, SYSInfo::ttyInfo), fills the caller fields and keeps all three
// alive and in place from SetupSYSInfo until CloseCommPort has returned. The library keeps only
// pointers to them.
//
// Threads: every exported function runs on the caller's thread and must be called from one
// thread. Per open port the library runs a reader/status thread and a writer thread, plus a
// transfer thread during an asynchronous send. Those threads write the fields marked "library"
// below and then post; the caller reads the records on its own thread after the message that
// announces a change, and calls AnalizeCmd itself for each UM_RX_COMMAND it handles.
//
// Fields marked "shared" may change while the port is open (a port thread writes them, or the
// caller may change them and a port thread reads them); the library reads and writes them only
// as atomics. A caller that reads or writes one while its port is open does so through
// LoadShared and StoreShared below. The receive copy buffer is not shared: its bytes are meant
// to be read after the message that announces them, before the next command arrives.
//
// Results: functions that report success return 1 for success and 0 for failure; every
// function that takes a slot does nothing and returns 0 for a slot outside 0..5, and for a
// slot that has no records bound.
//
// Messages (numbers in platform/usermessages.h), all posted:
//   UM_RX_DATA       wParam caller id, lParam byte count; payload = the received bytes. A raw
//                    mode read is posted as consecutive messages of up to 32 bytes each.
//   UM_RX_COMMAND    wParam caller id, lParam 0; payload = one complete command, code byte
//                    first, payloadSize its length. Command mode; 'A' is never posted.
//   UM_COMM_EVENT    wParam the line events, lParam the slot (status-post flag set).
//   UM_MODEM_STATUS  wParam caller id, lParam the modem status bits (MS_*); 0 when the line
//                    went away.
//   UM_LINE_STATUS   wParam the line error flags (CE_*), lParam the slot (status-post flag).
//   UM_BLOCK_SENT    wParam caller id, lParam 0: an asynchronous send ended.
//   UM_COMM_WARNING  wParam the slot's warning count so far, lParam the slot (status-post flag).
//   UM_COMM_ERROR    wParam caller id, lParam the Windows-style error code of the report.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/messagetarget.h"
#include "platform/usermessages.h"

#define PORTLINK_API extern "C" __attribute__((visibility("default")))

namespace portlink {

inline constexpr int kSlotCount = 6;
inline constexpr int kMaxComIndex = 16;  // COM17

// Line events (TTYInfo::eventMask, UM_COMM_EVENT).
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;
inline constexpr std::uint32_t EV_CTS = 0x0008;
inline constexpr std::uint32_t EV_DSR = 0x0010;
inline constexpr std::uint32_t EV_RLSD = 0x0020;
inline constexpr std::uint32_t EV_BREAK = 0x0040;
inline constexpr std::uint32_t EV_ERR = 0x0080;
inline constexpr std::uint32_t EV_RING = 0x0100;
inline constexpr std::uint32_t kDefaultEventMask = EV_CTS | EV_DSR | EV_BREAK | EV_ERR;  // 0xD8

// Modem status bits (TTYInfo::modemStatus, UM_MODEM_STATUS).
inline constexpr std::uint32_t MS_CTS_ON = 0x10;
inline constexpr std::uint32_t MS_DSR_ON = 0x20;
inline constexpr std::uint32_t MS_RING_ON = 0x40;
inline constexpr std::uint32_t MS_RLSD_ON = 0x80;

// Line error flags (UM_LINE_STATUS).
inline constexpr std::uint32_t CE_RXOVER = 0x0001;
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;
inline constexpr std::uint32_t CE_RXPARITY = 0x0004;
inline constexpr std::uint32_t CE_FRAME = 0x0008;
inline constexpr std::uint32_t CE_BREAK = 0x0010;

// Line status of the last check: flags word, then bytes waiting in the input and output queues.
struct COMSTAT {
  std::uint32_t flags;
  std::uint32_t cbInQue;
  std::uint32_t cbOutQue;
};
static_assert(sizeof(COMSTAT) == 12);

// Time-outs of a port, in milliseconds.
struct COMMTIMEOUTS {
  std::uint32_t readIntervalTimeout;
  std::uint32_t readTotalTimeoutMultiplier;
  std::uint32_t readTotalTimeoutConstant;
  std::uint32_t writeTotalTimeoutMultiplier;
  std::uint32_t writeTotalTimeoutConstant;
};
static_assert(sizeof(COMMTIMEOUTS) == 20);

// One per port. "caller" fields are filled by the caller before SetupSYSInfo; "library" fields
// are written by the library; "default" fields get their defaults from SetupSYSInfo.
struct TTYInfo {
  std::intptr_t portHandle;    // library: non-zero while the port is open
  std::intptr_t readerThread;  // library: non-zero while the reader/status thread runs
  std::intptr_t writerThread;  // library: non-zero while the writer thread runs
  platform::TargetId window;   // caller, shared: message target; 0 = post nothing
  std::uint8_t comIndex;       // caller: 0 = COM1 ... 16 = COM17; above is refused
  std::uint8_t padding1[3];
  std::uint32_t callerId;         // caller: wParam of the caller's messages
  std::uint8_t* rxCopy;           // caller: optional receive copy buffer (0 = none)
  std::uint16_t reserved1024;     // library: 1024 after defaults
  std::uint16_t reserved1;        // library: 1 after defaults
  std::uint16_t lastReadCount;    // library, shared: bytes of the last read
  std::uint16_t rxCopySize;       // caller: size of rxCopy; 0 = 24 in command mode, 513 raw
  const std::uint8_t* block;      // caller: block to send
  std::uint32_t blockLength;      // caller: its length in bytes
  std::uint32_t eventMask;        // default 0xD8, shared; applied before the reader's next wait
  std::uint32_t lastEvent;        // library, shared: last line events
  std::uint32_t modemStatus;      // library, shared: last modem status (MS_*)
  std::uint32_t lastError;        // library, shared: last Windows-style error code; 0 = none
  const char* errorText;          // library, shared: context text of the last error or warning
  std::uint32_t rxMode;           // caller: 1 = command mode, 0 = raw mode
  std::uint32_t openFlag;         // library: 1 while open
  std::uint32_t statusPost;       // caller, shared: also post COMM_EVENT/LINE_STATUS/WARNING
  std::uint32_t inReceive;        // library, shared: 1 while the receive handler runs
  std::uint32_t transferRunning;  // library, shared: 1 while an asynchronous send runs
  std::uint32_t baudRate;         // caller: 0 becomes 9600
  COMSTAT comStat;                // library, shared (each word): line status of the last check
  COMMTIMEOUTS savedTimeouts;     // library: time-outs found at opening
  COMMTIMEOUTS timeouts;          // default: read interval 1 ms, others 0
  std::uint16_t logLevel;         // caller: a port's line is written at level <= this
  std::uint16_t padding2;
  const char* logFileName;  // caller: log file name in the data folder; 0 = none
};

// One per port: the machine's identity from its status reply 0x01 or 0x02. Exactly 14 bytes.
// Every field is shared: the reader thread decodes 0x01 and 'E' into it at once.
struct CMDInfo {
  std::uint8_t code;         // type 0x10: byte 11 of the reply; else the reply's code
  std::uint8_t machineType;  // byte 1; 0x10 after 'E', 0xFF after 'O' (a modem answered)
  std::uint16_t value2;      // byte 2
  std::uint16_t value3;      // bytes 3..4
  std::uint16_t value5;      // bytes 5..6
  std::uint16_t value7;      // bytes 7..8
  std::uint16_t value9;      // bytes 9..10
  std::uint16_t value11;     // type 0x10: byte 12; else bytes 11..12
};

// One per port, filled from received commands by AnalizeCmd. After the three pointers the data
// bytes are one contiguous block in their fixed order.
struct SYSInfo {
  CMDInfo* cmdInfo;          // caller
  TTYInfo* ttyInfo;          // caller
  std::uint8_t* reply23;     // caller: optional reply-0x23 record, >= 53 bytes; 0 = none
  char fileName[12];         // reply 0x20 bytes 8..19, not terminated within the field
  std::uint8_t fileNameEnd;  // 0, written after the name
  std::uint8_t unused25[3];
  std::uint16_t transferWord;  // byte 2 of 0x20, or bytes 2..3 of 0x82
  std::uint8_t byte30;         // byte 3 of 0x20, or byte 1 of 0x22
  std::uint8_t progressCode;   // last progress reply: 0x11, 0x12, 0x13 or 0x1E
  std::uint8_t lastCode;       // shared: code of the last command decoded
  std::uint8_t byte33;         // byte 1 of 0x60 or 0x61
  std::uint8_t unused34;
  std::uint8_t errorCode;  // byte 2 of 0x12, 0x13, 0x1E; 0 after 0x11
  std::uint8_t unused36;
  std::uint8_t byte37;     // byte 1 of 0x11, 0x12, 0x13, 0x1E, 0x20, 0x21
  std::uint16_t rotation;  // byte 2 of 0x11; 0 after 0x12, 0x13, 0x1E
  std::uint16_t value6A;   // byte 1 of 0x6A
  std::uint8_t unused42[2];
  std::int32_t x;             // bytes 4..5 of 0x21 or 0x60, sign-extended
  std::int32_t y;             // bytes 6..7 of 0x21 or 0x60, sign-extended
  std::uint32_t memory;       // bytes 4..7 of 0x20, or bytes 1..4 of 0x2F
  std::uint32_t stitchCount;  // bytes 4..7 of 0x11, 0x12, 0x13, 0x1E
  std::uint32_t value20;      // byte 20 of 0x20
  std::uint8_t byte64;        // byte 21 of 0x20
  std::uint8_t padding65[3];
};

// Layouts: the fields keep their order and widths; only pointer and handle fields take this
// platform's size.
static_assert(sizeof(CMDInfo) == 14);
static_assert(offsetof(CMDInfo, machineType) == 1 && offsetof(CMDInfo, value2) == 2 &&
              offsetof(CMDInfo, value11) == 12);

inline constexpr std::size_t kSysData = offsetof(SYSInfo, fileName);
static_assert(kSysData == 3 * sizeof(void*));
static_assert(offsetof(SYSInfo, fileNameEnd) - kSysData == 24 - 12);
static_assert(offsetof(SYSInfo, transferWord) - kSysData == 28 - 12);
static_assert(offsetof(SYSInfo, byte30) - kSysData == 30 - 12);
static_assert(offsetof(SYSInfo, progressCode) - kSysData == 31 - 12);
static_assert(offsetof(SYSInfo, lastCode) - kSysData == 32 - 12);
static_assert(offsetof(SYSInfo, byte33) - kSysData == 33 - 12);
static_assert(offsetof(SYSInfo, errorCode) - kSysData == 35 - 12);
static_assert(offsetof(SYSInfo, byte37) - kSysData == 37 - 12);
static_assert(offsetof(SYSInfo, rotation) - kSysData == 38 - 12);
static_assert(offsetof(SYSInfo, value6A) - kSysData == 40 - 12);
static_assert(offsetof(SYSInfo, x) - kSysData == 44 - 12);
static_assert(offsetof(SYSInfo, y) - kSysData == 48 - 12);
static_assert(offsetof(SYSInfo, memory) - kSysData == 52 - 12);
static_assert(offsetof(SYSInfo, stitchCount) - kSysData == 56 - 12);
static_assert(offsetof(SYSInfo, value20) - kSysData == 60 - 12);
static_assert(offsetof(SYSInfo, byte64) - kSysData == 64 - 12);
static_assert(sizeof(SYSInfo) == kSysData + 68 - 12);

static_assert(sizeof(void*) != 8 ||
              (offsetof(TTYInfo, window) == 24 && offsetof(TTYInfo, comIndex) == 32 &&
               offsetof(TTYInfo, callerId) == 36 && offsetof(TTYInfo, rxCopy) == 40 &&
               offsetof(TTYInfo, lastReadCount) == 52 && offsetof(TTYInfo, block) == 56 &&
               offsetof(TTYInfo, eventMask) == 68 && offsetof(TTYInfo, lastError) == 80 &&
               offsetof(TTYInfo, errorText) == 88 && offsetof(TTYInfo, rxMode) == 96 &&
               offsetof(TTYInfo, baudRate) == 116 && offsetof(TTYInfo, comStat) == 120 &&
               offsetof(TTYInfo, savedTimeouts) == 132 && offsetof(TTYInfo, timeouts) == 152 &&
               offsetof(TTYInfo, logLevel) == 172 && offsetof(TTYInfo, logFileName) == 176 &&
               sizeof(TTYInfo) == 184));
static_assert(sizeof(void*) != 4 ||
              (offsetof(TTYInfo, comIndex) == 16 && offsetof(TTYInfo, rxCopy) == 24 &&
               offsetof(TTYInfo, block) == 36 && offsetof(TTYInfo, errorText) == 60 &&
               offsetof(TTYInfo, comStat) == 88 && offsetof(TTYInfo, logFileName) == 144 &&
               sizeof(TTYInfo) == 148));

// Reads a shared field (see the top of this file) while the port may be open.
template <class T>
T LoadShared(const T& field) {
  // The records are the caller's own, never const objects: only the access is read-only.
  return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_acquire);
}

// Writes a shared field while the port may be open.
template <class T>
void StoreShared(T& field, T value) {
  std::atomic_ref<T>(field).store(value, std::memory_order_release);
}

// The identity record field by field (each field atomic, the record as a whole not).
inline CMDInfo LoadShared(const CMDInfo& cmd) {
  return {LoadShared(cmd.code),   LoadShared(cmd.machineType), LoadShared(cmd.value2),
          LoadShared(cmd.value3), LoadShared(cmd.value5),      LoadShared(cmd.value7),
          LoadShared(cmd.value9), LoadShared(cmd.value11)};
}

inline void StoreShared(CMDInfo& cmd, const CMDInfo& value) {
  StoreShared(cmd.code, value.code);
  StoreShared(cmd.machineType, value.machineType);
  StoreShared(cmd.value2, value.value2);
  StoreShared(cmd.value3, value.value3);
  StoreShared(cmd.value5, value.value5);
  StoreShared(cmd.value7, value.value7);
  StoreShared(cmd.value9, value.value9);
  StoreShared(cmd.value11, value.value11);
}

}  // namespace portlink

// Forgets every slot and binds sysInfo (may be null) to slot 0 with its TTYInfo defaults.
PORTLINK_API void DLLInitialize(portlink::SYSInfo* sysInfo);
// Binds sysInfo and its TTYInfo to the slot, applies the TTYInfo defaults, opens the log.
PORTLINK_API void SetupSYSInfo(std::uint16_t slot, portlink::SYSInfo* sysInfo);
// Binds another TTYInfo to the slot and applies its line settings to the open port. The port
// threads may still be writing the record it replaces until CloseCommPort has returned.
PORTLINK_API void SetupTTYInfo(std::uint16_t slot, portlink::TTYInfo* ttyInfo);
// 1 when the port at the slot's COM index exists and takes the line settings; not kept open.
PORTLINK_API int FindCommPort(std::uint16_t slot);
// Opens the port and starts its threads; 1 when open with every setting applied.
PORTLINK_API int OpenCommPort(std::uint16_t slot);
// Logs the counters, closes the log, stops the threads and closes the port; 0 if not open.
PORTLINK_API int CloseCommPort(std::uint16_t slot);
// Writes the TTYInfo's block on the caller's thread; 0 when the port is not open.
PORTLINK_API int SendBlockSync(std::uint16_t slot);
// Starts sending the TTYInfo's block; UM_BLOCK_SENT follows. 0 when the port is not open.
PORTLINK_API int SendBlockAsync(std::uint16_t slot);
// Discards pending output and ends the slot's asynchronous send.
PORTLINK_API void AbortSendBlock(std::uint16_t slot);
// Ends the slot's asynchronous send.
PORTLINK_API void TransferBlockEnd(std::uint16_t slot);
// Appends one time-stamped line to the log; port -1 = none. Non-zero when written.
PORTLINK_API int WriteLogMessage(const char* text, std::int16_t port, std::int32_t level);
// Decodes one complete command (code byte first, its full length) into the slot's records.
PORTLINK_API void AnalizeCmd(const std::uint8_t* command, std::int32_t slot);
