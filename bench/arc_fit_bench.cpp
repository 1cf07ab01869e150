// Arc conversion and the linear filter on programs of the size real jobs have.
//
// BM_ArcFit: a milling program of 500,000 blocks whose G01 runs sample circles and arcs of
// radius 0.5 to 200 mm in the XY, ZX and YZ planes at chord tolerances of 0.001 to 0.01 mm,
// mixed with straight lines, 3D moves and rapids, three decimals as a CAM system writes them.
// Arcs are fitted at 0.01; the result is written with I/J/K and three decimals and read back,
// and every replaced point and cut is measured from the arc as read (CheckFittedToolpath,
// independent of the fitting). Counters: blocks of the program before and after, arcs, the
// largest deviation, the largest difference of an arc's start and end radius as read, the
// moves not found, rapids and feed changes inside arcs, and the time of the fit alone.
// BM_ArcSimplify: the same for the simplification (lines and arcs chosen together) on the
// same program. TREVALON_ARC_PROGRAM=FILE runs both on a program read from FILE instead.
//
// BM_LinearFilter: the linear filter on 2 million points against a plain copy of the same
// store (out into an array and back) in the same run; `ratio` is the filter's CPU time over
// the copy's. Times are given as wall time (_ms) and as the thread's CPU time (_cpu_ms), which
// a machine busy with other jobs leaves comparable.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "edit/arc_fit.h"
#include "edit/arc_fit_check.h"
#include "edit/filters.h"
#include "model/geometry.h"
#include "model/layer_table.h"
#include "model/undo_ring.h"
#include "ncio/fanuc_reader.h"
#include "ncio/nc_writer.h"
#include "platform/file_io.h"
#include "texts/messages.h"

