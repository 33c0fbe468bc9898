#pragma once

#include <functional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "pelsrvapi/pelservice_tlb.h"

// A sink that records what it receives as text.
class RecordingSink : public IPelSrvEvents {
 public:
  std::vector<std::string> events;
  int32_t totalToGive = -1;  // -1: leave nTotal alone
  std::function<void()> onSendStart;

  void OnStatusChange(int32_t c, uint8_t s) override { Add("status", c, s); }
  void OnSendProgress(int32_t c, int32_t r) override { Add("sendprogress", c, r); }
  void OnSendStop(int32_t c, int32_t s) override { Add("sendstop", c, s); }
  void OnProgress(int32_t c, uint8_t s, int32_t p, int32_t m, int32_t e, uint16_t r,
                  uint8_t n) override {
    Add("progress", c, s, p, m, e, r, n);
  }
  void OnFilenameAck(int32_t c, const std::string& name, int32_t remain, int32_t& total) override {
    Add("filename", c, name, remain, total);
    if (totalToGive >= 0) total = totalToGive;
  }
  void OnComplete(int32_t c, int32_t b, int32_t n) override { Add("complete", c, b, n); }
  void OnSyncSetup(int32_t m, int32_t c, int32_t b) override { Add("sync", m, c, b); }
  void OnSendStart(int32_t c) override {
    Add("sendstart", c);
    if (onSendStart) onSendStart();
  }

 private:
  template <class... A>
  void Add(const char* name, const A&... args) {
    std::ostringstream s;
    s << name;
    ((s << ' ' << Show(args)), ...);
    events.push_back(s.str());
  }
  template <class T>
  static auto Show(const T& v) {
    if constexpr (std::is_arithmetic_v<T>)
      return +v;
    else
      return v;
  }
};
