// Building a master model from a 1-million-point 3D finishing toolpath at tolerance 1.0,
// against a plain baseline in the same run: one walk of the store fetching every point (the
// least any use of the whole toolpath costs). Creation adds the sampling into the fine grid,
// gap filling, coarsening, slopes and the undo snapshot taken before the store is emptied.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "app/master_model_commands.h"
#include "feed/master_model.h"
#include "model/point_store.h"
#include "model/undo_ring.h"

namespace {

using namespace trevalon;

constexpr std::uint32_t kPoints = 1'000'000;

// Zig-zag raster passes along X over 200 x 200 mm, 0.1 mm between points, 0.4 mm stepover,
// on a surface with a dome, a sloping flank and a pocket wall, so that cells get real slopes.
std::vector<PointRecord> FinishingToolpath() {
  std::vector<PointRecord> r;
  r.reserve(kPoints);
  auto surface = [](double x, double y) {
    double d = std::hypot(x - 100.0, y - 100.0);
    double z = d < 60.0 ? std::sqrt(60.0 * 60.0 - d * d) * 0.5 : 0.0;  // dome
    z += 0.15 * x;                                                     // flank
    if (x > 150.0 && y < 50.0) z -= 12.0;                              // pocket
    return z;
  };
  r.push_back({0.0f, 0.0f, 50.0f, 0, 0, MOVE_RAPID});
  double y = 0.0;
  int pass = 0;
  bool first = true;
  while (r.size() < kPoints) {
    for (int k = 0; k <= 2000 && r.size() < kPoints; ++k) {
      double x = pass % 2 ? 200.0 - 0.1 * k : 0.1 * k;
      auto type = static_cast<std::int16_t>(first ? MOVE_LINE : MOVE_LINE_CONT);
      first = false;
      r.push_back({static_cast<float>(x), static_cast<float>(y), static_cast<float>(surface(x, y)),
                   1500, 0, type});
    }
    y += 0.4;
    ++pass;
  }
  return r;
}

void BM_MasterModelCreate(benchmark::State& state) {
  static const std::vector<PointRecord> path = FinishingToolpath();
  CPointStore store;
  CUndoRing undo;
  MasterModel model;
  model.tolerance = 1.0;
  double createSeconds = 0.0, walkSeconds = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    store.CopyRecordsIn(path.data(), kPoints);
    state.ResumeTiming();

    auto t0 = std::chrono::steady_clock::now();
    double sum = 0.0;
    for (std::uint32_t i = 0; i < store.count; ++i)
      if (store.FetchPoint(i)) sum += store.reg.z;
    benchmark::DoNotOptimize(sum);
    auto t1 = std::chrono::steady_clock::now();
    int built = model.Create(store, undo);
    auto t2 = std::chrono::steady_clock::now();
    if (built != 1) state.SkipWithError("the master model was not built");
    walkSeconds += std::chrono::duration<double>(t1 - t0).count();
    createSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  double n = static_cast<double>(state.iterations());
  state.counters["points"] = kPoints;
  state.counters["cells"] = model.header.cellCount;
  state.counters["columns"] = model.header.columns;
  state.counters["rows"] = model.header.rows;
  state.counters["create_ms"] = createSeconds / n * 1e3;
  state.counters["walk_ms"] = walkSeconds / n * 1e3;
  state.counters["create_vs_walk"] = createSeconds / walkSeconds;
  state.counters["points_per_s"] = kPoints * n / createSeconds;
}
BENCHMARK(BM_MasterModelCreate)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
