// Arbitrary machine bytes into a connection: cut into replies as a serial or TCP/IP line cuts
// them and handed to the reply handler, with a transfer started part way and the line dropped
// at the end. Byte 0 chooses the line, the client's answer to the file name and the machine
// type; the rest is what the machine says, in two halves.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>

#include "shared/stitch.h"
#include "sim/eventlog.h"
#include "sim/simlink.h"

namespace {

std::unique_ptr<TStitchItem> SmallDesign(bool leadingStart) {
  auto design = std::make_unique<TStitchItem>();
  if (leadingStart) design->Points.push_back({sfStart, 0, 0});
  for (int i = 0; i < 400; ++i) {
    const std::uint8_t func = i % 90 == 89 ? sfColorChange : (i % 77 == 5 ? sfJump : sfStitch);
    design->Points.push_back({func, (i % 7) * 30 - 90, (i % 5) * 300});
  }
  design->SetColorCount();
  design->FileName = "FUZZ.10o";
  return design;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "pellora-fuzz-home";
  std::filesystem::create_directories(home);
  setenv("PELLORA_HOME", home.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t flags = data[0];
  const std::span<const std::uint8_t> said(data + 1, size - 1);

  sim::TSimConfig config;
  config.persona = sim::Persona::kSilent;
  config.wire = (flags & 1) ? sim::Wire::kTcp : sim::Wire::kSerial;
  sim::TEventLog events;
  events.filenameTotal = (flags & 2) ? 1 : 0;
  sim::TSimLink link(config, (flags & 4) ? nullptr : &events);
  link.Connection().SetEndPause(std::chrono::microseconds(0));
  link.Connect();

  const std::size_t half = said.size() / 2;
  link.Inject(said.first(half));
  link.Pump();
  link.Connection().StartTransfer(SmallDesign(flags & 8), (flags & 16) != 0);
  link.Inject(said.subspan(half));
  link.Pump();
  link.Connection().LineDown();
  return 0;
}
