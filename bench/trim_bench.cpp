// Trims against the plainest pass over the same store: one FetchPoint and one append per
// record (what a trim's walk costs at the least: it reads every point once and writes its
// result behind them). Both run alternately in every iteration on the same two million
// points, restored before each run outside the timing, and are timed with the thread's CPU
// clock; `ratio` is the trim's time over the copy's.

#include <benchmark/benchmark.h>

#include <vector>

#include "bench_support.h"
#include "edit/compaction.h"
#include "edit/trim.h"
#include "model/point_store.h"
#include "model/undo_ring.h"

namespace trevalon {
namespace {

constexpr std::uint32_t kPoints = 2'000'000;
constexpr int kRowPoints = 400;  // cuts 0.5 apart along x from 0 to 200

// Rows of straight cuts joined by half circles (a zigzag), a rapid up and over every tenth
// row, until two million records.
const std::vector<PointRecord>& Toolpath() {
  static const std::vector<PointRecord> records = [] {
    std::vector<PointRecord> r;
    r.reserve(kPoints);
    auto add = [&](double x, double y, double z, int type) {
      r.push_back(PointRecord{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                              static_cast<std::int16_t>(IsRapidType(type) ? 0 : 1500), 0,
                              static_cast<std::int16_t>(type)});
    };
    for (int row = 0; r.size() + kRowPoints + 8 < kPoints; ++row) {
      const double y = row * 2.0;
      const bool forward = row % 2 == 0;
      const double x0 = forward ? 0 : 200;
      if (row % 10 == 0) {
        add(x0, y, 10, MOVE_RAPID);
        add(x0, y, -1, MOVE_RAPID_CONT);
      }
      for (int k = 1; k <= kRowPoints; ++k) {
        const double x = forward ? k * 0.5 : 200 - k * 0.5;
        add(x, y, -1 - 0.001 * (k % 17), k == 1 ? MOVE_LINE : MOVE_LINE_CONT);
      }
      // Over to the next row by a half circle of radius 1 about (x, y + 1).
      const double x1 = forward ? 200 : 0;
      add(x1, y + 2, -1 - 0.001 * (kRowPoints % 17), forward ? MOVE_ARC_CCW : MOVE_ARC_CW);
      add(0, 1, 0, PLANE_XY);
    }
    while (r.size() < kPoints) add(0, 0, 10, MOVE_RAPID_CONT);
    return r;
  }();
  return records;
}

void StoreCopy(CPointStore& s);

struct Bench {
  HeadlessPlatform platform;
  CPointStore store;
  CUndoRing undo;
  ViewState view;
  double retract = 10;
  EditContext ctx{store, undo, retract, Messages(platform, Language::English), &view, [] {}};
  Bench() {
    view.width = 1000, view.height = 800;
    Restore();
    // The pages behind the toolpath exist before the first timed run, for copy and trim alike.
    StoreCopy(store);
    view.SetDirection(1);
    view.Fit(store, nullptr);
  }
  void Restore() { store.CopyRecordsIn(Toolpath().data(), kPoints); }
};

// The baseline: every record fetched and appended behind the store, then the copy dropped.
void StoreCopy(CPointStore& s) {
  const std::uint32_t n = s.count;
  for (std::uint32_t i = 0; i < n; ++i) {
    s.FetchPoint(i);
    AppendRegister(s);
  }
  benchmark::DoNotOptimize(s.count);
  s.count = n;
}

// Copy and subject alternately, each on the restored toolpath.
template <typename Subject>
void Compare(benchmark::State& state, Bench& b, Subject&& subject, const char* label) {
  double tb = 0, ts = 0;
  std::uint32_t result = 0;
  for (auto _ : state) {
    b.Restore();
    double t0 = ThreadSeconds();
    StoreCopy(b.store);
    double t1 = ThreadSeconds();
    b.Restore();
    const double t2 = ThreadSeconds();
    subject(b);
    const double t3 = ThreadSeconds();
    result = b.store.count;
    tb += t1 - t0;
    ts += t3 - t2;
    state.SetIterationTime(t3 - t2);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["copy_ms"] = tb / n * 1e3;
  state.counters["ms"] = ts / n * 1e3;
  state.counters["ratio"] = ts / tb;
  state.counters["points_after"] = result;
  state.SetLabel(label);
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_StoreCopy(benchmark::State& state) {
  Bench b;
  for (auto _ : state) {
    state.PauseTiming();
    b.Restore();
    state.ResumeTiming();
    StoreCopy(b.store);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_StoreCopy)->Unit(benchmark::kMillisecond)->Iterations(5);

// A coordinate box over the middle of the rows: most rows are cut twice.
void BM_TrimBox(benchmark::State& state) {
  Bench b;
  const Region box = Region::Box(50, 2000, 150, 6000);
  Compare(
      state, b, [&](Bench& x) { TrimPolygon(x.ctx, TrimSide::Inside, box); },
      "inside box pass / store copy (aim <= 5)");
}
BENCHMARK(BM_TrimBox)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The same area as a window of the top view (model XY).
void BM_TrimWindow(benchmark::State& state) {
  Bench b;
  const WindowPoint p = b.view.Project(50, 6000, 0), q = b.view.Project(150, 2000, 0);
  const Region window = Region::Window(p.x + b.view.width / 2, p.y + b.view.height / 2,
                                       q.x + b.view.width / 2, q.y + b.view.height / 2, b.view);
  Compare(
      state, b, [&](Bench& x) { TrimPolygon(x.ctx, TrimSide::Inside, window); },
      "inside top-view window pass / store copy (aim <= 5)");
}
BENCHMARK(BM_TrimWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// A window of an isometric view: every point is projected to its window position.
void BM_TrimWindowIso(benchmark::State& state) {
  Bench b;
  b.view.SetDirection(4);
  b.view.Fit(b.store, nullptr);
  const int w = b.view.width, h = b.view.height;
  const Region window = Region::Window(w * 2 / 5, h * 2 / 5, w * 3 / 5, h * 3 / 5, b.view);
  Compare(
      state, b, [&](Bench& x) { TrimPolygon(x.ctx, TrimSide::Outside, window); },
      "outside iso window pass / store copy (aim <= 5)");
}
BENCHMARK(BM_TrimWindowIso)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The pass with a region far from every point: the walk, the appends and the compaction,
// with no region work beyond the box tests. What the region tests add is the rest.
void BM_TrimNothing(benchmark::State& state) {
  Bench b;
  const Region box = Region::Box(1e6, 1e6, 1e6 + 1, 1e6 + 1);
  Compare(
      state, b, [&](Bench& x) { TrimPolygon(x.ctx, TrimSide::Inside, box); },
      "pass by a box away from the toolpath / store copy");
}
BENCHMARK(BM_TrimNothing)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The whole command for comparison: the pass, the undo snapshot and the two rapid rebuilds.
void BM_TrimBoxCommand(benchmark::State& state) {
  Bench b;
  const Region box = Region::Box(50, 2000, 150, 6000);
  Compare(
      state, b, [&](Bench& x) { (void)TrimCommand(x.ctx, box, TrimSide::Inside); },
      "inside box command / store copy");
}
BENCHMARK(BM_TrimBoxCommand)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace trevalon
