// Stand-ins around the port dialog: a main window that counts what the dialog asks of it, a
// serial line whose ports are scripted, and the message boxes and texts the dialog shows.
#pragma once

#include <functional>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "hoopdesk/dialogs/porthost.h"
#include "hoopdesk/dialogs/scanline.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/messages.h"

class FakePortHost : public TPortHost {
 public:
  int MachineCount() const override { return static_cast<int>(queued.size()); }
  int GetQueuedCount(int machine) const override {
    return queued.at(static_cast<std::size_t>(machine));
  }
  bool ReleaseMachines(bool force) override {
    ++releaseAsks;
    EXPECT_FALSE(force);
    if (busy) return false;
    queued.clear();
    return true;
  }
  void StartMachines(bool search) override {
    EXPECT_TRUE(search);
    ++starts;
    if (duringStart) duringStart();
  }
  void CloseTraceWindows() override { ++traceCloses; }
  void TabSendResize() override { ++resizes; }

  std::vector<int> queued;  // designs queued per machine
  bool busy = false;        // a machine sews
  int releaseAsks = 0;
  int starts = 0;
  int traceCloses = 0;
  int resizes = 0;
  std::function<void()> duringStart;  // runs while the machines are started again
};

// What one scripted port does when the scan opens it.
struct ScriptedPort {
  bool opens = true;
  bool dsr = true;
  enum class Answer { kNone, kModem, kMachine } answer = Answer::kNone;
  portlink::CMDInfo identity{};
};

class ScriptedLine : public TScanLine {
 public:
  void Begin(std::uint32_t baudRate) override {
    ++begins;
    baud = baudRate;
  }
  bool Find(int comIndex) override {
    current_ = ports.count(comIndex) ? &ports[comIndex] : nullptr;
    return current_ != nullptr;
  }
  bool Open() override { return current_->opens; }
  bool Dsr() const override { return current_->dsr; }
  void Send(std::span<const std::uint8_t> bytes) override {
    sent.emplace_back(bytes.begin(), bytes.end());
  }
  bool WaitForReply(const TPump& pump) override {
    if (pump) pump();
    if (whileWaiting) whileWaiting();
    return current_->answer != ScriptedPort::Answer::kNone;
  }
  bool ModemAnswered() const override { return current_->answer == ScriptedPort::Answer::kModem; }
  void Close() override {}
  portlink::CMDInfo Identity() const override {
    portlink::CMDInfo id = current_->identity;
    if (current_->answer == ScriptedPort::Answer::kModem) id.machineType = 0xFF;
    return id;
  }

  std::map<int, ScriptedPort> ports;
  std::function<void()> whileWaiting;
  int begins = 0;
  std::uint32_t baud = 0;
  std::vector<std::vector<std::uint8_t>> sent;

 private:
  ScriptedPort* current_ = nullptr;
};

// A machine's identity as the probe leaves it: its type and the version words read as
// "(vv.vv.vv)".
inline portlink::CMDInfo Identity(std::uint8_t type, const char* version = "000000") {
  portlink::CMDInfo id{};
  id.machineType = type;
  auto word = [&](int at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(version[at]) << 8 |
                                      static_cast<std::uint8_t>(version[at + 1]));
  };
  id.value7 = word(0);
  id.value5 = word(2);
  id.value9 = word(4);
  return id;
}

// Collects the texts of the message boxes and installs the program's message table.
class MessageBoxes {
 public:
  MessageBoxes() {
    platform::SetMessageBoxHandler([this](platform::MessageBoxKind, const std::string&,
                                          const std::string& text) { texts.push_back(text); });
    platform::SetMessageTextSource(ServiceMessageText);
  }
  ~MessageBoxes() {
    platform::SetMessageBoxHandler({});
    platform::SetMessageTextSource({});
  }
  MessageBoxes(const MessageBoxes&) = delete;
  MessageBoxes& operator=(const MessageBoxes&) = delete;

  std::vector<std::string> texts;
};
