#pragma once

#include <string>

#include "pelsrvapi/pelservice_tlb.h"

// A sink that takes every event and does nothing with it.
class NullSink : public IPelSrvEvents {
 public:
  void OnStatusChange(int32_t, uint8_t) override {}
  void OnSendProgress(int32_t, int32_t) override {}
  void OnSendStop(int32_t, int32_t) override {}
  void OnProgress(int32_t, uint8_t, int32_t, int32_t, int32_t, uint16_t, uint8_t) override {}
  void OnFilenameAck(int32_t, const std::string&, int32_t, int32_t&) override {}
  void OnComplete(int32_t, int32_t, int32_t) override {}
  void OnSyncSetup(int32_t, int32_t, int32_t) override {}
  void OnSendStart(int32_t) override {}
};
