// Building transfer frames for a large design, and a whole transfer of it to the simulated
// machine in one process.
#include <benchmark/benchmark.h>

#include <memory>

#include "pelsrv/protocol/transferblocks.h"
#include "pelsrv/protocol/transferframe.h"
#include "shared/stitch.h"
#include "sim/eventlog.h"
#include "sim/simlink.h"

namespace {

constexpr int kStitches = 1'000'000;

std::unique_ptr<TStitchItem> BigDesign() {
  auto design = std::make_unique<TStitchItem>();
  design->Points.reserve(kStitches);
  std::int32_t x = 0;
  std::int32_t y = 0;
  for (int i = 0; i < kStitches; ++i) {
    std::uint8_t func = sfStitch;
    if (i > 0 && i % 20000 == 0) {
      func = sfColorChange;
    } else if (i % 997 == 0) {
      func = sfJump;
    }
    x += (i % 2 == 0) ? 40 : -37;
    y += (i % 3) - 1;
    design->Points.push_back({func, x, y});
  }
  design->SetColorCount();
  design->FileName = "2609c008.10o";
  return design;
}

void BM_BuildDataFrames(benchmark::State& state) {
  const std::shared_ptr<const TStitchItem> design(BigDesign());
  const TTransferSource source(design, 0x01);
  const std::int32_t blocks = source.BlockCount();
  TTransferFrame frame;
  std::int32_t index = 0;
  for (auto _ : state) {
    BuildDataFrame(kFrameData, index, 0x1234, {}, frame);
    source.FillBlock(index, std::span(frame).subspan(kFrameDataOffset, kFrameDataSize));
    benchmark::DoNotOptimize(frame.data());
    index = index + 1 == blocks ? 0 : index + 1;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["blocks"] = blocks;
}
BENCHMARK(BM_BuildDataFrames);

void BM_WholeSimulatedTransfer(benchmark::State& state) {
  const std::unique_ptr<TStitchItem> original = BigDesign();
  std::int64_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto design = std::make_unique<TStitchItem>(*original);
    sim::TEventLog events;
    sim::TSimLink link({}, &events);
    link.Connect();
    link.Machine().OfferTransfer();
    link.Pump();
    state.ResumeTiming();

    const bool started = link.Connection().StartTransfer(std::move(design), true);
    link.Pump();

    state.PauseTiming();
    if (!started || !link.Machine().TransferComplete() || link.Connection().IsSending()) {
      state.SkipWithError("transfer did not complete");
    }
    bytes += link.Connection().bytesSent;
    state.ResumeTiming();
  }
  state.SetBytesProcessed(bytes);
  state.SetLabel("1,000,000 stitches");
}
BENCHMARK(BM_WholeSimulatedTransfer)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
