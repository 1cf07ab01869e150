// The machine time of two million moves against the statistics walk over the same store,
// measured in the same run (baseline and subject in turn in every iteration, each timed with
// the thread's CPU clock); `ratio` is the machine time's cost over the statistics'.

#include <benchmark/benchmark.h>

#include <cmath>

#include "bench_support.h"
#include "model/machine_time.h"
#include "model/statistics.h"

namespace trevalon {
namespace {

constexpr std::uint32_t kMoves = 2'000'000;

// A 3D finishing pattern: rows of 0.1 mm steps over a wavy surface, 0.2 mm apart, zig-zag,
// with a rapid retract and approach every 100 rows.
CPointStore& FinishingStore() {
  static CPointStore* store = [] {
    auto* s = new CPointStore;
    for (std::uint32_t i = 0; i < kMoves; ++i) {
      const std::uint32_t row = i / 1000, col = i % 1000;
      const bool rapid = col == 0 && row % 100 == 0;
      s->reg.type = rapid ? MOVE_RAPID : (col == 1 && row % 100 == 0 ? MOVE_LINE : MOVE_LINE_CONT);
      s->reg.x = (row % 2 == 0 ? col : 999 - col) * 0.1;
      s->reg.y = row * 0.2;
      s->reg.z = rapid ? 50.0 : std::sin(s->reg.x * 0.1) + std::cos(row * 0.02);
      s->reg.feed = 3000;
      s->reg.mark = 0;
      s->StorePoint(s->count++);
    }
    return s;
  }();
  return *store;
}

void BM_MachineTimeVsStatistics(benchmark::State& state) {
  CPointStore& s = FinishingStore();
  const MachineLimits limits;
  double tb = 0, ts = 0;
  for (auto _ : state) {
    s.statisticsParts.clear();  // a walk from scratch, not the kept shares
    const double t0 = ThreadSeconds();
    benchmark::DoNotOptimize(ComputeStatistics(s));
    const double t1 = ThreadSeconds();
    benchmark::DoNotOptimize(EstimateMachineTime(s, limits));
    const double t2 = ThreadSeconds();
    tb += t1 - t0;
    ts += t2 - t1;
    state.SetIterationTime(t2 - t1);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["baseline_ms"] = tb / n * 1e3;
  state.counters["ms"] = ts / n * 1e3;
  state.counters["ratio"] = ts / tb;
  state.SetLabel("machine time / statistics walk, 2 million moves (aim: ms well under 1000)");
  state.SetItemsProcessed(state.iterations() * kMoves);
}
BENCHMARK(BM_MachineTimeVsStatistics)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
}  // namespace trevalon
