// The feed optimiser run on a 1-million-point 3D finishing toolpath with corners and slopes,
// without and with a master model, against a baseline in the same run: copying every point
// of the store into the work array and back, the least any run must do. Reported: points per
// second, the ratio to the copy, and the peak resident memory of the process. A third
// benchmark times the master rule's query alone.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "app/application.h"
#include "app/feed_commands.h"
#include "feed/cutting_conditions.h"
#include "feed/feed_point.h"
#include "feed/feed_run.h"
#include "feed/master_model.h"
#include "feed/master_query.h"
#include "model/point_store.h"
#include "model/undo_ring.h"
#include "platform/platform.h"

namespace {

using namespace trevalon;

constexpr std::uint32_t kPoints = 1'000'000;

// Zig-zag raster passes along X over 200 x 200 mm, 0.1 mm between points, square stepovers
// of 0.4 mm (two 90-degree corners per pass), over a dome, a sloping flank and a pocket
// wall; every 20 passes a retract, traverse and plunge.
std::vector<PointRecord> FinishingToolpath() {
  std::vector<PointRecord> r;
  r.reserve(kPoints + 4000);
  auto surface = [](double x, double y) {
    double d = std::hypot(x - 100.0, y - 100.0);
    double z = d < 60.0 ? std::sqrt(60.0 * 60.0 - d * d) * 0.5 : 0.0;  // dome
    z += 0.15 * x;                                                     // flank
    if (x > 150.0 && y < 50.0) z -= 12.0;                              // pocket wall
    return z;
  };
  auto add = [&](double x, double y, double z, int feed, int type) {
    r.push_back({static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                 static_cast<std::int16_t>(feed), 0, static_cast<std::int16_t>(type)});
  };
  double y = 0.0;
  for (int pass = 0; r.size() < kPoints; ++pass) {
    bool forward = pass % 2 == 0;
    double x0 = forward ? 0.0 : 200.0;
    if (pass % 20 == 0) {
      add(x0, y, 50.0, 0, MOVE_RAPID);
      add(x0, y, surface(x0, y) + 2.0, 0, MOVE_RAPID_CONT);
      add(x0, y, surface(x0, y), 300, MOVE_LINE);
    } else {
      add(x0, y, surface(x0, y), 1500, MOVE_LINE_CONT);  // the stepover
    }
    for (int k = 1; k <= 2000 && r.size() < kPoints; ++k) {
      double x = forward ? 0.1 * k : 200.0 - 0.1 * k;
      add(x, y, surface(x, y), 1500, MOVE_LINE_CONT);
    }
    if (pass % 20 == 19) add(forward ? 200.0 : 0.0, y, 50.0, 0, MOVE_RAPID);
    y += 0.4;
  }
  return r;
}

const std::vector<PointRecord>& Toolpath() {
  static const std::vector<PointRecord> path = FinishingToolpath();
  return path;
}

// The baseline: the run's fill of the work array from the store and the write-back of as
// many records, nothing in between.
double CopySeconds(CPointStore& store) {
  double best = 1e9;
  for (int rep = 0; rep < 3; ++rep) {
    auto t0 = std::chrono::steady_clock::now();
    const std::uint32_t n = store.count;
    std::unique_ptr<FeedPoint[]> work(new FeedPoint[n]);
    for (std::uint32_t i = 0; i < n; ++i) {
      store.FetchPoint(i);
      FeedPoint& w = work[i];
      w.X = store.reg.x, w.Y = store.reg.y, w.Z = store.reg.z;
      w.ProgFeed = w.Feed = store.reg.feed;
      w.StartZonePct = w.StartZoneFeed = w.EndZonePct = w.EndZoneFeed = 0;
      w.MotionType = static_cast<std::uint32_t>(store.reg.type);
    }
    for (std::uint32_t i = 0; i < n; ++i) {
      const FeedPoint& w = work[i];
      store.reg.x = w.X, store.reg.y = w.Y, store.reg.z = w.Z;
      store.reg.feed = w.Feed;
      store.reg.type = static_cast<std::int32_t>(w.MotionType);
      store.StorePoint(i);
    }
    benchmark::DoNotOptimize(work.get());
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (s < best) best = s;
  }
  return best;
}

double PeakMegabytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void RunBenchmark(benchmark::State& state, bool withMaster) {
  const std::vector<PointRecord>& path = Toolpath();
  HeadlessPlatform platform;
  CApplication app(platform);
  CDocument& doc = app.NewDocument();
  CPointStore& store = doc.store;
  if (withMaster) {
    // The mesh from the same toolpath (creation empties the store).
    store.CopyRecordsIn(path.data(), static_cast<std::uint32_t>(path.size()));
    doc.master.tolerance = 1.0;
    if (doc.master.Create(store, doc.undo) != 1) {
      state.SkipWithError("master model could not be created");
      return;
    }
  }
  store.CopyRecordsIn(path.data(), static_cast<std::uint32_t>(path.size()));
  const double copy = CopySeconds(store);
  double runSeconds = 0.0;
  std::uint32_t pointsAfter = 0;
  for (auto _ : state) {
    state.PauseTiming();
    store.CopyRecordsIn(path.data(), static_cast<std::uint32_t>(path.size()));
    state.ResumeTiming();
    auto t0 = std::chrono::steady_clock::now();
    FeedRunSummary r;
    benchmark::DoNotOptimize(FeedOptimizerCommand(app, doc, &r).ok());
    runSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    pointsAfter = r.pointsAfter;
    // The ring keeps at most ten copies of the toolpath; drop them between iterations so
    // that the peak memory is that of one run.
    state.PauseTiming();
    doc.undo = CUndoRing{};
    state.ResumeTiming();
  }
  const double perRun = runSeconds / static_cast<double>(state.iterations());
  state.counters["points/s"] =
      benchmark::Counter(static_cast<double>(path.size()) / perRun, benchmark::Counter::kDefaults);
  state.counters["copy_ms"] = copy * 1e3;
  state.counters["x_copy"] = perRun / copy;
  state.counters["peak_MB"] = PeakMegabytes();
  state.counters["points_out"] = pointsAfter;
  state.SetLabel(withMaster ? "master model" : "geometry only");
}

void BM_FeedRun(benchmark::State& state) {
  RunBenchmark(state, false);
}
void BM_FeedRunWithMasterModel(benchmark::State& state) {
  RunBenchmark(state, true);
}

// The master rule's query alone, at every cutting point of the same toolpath with the
// optimiser's default search distance: asked of the grid afresh (plain), through the prepared
// query, and through the prepared query for slopes above the default minimum slope angle
// only (what the rule asks for short moves). Reported: nanoseconds per point of each and the
// plain / prepared ratio.
void BM_FeedMasterQuery(benchmark::State& state) {
  const std::vector<PointRecord>& path = Toolpath();
  CPointStore store;
  CUndoRing undo;
  MasterModel model;
  store.CopyRecordsIn(path.data(), static_cast<std::uint32_t>(path.size()));
  model.tolerance = 1.0;
  if (model.Create(store, undo) != 1) {
    state.SkipWithError("master model could not be created");
    return;
  }
  const MasterGrid grid = model.Grid();
  const CuttingConditions defaults;
  enum Kind { kPlain, kPrepared, kSteep };
  auto seconds = [&](Kind kind, long& sum) {
    MasterGrid g = grid;
    g.preparedQuery = kind != kPlain;
    auto t0 = std::chrono::steady_clock::now();
    MasterQuery query(g, defaults.SafetyDistance, defaults.SlopeMinAngle);
    for (const PointRecord& p : path) {
      if (p.type != MOVE_LINE && p.type != MOVE_LINE_CONT) continue;
      sum += kind == kSteep ? query.SteepSlopeAbove(p.x, p.y, p.z)
                            : query.MaxSlopeAbove(p.x, p.y, p.z);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  };
  double plain = 0.0, prepared = 0.0, steep = 0.0;
  long plainSum = 0, preparedSum = 0, steepSum = 0;
  for (auto _ : state) {
    plain += seconds(kPlain, plainSum);
    prepared += seconds(kPrepared, preparedSum);
    steep += seconds(kSteep, steepSum);
  }
  if (plainSum != preparedSum) state.SkipWithError("the prepared query answered differently");
  benchmark::DoNotOptimize(steepSum);
  const double n = static_cast<double>(state.iterations()) * static_cast<double>(path.size());
  state.counters["plain_ns"] = plain / n * 1e9;
  state.counters["prepared_ns"] = prepared / n * 1e9;
  state.counters["steep_ns"] = steep / n * 1e9;
  state.counters["plain_vs_prepared"] = plain / prepared;
}

BENCHMARK(BM_FeedRun)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FeedRunWithMasterModel)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FeedMasterQuery)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
