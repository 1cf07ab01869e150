// Sorting paths by nearest distance: 20,000 and 100,000 short paths scattered over 1000 x 1000
// mm. The order is found through a grid; the baseline in the same run is the plain search
// over every remaining path at every step (quadratic), run for 20,000 paths only, where it
// still ends in seconds. The sort distance 5 is the dialog's first value; 1000 lets every
// path be the nearest, so each step has to find the true nearest of all that are left.
// The whole command (undo snapshot, the store written in the new order, regeneration) is
// measured against one walk of the store that copies every record behind it.

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <vector>

#include "edit/command_frame.h"
#include "edit/sort_paths.h"
#include "model/point_store.h"
#include "model/undo_ring.h"
#include "platform/platform.h"
#include "texts/messages.h"

namespace {

using namespace trevalon;

std::vector<PathEnds> Scattered(std::uint32_t n) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> at(0.0, 1000.0), dir(-3.5, 3.5);
  std::vector<PathEnds> paths(n);
  for (PathEnds& p : paths) {
    p.start[0] = at(rng), p.start[1] = at(rng), p.start[2] = -1.0;
    p.end[0] = p.start[0] + dir(rng), p.end[1] = p.start[1] + dir(rng), p.end[2] = -1.0;
  }
  return paths;
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// range(0): paths, range(1): sort distance, range(2): 1 to time the plain search as well.
void BM_SortOrder(benchmark::State& state) {
  const std::vector<PathEnds> paths = Scattered(static_cast<std::uint32_t>(state.range(0)));
  const double distance = static_cast<double>(state.range(1));
  const bool plain = state.range(2) != 0;
  double gridSeconds = 0, plainSeconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    std::vector<SortStep> order = SortOrder(paths, 2, distance);
    auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(order.data());
    gridSeconds += Seconds(t0, t1);
    if (plain) {
      std::vector<SortStep> reference = SortOrderPlain(paths, 2, distance);
      plainSeconds += Seconds(t1, std::chrono::steady_clock::now());
      if (reference.size() != order.size() || reference.back().path != order.back().path)
        state.SkipWithError("the grid and the plain search disagree");
    }
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["paths"] = static_cast<double>(paths.size());
  state.counters["order_ms"] = gridSeconds / n * 1e3;
  if (plain) {
    state.counters["plain_ms"] = plainSeconds / n * 1e3;
    state.counters["plain_vs_grid"] = plainSeconds / gridSeconds;
  }
}
BENCHMARK(BM_SortOrder)
    ->Args({20000, 5, 1})
    ->Args({20000, 1000, 1})
    ->Args({100000, 5, 0})
    ->Args({100000, 1000, 0})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The paths as a toolpath: a rapid above each start, the plunge, two cuts.
std::vector<PointRecord> Toolpath(const std::vector<PathEnds>& paths) {
  std::vector<PointRecord> r;
  r.reserve(paths.size() * 4);
  auto point = [&](const double* p, double z, int type) {
    r.push_back({static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(z), 800, 0,
                 static_cast<std::int16_t>(type)});
  };
  for (const PathEnds& p : paths) {
    point(p.start, 50.0, MOVE_RAPID);
    point(p.start, p.start[2], MOVE_RAPID_CONT);
    const double mid[3] = {(p.start[0] + p.end[0]) / 2, (p.start[1] + p.end[1]) / 2, 0};
    point(mid, p.start[2], MOVE_LINE);
    point(p.end, p.end[2], MOVE_LINE_CONT);
  }
  return r;
}

void BM_SortCommand(benchmark::State& state) {
  const std::vector<PointRecord> path =
      Toolpath(Scattered(static_cast<std::uint32_t>(state.range(0))));
  const std::uint32_t count = static_cast<std::uint32_t>(path.size());
  HeadlessPlatform platform;
  CPointStore store;
  CUndoRing undo;
  double retract = 50;
  EditContext ctx{store, undo, retract, Messages(platform, Language::English), nullptr, nullptr};
  SortOptions o;
  double sortSeconds = 0, copySeconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    store.CopyRecordsIn(path.data(), count);
    state.ResumeTiming();
    auto t0 = std::chrono::steady_clock::now();
    for (std::uint32_t i = 0; i < count; ++i) {
      store.FetchPoint(i);
      store.StorePoint(count + i);
    }
    auto t1 = std::chrono::steady_clock::now();
    if (!SortCommand(ctx, o).ok()) state.SkipWithError("the sort did nothing");
    auto t2 = std::chrono::steady_clock::now();
    copySeconds += Seconds(t0, t1);
    sortSeconds += Seconds(t1, t2);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["records"] = count;
  state.counters["sort_ms"] = sortSeconds / n * 1e3;
  state.counters["copy_ms"] = copySeconds / n * 1e3;
  state.counters["sort_vs_copy"] = sortSeconds / copySeconds;
}
BENCHMARK(BM_SortCommand)->Arg(20000)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
