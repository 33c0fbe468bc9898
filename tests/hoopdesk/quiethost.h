// Stand-ins for the window around the panel manager and for the trace window, for tests and
// benchmarks that do not look at what the panel manager asks of them. A test overrides what it
// records.
#pragma once

#include <optional>
#include <string>

#include "hoopdesk/machines/tracesink.h"
#include "hoopdesk/panels/panelhost.h"

class TQuietPanelHost : public TPanelHost {
 public:
  void InvalidateLayoutView() override {}
  std::string LayoutFileName() const override { return {}; }
  bool IsSendTabShown() const override { return false; }
  void MachineListRebuilt() override {}
  std::optional<TCookie> ShowMachineInfo(const TMachineInfoInput&) override { return std::nullopt; }
};

class TQuietTraceSink : public TTraceSink {
 public:
  bool CreateTraceFrame(int) override { return true; }
  void UpdateTraceFrames(int, int) override {}
  void ShowTraceDesign(int, const std::string&) override {}
  std::int32_t LoadTraceDesign(int, const std::string&) override { return 0; }
  void ShowTraceFrame(int, bool) override {}
  void SetTraceProgress(int, std::uint8_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                        std::int32_t) override {}
  void SetTraceState(int, std::uint8_t, std::int32_t, std::int32_t) override {}
  void CompleteTrace(int, bool, std::int32_t) override {}
  void SetTraceMemory(int, std::int32_t) override {}
  void ClearTraceStatus(int) override {}
  void ClearTraceCounters(int) override {}
};