namespace {

using namespace trevalon;

double Round3(double v) {
  return std::nearbyint(v * 1000.0) / 1000.0;
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

class ProgramBuilder {
 public:
  ProgramBuilder(CPointStore& s, unsigned seed) : s_(s), rng_(seed) {}

  void Build(std::uint32_t moves) {
    Rapid();
    while (s_.count < moves) {
      const int r = Pick(100);
      if (r < 5) feed_ = 400 + 100 * Pick(16);
      if (r < 80) {
        const int plane = Pick(4) < 2 ? PLANE_XY : Pick(2) ? PLANE_ZX : PLANE_YZ;
        const double radius = std::exp(Uniform(std::log(0.5), std::log(200.0)));
        const double sweep = Pick(10) < 3 ? 360.0 : Uniform(20, 330);
        Arc(plane, radius, sweep, Uniform(0.001, 0.01), Pick(2) == 0);
      } else if (r < 90) {
        Line(Uniform(1, 40), 2 + Pick(19));
      } else if (r < 98) {
        for (int i = 3 + Pick(10); i > 0; --i)
          Put(MOVE_LINE_CONT, at_[0] + Uniform(-2, 2), at_[1] + Uniform(-2, 2),
              at_[2] + Uniform(-0.5, 0.5));
      } else {
        Rapid();
      }
    }
    s_.count = std::min(s_.count, moves);
  }

 private:
  void Rapid() {
    const double x = Uniform(-300, 300), y = Uniform(-300, 300), z = Uniform(-50, 0);
    Put(MOVE_RAPID, at_[0], at_[1], 60);
    Put(MOVE_RAPID_CONT, x, y, 60);
    Put(MOVE_RAPID_CONT, x, y, z + 2);
    Put(MOVE_LINE, x, y, z);
  }
  void Arc(int plane, double r, double sweep, double chord, bool ccw) {
    const PlaneAxes ax = AxesOfPlane(plane);
    const double start = Uniform(0, 2 * M_PI);
    double c[3] = {at_[0], at_[1], at_[2]};
    c[ax.a] -= r * std::cos(start);
    c[ax.b] -= r * std::sin(start);
    const double step = 2 * std::acos(1 - chord / r);
    const int n = static_cast<int>(std::ceil(sweep * M_PI / 180 / step));
    for (int i = 1; i <= n; ++i) {
      const double a = start + (ccw ? 1 : -1) * sweep * M_PI / 180 * i / n;
      double p[3] = {c[0], c[1], c[2]};
      p[ax.a] += r * std::cos(a);
      p[ax.b] += r * std::sin(a);
      Put(MOVE_LINE_CONT, p[0], p[1], p[2]);
    }
  }
  void Line(double length, int points) {
    const double dx = Uniform(-1, 1), dy = Uniform(-1, 1), dz = Uniform(-0.3, 0.3);
    const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double from[3] = {at_[0], at_[1], at_[2]};
    for (int i = 1; i <= points; ++i) {
      const double f = length * i / points / len;
      Put(MOVE_LINE_CONT, from[0] + dx * f, from[1] + dy * f, from[2] + dz * f);
    }
  }
  void Put(int type, double x, double y, double z) {
    at_[0] = Round3(x), at_[1] = Round3(y), at_[2] = Round3(z);
    PointRegister& r = s_.reg;
    r.type = type, r.x = at_[0], r.y = at_[1], r.z = at_[2];
    r.feed = IsRapidType(type) ? 0 : feed_;
    r.mark = 0;
    s_.StorePoint(s_.count++);
  }
  double Uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(rng_); }
  int Pick(int n) { return std::uniform_int_distribution<>(0, n - 1)(rng_); }

  CPointStore& s_;
  std::mt19937 rng_;
  double at_[3] = {0, 0, 0};
  int feed_ = 1200;
};

std::string TempFile(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// Writes the store with I/J/K and three decimals; the number of lines (blocks) written.
std::uint64_t WriteIjk(CPointStore& s, const std::string& path) {
  HeadlessPlatform platform;
  ReplacingFile file;
  if (!file.Open(path)) return 0;
  CNcOutputDlg out;
  out.ijkToR = false;
  out.diagonalRapidCheck = false;
  out.openInEditor = false;
  out.WriteProgram(Messages(platform, Language::English), s, file);
  file.Commit();
  std::ifstream in(path);
  std::uint64_t lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

// The program the conversions run on: the built one, or the program the environment
// variable TREVALON_ARC_PROGRAM names (for instance the arc benchmark of the shared bench
// programs), read as `load` reads it.
struct ArcProgram {
  CPointStore store;
  std::uint64_t blocks = 0;  // lines of the program as written
  ArcProgram() {
    if (const char* file = std::getenv("TREVALON_ARC_PROGRAM")) {
      LayerSlot layer;
      NcSwitches nc;
      auto reader = std::make_unique<NcReaderState>();
      AppendNcProgram(NcReadTarget{store, layer, nc, *reader}, file);
    } else {
      ProgramBuilder(store, 2024).Build(500'000);
    }
    const std::string path = TempFile("trevalon-arc-fit-before.nc");
    blocks = WriteIjk(store, path);
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

ArcProgram& SharedArcProgram() {
  static ArcProgram p;
  return p;
}

void Copy(const CPointStore& from, CPointStore& to, std::vector<PointRecord>& buffer) {
  buffer.resize(from.count);
  from.CopyRecordsOut(buffer.data(), from.count);
  to.CopyRecordsIn(buffer.data(), from.count);
}

// Runs one conversion on copies of the program (`convert(ctx)` returns its Outcome), then
// writes the last result with I/J/K, reads it back and measures it against the program.
template <class Convert>
void RunConversion(benchmark::State& state, Convert convert) {
  ArcProgram& p = SharedArcProgram();
  std::vector<PointRecord> buffer;
  HeadlessPlatform platform;
  CUndoRing undo;
  double retract = 60, total = 0, cpuTotal = 0;
  auto work = std::make_unique<CPointStore>();
  for (auto _ : state) {
    work = std::make_unique<CPointStore>();
    Copy(p.store, *work, buffer);
    EditContext ctx{*work, undo, retract, Messages(platform, Language::English), nullptr, {}};
    const double cpu = ThreadSeconds();
    const auto a = std::chrono::steady_clock::now();
    const Outcome done = convert(ctx);
    const auto b = std::chrono::steady_clock::now();
    cpuTotal += ThreadSeconds() - cpu;
    if (!done) state.SkipWithError(done.reason().c_str());
    total += Seconds(a, b);
    state.SetIterationTime(Seconds(a, b));
  }
  // The result as a reader gets it back, measured from the arcs as read.
  const std::string path = TempFile("trevalon-arc-fit-after.nc");
  const std::uint64_t blocksAfter = WriteIjk(*work, path);
  auto back = std::make_unique<CPointStore>();
  LayerSlot layer;
  NcSwitches nc;
  auto reader = std::make_unique<NcReaderState>();
  AppendNcProgram(NcReadTarget{*back, layer, nc, *reader}, path);
  const ArcFitCheck c = CheckFittedToolpath(p.store, *back);
  std::error_code ec;
  std::filesystem::remove(path, ec);

  state.counters["blocks_before"] = static_cast<double>(p.blocks);
  state.counters["blocks_after"] = static_cast<double>(blocksAfter);
  state.counters["fewer_pct"] = 100.0 * (1.0 - static_cast<double>(blocksAfter) / p.blocks);
  state.counters["arcs"] = static_cast<double>(c.arcs);
  state.counters["max_dev_um"] = c.maxDeviation * 1000.0;
  state.counters["radius_mismatch_um"] = c.maxRadiusMismatch * 1000.0;
  state.counters["unmatched"] = static_cast<double>(c.unmatched);
  state.counters["rapids_in_arcs"] = static_cast<double>(c.rapidsInArcs + c.rapidsInLines);
  state.counters["lines"] = static_cast<double>(c.lines);
  state.counters["max_line_dev_um"] = c.maxLineDeviation * 1000.0;
  state.counters["feed_changes_in_arcs"] = static_cast<double>(c.feedChanges);
  state.counters["ms"] = total / static_cast<double>(state.iterations()) * 1000.0;
  state.counters["cpu_ms"] = cpuTotal / static_cast<double>(state.iterations()) * 1000.0;
}

// The described fit (lines to arcs, its own acceptance rules) at 0.01 in all planes.
void BM_ArcFit(benchmark::State& state) {
  ArcFitSummary sum;
  RunConversion(state, [&](EditContext& ctx) {
    ArcFitOptions o;
    o.tolerance = 0.01;
    return FitArcs(ctx, o, &sum);
  });
}

// The simplification (lines and arcs together) at 0.01 in all planes, on the same program in
// the same run: its blocks and time against the fit's.
void BM_ArcSimplify(benchmark::State& state) {
  ArcSimplifySummary sum;
  RunConversion(state, [&](EditContext& ctx) {
    ArcSimplifyOptions o;
    o.tolerance = 0.01;
    return SimplifyToolpath(ctx, o, &sum);
  });
}

BENCHMARK(BM_ArcFit)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArcSimplify)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// A finishing toolpath of 2 million points: passes of short 3D cuts, a third of them on
// straight stretches the filter thins out, with feed changes and rapids between passes.
struct FilterProgram {
  CPointStore store;
  FilterProgram() {
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> noise(-0.0004, 0.0004);
    PointRegister& r = store.reg;
    int k = 0;
    while (store.count < 2'000'000) {
      const double y = (k / 1000) * 0.3;
      const int i = k % 1000;
      r.type = i == 0 ? MOVE_RAPID : i == 1 ? MOVE_LINE : MOVE_LINE_CONT;
      r.x = i * 0.1;
      r.y = y + noise(rng);
      const bool straight = (i / 100) % 3 == 0;
      r.z = i == 0 ? 20.0 : straight ? -1.0 : -1.0 - 0.5 * std::sin(i * 0.05);
      r.feed = i == 0 ? 0 : (i / 250) % 2 ? 1500 : 1200;
      r.mark = 0;
      store.StorePoint(store.count++);
      ++k;
    }
  }
};

void BM_LinearFilter(benchmark::State& state) {
  static FilterProgram p;
  std::vector<PointRecord> buffer;
  HeadlessPlatform platform;
  CUndoRing undo;
  double retract = 20, filterTotal = 0, copyTotal = 0, filterCpu = 0, copyCpu = 0;
  FilterSummary sum;
  for (auto _ : state) {
    auto copy = std::make_unique<CPointStore>();
    auto work = std::make_unique<CPointStore>();
    const double cpu0 = ThreadSeconds();
    const auto a = std::chrono::steady_clock::now();
    Copy(p.store, *copy, buffer);
    const auto b = std::chrono::steady_clock::now();
    const double cpu1 = ThreadSeconds();
    Copy(p.store, *work, buffer);
    EditContext ctx{*work, undo, retract, Messages(platform, Language::English), nullptr, {}};
    const double cpu2 = ThreadSeconds();
    const auto c = std::chrono::steady_clock::now();
    (void)LinearFilter(ctx, kFilterToleranceStart, &sum);
    const auto d = std::chrono::steady_clock::now();
    const double cpu3 = ThreadSeconds();
    copyTotal += Seconds(a, b);
    filterTotal += Seconds(c, d);
    copyCpu += cpu1 - cpu0;
    filterCpu += cpu3 - cpu2;
    state.SetIterationTime(Seconds(c, d));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["points_before"] = sum.pointsBefore;
  state.counters["points_after"] = sum.pointsAfter;
  state.counters["filter_ms"] = filterTotal / n * 1000.0;
  state.counters["copy_ms"] = copyTotal / n * 1000.0;
  state.counters["filter_cpu_ms"] = filterCpu / n * 1000.0;
  state.counters["copy_cpu_ms"] = copyCpu / n * 1000.0;
  state.counters["ratio"] = filterCpu / copyCpu;
}

BENCHMARK(BM_LinearFilter)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
